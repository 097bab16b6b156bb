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
// The channels are written out one by one: GCC at -O2 leaves a loop of three a loop, and k-means
// adds every point in every pass.
struct WeightedSum {
    std::int64_t weight = 0; // signed like the sums, which it divides
    std::array<std::int64_t, 3> sum{};

    void add(const WeightedPoint& p) {
        const auto w = static_cast<std::int64_t>(p.weight);
        sum[0] += w * p.point[0];
        sum[1] += w * p.point[1];
        sum[2] += w * p.point[2];
        weight += w;
    }
    void remove(const WeightedPoint& p) {
        const auto w = static_cast<std::int64_t>(p.weight);
        sum[0] -= w * p.point[0];
        sum[1] -= w * p.point[1];
        sum[2] -= w * p.point[2];
        weight -= w;
    }
    void add(const WeightedSum& s) {
        sum[0] += s.sum[0];
        sum[1] += s.sum[1];
        sum[2] += s.sum[2];
        weight += s.weight;
    }
    void remove(const WeightedSum& s) {
        sum[0] -= s.sum[0];
        sum[1] -= s.sum[1];
        sum[2] -= s.sum[2];
        weight -= s.weight;
    }
    bool empty() const { return weight == 0; }
    // The mean, rounded by roundedMean; only of a sum that is not empty.
    ColourPoint mean() const {
        return {roundedMean(sum[0], weight), roundedMean(sum[1], weight),
                roundedMean(sum[2], weight)};
    }
};

} // namespace rastix
