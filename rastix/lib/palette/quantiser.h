#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rastix {

using ColourPoint = std::array<int, 3>;

struct WeightedPoint {
    ColourPoint point;
    std::uint64_t weight = 1;
};

int squaredDistance(const ColourPoint& a, const ColourPoint& b);
// Index of the nearest palette point (lowest index on ties).
std::size_t nearestIndex(const std::vector<ColourPoint>& palette, const ColourPoint& p);

// The same answers as nearestIndex, found without measuring every entry: the palette is kept
// sorted along its widest axis and the search stops once that axis alone is farther than the
// best match. Mapping tens of thousands of colours to 256 entries is most of a palette's cost.
class NearestFinder {
public:
    explicit NearestFinder(const std::vector<ColourPoint>& palette);
    std::size_t operator()(const ColourPoint& p) const;
    // The same, starting from a guess (such as the answer for the previous palette): a good
    // guess leaves little to search.
    std::size_t operator()(const ColourPoint& p, std::size_t guess) const;

private:
    struct Entry {
        ColourPoint point;
        std::size_t index;
    };
    std::vector<Entry> m_sorted;
    std::vector<ColourPoint> m_points; // in palette order, for guesses
    int m_axis = 0;
    // A palette of a few entries near the colours is kept by channel, in floats (exact there),
    // and measured all at once.
    static constexpr std::size_t kScanned = 16;
    std::array<std::array<float, kScanned>, 3> m_channels{};
    bool m_scanned = false;
};

// Lloyd's k-means on weighted points, started from the given centres: each pass moves every
// centre to the rounded weighted mean of the points nearest to it. Integer sums, so the result
// is the same on every platform. A centre that attracts no point stays where it is.
std::vector<ColourPoint> refineByKMeans(const std::vector<WeightedPoint>& points,
                                        std::vector<ColourPoint> centres, int passes);

// k-means as above, then k-means is helped out of a poor local optimum: the centre that costs
// least to give up is moved into the cluster with the largest error, splitting it, and k-means
// runs again; kept while the total error falls, at most tries times.
// When error is given it receives the weighted squared distance of every point to its nearest
// centre of the result: what k-means lowers, so the measure by which two results for the same
// points are compared.
std::vector<ColourPoint> refineByMovingCentres(const std::vector<WeightedPoint>& points,
                                               std::vector<ColourPoint> centres, int passes,
                                               int tries, std::int64_t* error = nullptr);

} // namespace rastix
