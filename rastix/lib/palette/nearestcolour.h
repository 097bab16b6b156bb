#pragma once

#include "palette/quantiser.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <vector>

namespace rastix {

// Inline: k-means measures every point with it in every pass.
inline int squaredDistance(const ColourPoint& a, const ColourPoint& b) {
    const int d0 = a[0] - b[0];
    const int d1 = a[1] - b[1];
    const int d2 = a[2] - b[2];
    return d0 * d0 + d1 * d1 + d2 * d2;
}

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

// Squared distances of points within this of zero on every axis, and of centres within
// twice that, are below 2^24, so single floats hold them exactly.
constexpr int kExactInFloat = 680;

// Whether every channel of p lies within range of zero.
inline bool channelsWithin(const ColourPoint& p, int range) {
    return std::abs(p[0]) <= range && std::abs(p[1]) <= range && std::abs(p[2]) <= range;
}

// The squared distance from p to each of N points kept a channel at a time, measured in a
// straight loop in floats: SSE2 multiplies four floats at once but not four ints.
template <std::size_t N>
std::array<float, N> squaredDistances(const std::array<std::array<float, N>, 3>& channels,
                                      const ColourPoint& p) {
    const float p0 = static_cast<float>(p[0]);
    const float p1 = static_cast<float>(p[1]);
    const float p2 = static_cast<float>(p[2]);
    std::array<float, N> distance;
    for (std::size_t i = 0; i < N; ++i) {
        const float d0 = channels[0][i] - p0;
        const float d1 = channels[1][i] - p1;
        const float d2 = channels[2][i] - p2;
        distance[i] = d0 * d0 + d1 * d1 + d2 * d2;
    }
    return distance;
}

// The nearest of at most N centres (lowest index on ties) and the squared distance of the
// runner-up, which tells when a point can skip the next search. Every slot is measured in a
// straight loop of fixed length, in floats because SSE2 multiplies four of them at once but not
// four ints; for points and centres within kExactInFloat (and twice that) every sum is exact.
template <std::size_t N> class FewCentres {
public:
    static constexpr int kFar = std::numeric_limits<int>::max();
    struct Nearest {
        std::size_t index = 0;
        int distance = kFar;
        int second = kFar;
    };

    explicit FewCentres(const std::vector<ColourPoint>& centres)
        : m_count(centres.size()) {
        for (std::array<float, N>& channel : m_channels)
            channel.fill(kUnused);
        for (std::size_t c = 0; c < m_count; ++c)
            for (int a = 0; a < 3; ++a)
                m_channels[a][c] = static_cast<float>(centres[c][a]);
    }

    Nearest operator()(const ColourPoint& p) const {
        const std::array<float, N> distance = squaredDistances(m_channels, p);
        // Without branches, which the distances would mispredict half the time.
        std::size_t index = 0;
        float best = distance[0];
        float second = kNoSecond;
        for (std::size_t c = 1; c < m_count; ++c) {
            const float d = distance[c];
            second = std::min(second, std::max(best, d));
            index = d < best ? c : index;
            best = std::min(best, d);
        }
        return {index, static_cast<int>(best),
                second < kNoSecond ? static_cast<int>(second) : kFar};
    }

private:
    static constexpr float kUnused = 1e9f;    // a slot without a centre: never nearest
    static constexpr float kNoSecond = 1e30f; // beyond any real squared distance
    std::array<std::array<float, N>, 3> m_channels;
    std::size_t m_count;
};

} // namespace rastix
