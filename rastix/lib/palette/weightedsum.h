#pragma once

#include "palette/quantiser.h"

#include <array>
#include <cstdint>

namespace rastix {

// Rounded to nearest, halves away from zero, for negative sums too.
inline int roundedMean(std::int64_t sum, std::int64_t weight) {
    return static_cast<int>(sum >= 0 ? (2 * sum + weight) / (2 * weight)
                                     : -((-2 * sum + weight) / (2 * weight)));
}

// The weighted sum of some points (a cluster, a box, a cell), from which their mean is made.
// Integers: exact, so the mean is the same in whatever order the points came and on every
// platform, and a point taken out leaves exactly the sum it found.
struct WeightedSum {
    std::uint64_t weight = 0;
    std::array<std::int64_t, 3> sum{};

    void add(const WeightedPoint& p) {
        const auto w = static_cast<std::int64_t>(p.weight);
        for (int a = 0; a < 3; ++a)
            sum[a] += w * p.point[a];
        weight += p.weight;
    }
    void remove(const WeightedPoint& p) {
        const auto w = static_cast<std::int64_t>(p.weight);
        for (int a = 0; a < 3; ++a)
            sum[a] -= w * p.point[a];
        weight -= p.weight;
    }
    void add(const WeightedSum& s) {
        for (int a = 0; a < 3; ++a)
            sum[a] += s.sum[a];
        weight += s.weight;
    }
    void remove(const WeightedSum& s) {
        for (int a = 0; a < 3; ++a)
            sum[a] -= s.sum[a];
        weight -= s.weight;
    }
    bool empty() const { return weight == 0; }
    // The mean, rounded by roundedMean; only of a sum that is not empty.
    ColourPoint mean() const {
        const auto w = static_cast<std::int64_t>(weight);
        return {roundedMean(sum[0], w), roundedMean(sum[1], w), roundedMean(sum[2], w)};
    }
};

} // namespace rastix
