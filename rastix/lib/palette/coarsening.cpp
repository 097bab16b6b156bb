#include "palette/coarsening.h"

#include "palette/weightedsum.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace rastix {

namespace {

// The low 21 bits of v spread out to every third bit.
std::uint64_t spreadBits(std::uint64_t v) {
    v &= 0x1FFFFF;
    v = (v | v << 32) & 0x1F00000000FFFF;
    v = (v | v << 16) & 0x1F0000FF0000FF;
    v = (v | v << 8) & 0x100F00F00F00F00F;
    v = (v | v << 4) & 0x10C30C30C30C30C3;
    v = (v | v << 2) & 0x1249249249249249;
    return v;
}

// The bits of the three channels interleaved, highest first, so that sorting by it puts the
// points of every cell of every power-of-two width next to each other.
std::uint64_t mortonKey(const ColourPoint& p) {
    std::uint64_t key = 0;
    for (int a = 0; a < 3; ++a) {
        // The offset keeps negative values in order; far ones share the outermost cells.
        const int v = std::clamp(p[a], -(1 << 20), (1 << 20) - 1) + (1 << 20);
        key |= spreadBits(static_cast<std::uint64_t>(v)) << (2 - a);
    }
    return key;
}

} // namespace

std::vector<WeightedPoint> coarsenedTo(const std::vector<WeightedPoint>& points, std::size_t most) {
    if (points.size() <= most)
        return points;
    std::vector<std::pair<std::uint64_t, std::size_t>> keyed(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        keyed[i] = {mortonKey(points[i].point), i};
    std::sort(keyed.begin(), keyed.end());
    const auto cellOf = [&](std::size_t i, int shift) {
        return keyed[i].first >> (3 * shift);
    };
    int shift = 1;
    for (;; ++shift) {
        std::size_t cells = 1;
        for (std::size_t i = 1; i < keyed.size() && cells <= most; ++i)
            cells += cellOf(i, shift) != cellOf(i - 1, shift);
        if (cells <= most || shift == 21)
            break;
    }
    std::vector<WeightedPoint> cells;
    for (std::size_t i = 0; i < keyed.size();) {
        const std::uint64_t cell = cellOf(i, shift);
        WeightedSum sum;
        for (; i < keyed.size() && cellOf(i, shift) == cell; ++i)
            sum.add(points[keyed[i].second]);
        cells.push_back({sum.mean(), static_cast<std::uint64_t>(sum.weight)});
    }
    return cells;
}

} // namespace rastix
