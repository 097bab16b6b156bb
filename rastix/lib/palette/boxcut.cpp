#include "palette/boxcut.h"

#include "palette/weightedsum.h"

#include <algorithm>
#include <cstdint>

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
        WeightedSum sum;
        for (std::size_t i = box.begin; i < box.end; ++i)
            sum.add(points[i]);
        result.push_back(sum.mean());
    }
    return result;
}

namespace {

struct VarianceBox {
    std::size_t begin;
    std::size_t end;
    double gain = 0; // how much splitting it at the best place lowers the total error
    int axis = 0;
    int threshold = 0; // the first half holds the points up to this value on the axis
};

// Sums of the points of one value on one axis: enough to know the error of any half that is
// a run of values, without sorting. Integers, which are exact and cheaper to add than doubles.
struct Moments {
    WeightedSum points;
    std::int64_t squares = 0;

    void add(const Moments& m) {
        points.add(m.points);
        squares += m.squares;
    }
    Moments minus(const Moments& m) const {
        Moments r = *this;
        r.points.remove(m.points);
        r.squares -= m.squares;
        return r;
    }
    double error() const {
        const auto s0 = static_cast<double>(points.sum[0]);
        const auto s1 = static_cast<double>(points.sum[1]);
        const auto s2 = static_cast<double>(points.sum[2]);
        return static_cast<double>(squares) -
               (s0 * s0 + s1 * s1 + s2 * s2) / static_cast<double>(points.weight);
    }
};

// A point with its own moments worked out once, since every split adds them up again.
struct MomentPoint {
    ColourPoint point;
    Moments moments;

    explicit MomentPoint(const WeightedPoint& p)
        : point(p.point) {
        moments.points.add(p);
        const auto w = static_cast<std::int64_t>(p.weight);
        for (int a = 0; a < 3; ++a)
            moments.squares += w * p.point[a] * p.point[a];
    }
};

// Finds the best place to split the box: on each axis every value boundary is tried, with
// running sums over the values giving each half's error at once.
void planSplit(const std::vector<MomentPoint>& points, VarianceBox& box) {
    box.gain = 0;
    ColourPoint lo{1 << 30, 1 << 30, 1 << 30};
    ColourPoint hi{-(1 << 30), -(1 << 30), -(1 << 30)};
    Moments whole;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        whole.add(points[i].moments);
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], points[i].point[a]);
            hi[a] = std::max(hi[a], points[i].point[a]);
        }
    }
    const double wholeError = whole.error();
    std::vector<Moments> byValue;
    for (int axis = 0; axis < 3; ++axis) {
        if (hi[axis] == lo[axis])
            continue;
        byValue.assign(static_cast<std::size_t>(hi[axis] - lo[axis]) + 1, Moments{});
        for (std::size_t i = box.begin; i < box.end; ++i)
            byValue[static_cast<std::size_t>(points[i].point[axis] - lo[axis])].add(
                points[i].moments);
        Moments first;
        for (std::size_t v = 0; v + 1 < byValue.size(); ++v) {
            first.add(byValue[v]);
            if (byValue[v].points.empty()) // the same split as the value before
                continue;
            const double gain = wholeError - first.error() - whole.minus(first).error();
            if (gain > box.gain) {
                box.gain = gain;
                box.axis = axis;
                box.threshold = lo[axis] + static_cast<int>(v);
            }
        }
    }
}

ColourPoint weightedMean(const std::vector<MomentPoint>& points, std::size_t begin,
                         std::size_t end) {
    WeightedSum sum;
    for (std::size_t i = begin; i < end; ++i)
        sum.add(points[i].moments.points);
    return sum.mean();
}

} // namespace

std::vector<ColourPoint> varianceCut(const std::vector<WeightedPoint>& weighted,
                                     std::size_t maxColours) {
    std::vector<ColourPoint> result;
    if (weighted.empty() || maxColours == 0)
        return result;
    std::vector<MomentPoint> points(weighted.begin(), weighted.end());
    std::vector<VarianceBox> boxes;
    boxes.push_back({0, points.size()});
    planSplit(points, boxes.back());
    while (boxes.size() < maxColours) {
        const auto best = std::max_element(
            boxes.begin(), boxes.end(),
            [](const VarianceBox& a, const VarianceBox& b) { return a.gain < b.gain; });
        if (best->gain <= 0)
            break;
        const int axis = best->axis;
        const int threshold = best->threshold;
        const auto middle = std::partition(
            points.begin() + static_cast<std::ptrdiff_t>(best->begin),
            points.begin() + static_cast<std::ptrdiff_t>(best->end),
            [axis, threshold](const MomentPoint& p) { return p.point[axis] <= threshold; });
        const auto split = static_cast<std::size_t>(middle - points.begin());
        VarianceBox second{split, best->end};
        best->end = split;
        planSplit(points, *best);
        planSplit(points, second);
        boxes.push_back(second);
    }
    for (const VarianceBox& box : boxes)
        result.push_back(weightedMean(points, box.begin, box.end));
    return result;
}

} // namespace rastix
