#include "quantiser.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

struct VarianceBox {
    std::size_t begin;
    std::size_t end;
    double gain = 0; // how much splitting it at the best place lowers the total error
    int axis = 0;
    int threshold = 0; // the first half holds the points up to this value on the axis
};

// Sums of the points of one value on one axis: enough to know the error of any half that is
// a run of values, without sorting.
struct Moments {
    double weight = 0;
    double sum[3] = {0, 0, 0};
    double squares = 0;

    void add(const WeightedPoint& p) {
        const double w = static_cast<double>(p.weight);
        weight += w;
        for (int a = 0; a < 3; ++a) {
            sum[a] += w * p.point[a];
            squares += w * p.point[a] * p.point[a];
        }
    }
    void add(const Moments& m) {
        weight += m.weight;
        for (int a = 0; a < 3; ++a)
            sum[a] += m.sum[a];
        squares += m.squares;
    }
    Moments minus(const Moments& m) const {
        Moments r = *this;
        r.weight -= m.weight;
        for (int a = 0; a < 3; ++a)
            r.sum[a] -= m.sum[a];
        r.squares -= m.squares;
        return r;
    }
    double error() const {
        return squares - (sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]) / weight;
    }
};

// Finds the best place to split the box: on each axis every value boundary is tried, with
// running sums over the values giving each half's error at once.
void planSplit(const std::vector<WeightedPoint>& points, VarianceBox& box) {
    box.gain = 0;
    ColourPoint lo{1 << 30, 1 << 30, 1 << 30};
    ColourPoint hi{-(1 << 30), -(1 << 30), -(1 << 30)};
    Moments whole;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        whole.add(points[i]);
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
            byValue[static_cast<std::size_t>(points[i].point[axis] - lo[axis])].add(points[i]);
        Moments first;
        for (std::size_t v = 0; v + 1 < byValue.size(); ++v) {
            first.add(byValue[v]);
            if (byValue[v].weight == 0) // the same split as the value before
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

ColourPoint weightedMean(const std::vector<WeightedPoint>& points, std::size_t begin,
                         std::size_t end) {
    double sum[3] = {0, 0, 0};
    double weight = 0;
    for (std::size_t i = begin; i < end; ++i) {
        for (int a = 0; a < 3; ++a)
            sum[a] += static_cast<double>(points[i].point[a]) * points[i].weight;
        weight += static_cast<double>(points[i].weight);
    }
    ColourPoint mean;
    for (int a = 0; a < 3; ++a)
        mean[a] = static_cast<int>(std::lround(sum[a] / weight));
    return mean;
}

} // namespace

std::vector<ColourPoint> varianceCut(std::vector<WeightedPoint> points, std::size_t maxColours) {
    std::vector<ColourPoint> result;
    if (points.empty() || maxColours == 0)
        return result;
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
            [axis, threshold](const WeightedPoint& p) { return p.point[axis] <= threshold; });
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

NearestFinder::NearestFinder(const std::vector<ColourPoint>& palette) {
    int widest = -1;
    for (int a = 0; a < 3; ++a) {
        int lo = 1 << 30;
        int hi = -(1 << 30);
        for (const ColourPoint& p : palette) {
            lo = std::min(lo, p[a]);
            hi = std::max(hi, p[a]);
        }
        if (hi - lo > widest) {
            widest = hi - lo;
            m_axis = a;
        }
    }
    m_points = palette;
    m_sorted.reserve(palette.size());
    for (std::size_t i = 0; i < palette.size(); ++i)
        m_sorted.push_back({palette[i], i});
    std::stable_sort(m_sorted.begin(), m_sorted.end(), [this](const Entry& a, const Entry& b) {
        return a.point[m_axis] < b.point[m_axis];
    });
}

std::size_t NearestFinder::operator()(const ColourPoint& p) const {
    return (*this)(p, m_sorted.size());
}

std::size_t NearestFinder::operator()(const ColourPoint& p, std::size_t guess) const {
    if (m_sorted.empty())
        return 0;
    const int key = p[m_axis];
    const auto start =
        std::lower_bound(m_sorted.begin(), m_sorted.end(), key,
                         [this](const Entry& e, int value) { return e.point[m_axis] < value; });
    std::size_t best = m_sorted.size();
    int bestDistance = 1 << 30;
    if (guess < m_points.size()) {
        best = guess;
        bestDistance = squaredDistance(m_points[guess], p);
    }
    const auto consider = [&](const Entry& e) {
        const int d = squaredDistance(e.point, p);
        if (d < bestDistance || (d == bestDistance && e.index < best)) {
            bestDistance = d;
            best = e.index;
        }
    };
    // Ties must still go to the lowest index, so an entry exactly as far along the axis as
    // the best match is still looked at.
    for (auto it = start; it != m_sorted.end(); ++it) {
        const int along = it->point[m_axis] - key;
        if (along * along > bestDistance)
            break;
        consider(*it);
    }
    for (auto it = start; it != m_sorted.begin();) {
        --it;
        const int along = key - it->point[m_axis];
        if (along * along > bestDistance)
            break;
        consider(*it);
    }
    return best;
}

std::vector<ColourPoint> refineByKMeans(const std::vector<WeightedPoint>& points,
                                        std::vector<ColourPoint> centres, int passes) {
    std::vector<std::size_t> owner(points.size(), 0);
    for (int pass = 0; pass < passes && !centres.empty(); ++pass) {
        const NearestFinder nearest(centres);
        std::vector<std::array<std::int64_t, 3>> sums(centres.size(), {0, 0, 0});
        std::vector<std::uint64_t> weights(centres.size(), 0);
        bool moved = pass == 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const std::size_t c = nearest(points[i].point, pass == 0 ? centres.size() : owner[i]);
            moved |= c != owner[i];
            owner[i] = c;
            const auto w = static_cast<std::int64_t>(points[i].weight);
            for (int a = 0; a < 3; ++a)
                sums[c][a] += w * points[i].point[a];
            weights[c] += points[i].weight;
        }
        if (!moved)
            break;
        for (std::size_t c = 0; c < centres.size(); ++c) {
            if (weights[c] == 0)
                continue;
            const auto w = static_cast<std::int64_t>(weights[c]);
            for (int a = 0; a < 3; ++a) {
                // Rounded to nearest, halves away from zero, for negative deltas too.
                const std::int64_t s = sums[c][a];
                centres[c][a] =
                    static_cast<int>(s >= 0 ? (2 * s + w) / (2 * w) : -((-2 * s + w) / (2 * w)));
            }
        }
    }
    return centres;
}

