#include "quantiser.h"

#include <algorithm>
#include <cmath>

namespace rastix {

namespace {

struct Box {
    std::size_t begin;
    std::size_t end;
    int axis = 0;
    int extent = 0;
};

void measure(const std::vector<WeightedPoint>& points, Box& box) {
    ColourPoint lo{1 << 30, 1 << 30, 1 << 30};
    ColourPoint hi{-(1 << 30), -(1 << 30), -(1 << 30)};
    for (std::size_t i = box.begin; i < box.end; ++i)
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], points[i].point[a]);
            hi[a] = std::max(hi[a], points[i].point[a]);
        }
    box.extent = -1;
    for (int a = 0; a < 3; ++a)
        if (hi[a] - lo[a] > box.extent) {
            box.extent = hi[a] - lo[a];
            box.axis = a;
        }
}

} // namespace

int squaredDistance(const ColourPoint& a, const ColourPoint& b) {
    const int d0 = a[0] - b[0];
    const int d1 = a[1] - b[1];
    const int d2 = a[2] - b[2];
    return d0 * d0 + d1 * d1 + d2 * d2;
}

std::size_t nearestIndex(const std::vector<ColourPoint>& palette, const ColourPoint& p) {
    std::size_t best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int d = squaredDistance(palette[i], p);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

std::vector<ColourPoint> medianCut(std::vector<WeightedPoint> points, std::size_t maxColours) {
    std::vector<ColourPoint> result;
    if (points.empty() || maxColours == 0)
        return result;
    std::vector<Box> boxes;
    boxes.push_back({0, points.size()});
    measure(points, boxes.back());

    while (boxes.size() < maxColours) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.extent < b.extent;
        });
        if (widest->extent <= 0)
            break;
        Box box = *widest;
        const int axis = box.axis;
        std::sort(points.begin() + static_cast<std::ptrdiff_t>(box.begin),
                  points.begin() + static_cast<std::ptrdiff_t>(box.end),
                  [axis](const WeightedPoint& a, const WeightedPoint& b) {
                      return a.point[axis] < b.point[axis];
                  });
        std::uint64_t total = 0;
        for (std::size_t i = box.begin; i < box.end; ++i)
            total += points[i].weight;
        // Weighted median, then moved to a change of value so equal points stay together; the
        // extent is positive, so some split point always exists.
        std::uint64_t running = 0;
        std::size_t split = box.begin;
        while (split < box.end - 1 && running + points[split].weight <= total / 2)
            running += points[split++].weight;
        if (split == box.begin)
            split = box.begin + 1;
        while (split < box.end && points[split].point[axis] == points[split - 1].point[axis])
            ++split;
        if (split == box.end) {
            split = box.end - 1;
            while (points[split].point[axis] == points[split - 1].point[axis])
                --split;
        }
        Box first{box.begin, split};
        Box second{split, box.end};
        measure(points, first);
        measure(points, second);
        *widest = first;
        boxes.push_back(second);
    }

    for (const Box& box : boxes) {
        double sum[3] = {0, 0, 0};
        double weight = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            for (int a = 0; a < 3; ++a)
                sum[a] += static_cast<double>(points[i].point[a]) * points[i].weight;
            weight += static_cast<double>(points[i].weight);
        }
        ColourPoint mean;
        for (int a = 0; a < 3; ++a)
            mean[a] = static_cast<int>(std::lround(sum[a] / weight));
        result.push_back(mean);
    }
    return result;
}

} // namespace rastix
