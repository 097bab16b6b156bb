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

// Median cut: the box with the widest extent along any axis is split at the weighted median of
// that axis until there are maxColours boxes (or every box holds a single point). Splitting the
// widest box first bounds the worst error, not only the average. Returns the weighted mean of
// each box, rounded.
std::vector<ColourPoint> medianCut(std::vector<WeightedPoint> points, std::size_t maxColours);

int squaredDistance(const ColourPoint& a, const ColourPoint& b);
// Index of the nearest palette point (lowest index on ties).
std::size_t nearestIndex(const std::vector<ColourPoint>& palette, const ColourPoint& p);

} // namespace rastix