namespace {

struct Cluster {
    std::uint64_t weight = 0;
    std::array<std::int64_t, 3> sum{};
    std::array<std::int64_t, 3> squares{};
    std::int64_t error = 0; // weighted squared distance of its points to their centre
};

std::vector<Cluster> clustersOf(const std::vector<WeightedPoint>& points,
                                const std::vector<ColourPoint>& centres, std::int64_t& total) {
    std::vector<Cluster> clusters(centres.size());
    const NearestFinder nearest(centres);
    total = 0;
    for (const WeightedPoint& p : points) {
        const std::size_t c = nearest(p.point);
        const auto w = static_cast<std::int64_t>(p.weight);
        Cluster& cluster = clusters[c];
        cluster.weight += p.weight;
        for (int a = 0; a < 3; ++a) {
            cluster.sum[a] += w * p.point[a];
            cluster.squares[a] += w * p.point[a] * p.point[a];
        }
        const std::int64_t e = w * squaredDistance(centres[c], p.point);
        cluster.error += e;
        total += e;
    }
    return clusters;
}

// The centre that costs least to give up: merged into its nearest neighbour, its cluster's
// error grows by Ward's measure, w1 w2 / (w1 + w2) times the squared distance.
std::size_t cheapestCentre(const std::vector<ColourPoint>& centres,
                           const std::vector<Cluster>& clusters) {
    std::size_t cheapest = 0;
    double lowest = 1e300;
    for (std::size_t i = 0; i < centres.size(); ++i) {
        double cost = 0;
        if (clusters[i].weight != 0) {
            int nearest = 1 << 30;
            std::size_t neighbour = i;
            for (std::size_t j = 0; j < centres.size(); ++j)
                if (j != i && squaredDistance(centres[i], centres[j]) < nearest) {
                    nearest = squaredDistance(centres[i], centres[j]);
                    neighbour = j;
                }
            const auto wi = static_cast<double>(clusters[i].weight);
            const auto wj = static_cast<double>(clusters[neighbour].weight);
            cost = wi * wj / (wi + wj) * nearest;
        }
        if (cost < lowest) {
            lowest = cost;
            cheapest = i;
        }
    }
    return cheapest;
}

} // namespace

std::vector<ColourPoint> refineByMovingCentres(const std::vector<WeightedPoint>& points,
                                               std::vector<ColourPoint> centres, int passes,
                                               int tries) {
    centres = refineByKMeans(points, std::move(centres), passes);
    if (centres.size() < 2)
        return centres;
    std::int64_t error = 0;
    std::vector<Cluster> clusters = clustersOf(points, centres, error);
    for (int t = 0; t < tries; ++t) {
        const auto worst = static_cast<std::size_t>(
            std::max_element(clusters.begin(), clusters.end(),
                             [](const Cluster& a, const Cluster& b) { return a.error < b.error; }) -
            clusters.begin());
        const std::size_t cheapest = cheapestCentre(centres, clusters);
        const Cluster& split = clusters[worst];
        if (cheapest == worst || split.weight < 2)
            break;
        // The worst cluster gets two centres, a standard deviation either side of its mean along
        // its widest axis: where k-means would put them if it split the cluster in two.
        const auto w = static_cast<double>(split.weight);
        int axis = 0;
        double widest = -1;
        for (int a = 0; a < 3; ++a) {
            const double mean = static_cast<double>(split.sum[a]) / w;
            const double variance = static_cast<double>(split.squares[a]) / w - mean * mean;
            if (variance > widest) {
                widest = variance;
                axis = a;
            }
        }
        const int deviation = std::max(1, static_cast<int>(std::sqrt(std::max(0.0, widest))));
        std::vector<ColourPoint> trial = centres;
        trial[cheapest] = trial[worst];
        trial[worst][axis] -= deviation;
        trial[cheapest][axis] += deviation;
        // Only the centres near the move have far to go: half the passes settle them.
        trial = refineByKMeans(points, std::move(trial), std::max(1, passes / 2));
        std::int64_t trialError = 0;
        std::vector<Cluster> trialClusters = clustersOf(points, trial, trialError);
        // A gain below a percent is lost again when the centres become words.
        if (trialError >= error - error / 100)
            break;
        centres = std::move(trial);
        clusters = std::move(trialClusters);
        error = trialError;
    }
    return centres;
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
