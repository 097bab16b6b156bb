#include "palette/ramppalette.h"

#include "palette/nearestcolour.h"
#include "palette/perceptual.h"
#include "palette/wordfeature.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

namespace rastix {

namespace {

// A straight ramp crosses at most 32 + 64 + 32 RGB16 words, one per step of any channel: more
// colours than this are not one clean ramp, and the cut costs the cube of the count.
constexpr std::size_t kMostRampColours = 128;
// How far a colour may lie off the line, in levels: half an RGB16 red or blue step, so the
// rounding of a drawn gradient still counts as on it.
constexpr std::int64_t kOffLine = 4;
// One CIEDE2000 unit against a squared error of one 5-bit step (8 levels) on every channel.
// Looks alone would cut a ramp's ends into wide bands that measure far from their colours.
constexpr double kSquaredErrorPerUnit = 3 * 8 * 8;

// The points in their order along the line through the extremes of their widest channel, or
// empty when a point lies off that line.
std::vector<std::size_t> orderAlongLine(const std::vector<WeightedPoint>& points) {
    ColourPoint start{}, end{};
    int widest = -1;
    for (int a = 0; a < 3; ++a) {
        const auto [low, high] = std::minmax_element(
            points.begin(), points.end(), [a](const WeightedPoint& p, const WeightedPoint& q) {
                return p.point[a] < q.point[a];
            });
        if (high->point[a] - low->point[a] > widest) {
            widest = high->point[a] - low->point[a];
            start = low->point;
            end = high->point;
        }
    }
    std::array<std::int64_t, 3> d{};
    for (int a = 0; a < 3; ++a)
        d[a] = end[a] - start[a];
    const std::int64_t length2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    std::vector<std::int64_t> along(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::array<std::int64_t, 3> v{};
        for (int a = 0; a < 3; ++a)
            v[a] = points[i].point[a] - start[a];
        // |v x d|^2 / |d|^2 is the squared distance from the line.
        const std::int64_t cx = v[1] * d[2] - v[2] * d[1], cy = v[2] * d[0] - v[0] * d[2],
                           cz = v[0] * d[1] - v[1] * d[0];
        if (cx * cx + cy * cy + cz * cz > kOffLine * kOffLine * length2)
            return {};
        along[i] = v[0] * d[0] + v[1] * d[1] + v[2] * d[2];
    }
    std::vector<std::size_t> order(points.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t i, std::size_t j) { return along[i] < along[j]; });
    return order;
}

} // namespace

std::vector<std::uint16_t> rampPaletteWords(const std::vector<std::uint16_t>& distinct,
                                            const std::vector<WeightedPoint>& points,
                                            std::size_t entries, const Settings& settings) {
    const std::size_t n = points.size();
    if (glassCry(settings) || n > kMostRampColours || entries == 0 || entries >= n)
        return {};
    const std::vector<std::size_t> order = orderAlongLine(points);
    if (order.empty())
        return {};

    // cost(c, i) = what showing the i-th colour along the line as the c-th word costs, summed
    // over i in prefix[c].
    std::vector<Lab> seen(n), shown(n);
    std::vector<ColourPoint> shownColours(n);
    for (std::size_t i = 0; i < n; ++i) {
        const ColourPoint& p = points[order[i]].point;
        seen[i] = labOf(p[0], p[1], p[2]);
        const ColourPoint& w = shownColours[i] = wordFeature(distinct[order[i]], settings);
        shown[i] = labOf(w[0], w[1], w[2]);
    }
    const std::size_t stride = n + 1;
    std::vector<double> prefix(n * stride, 0.0);
    for (std::size_t c = 0; c < n; ++c)
        for (std::size_t i = 0; i < n; ++i) {
            const double cost =
                ciede2000(seen[i], shown[c]) +
                squaredDistance(points[order[i]].point, shownColours[c]) / kSquaredErrorPerUnit;
            prefix[c * stride + i + 1] =
                prefix[c * stride + i] + static_cast<double>(points[order[i]].weight) * cost;
        }
    // The cost of band [i, j) shown by the best of its own words.
    std::vector<double> band(n * stride, 0.0);
    std::vector<std::size_t> bandWord(n * stride, 0);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j <= n; ++j) {
            double best = std::numeric_limits<double>::infinity();
            for (std::size_t c = i; c < j; ++c) {
                const double cost = prefix[c * stride + j] - prefix[c * stride + i];
                if (cost < best) {
                    best = cost;
                    bandWord[i * stride + j] = c;
                }
            }
            band[i * stride + j] = best;
        }
    // total[k][j]: the best cut of the first j colours into k bands; from[k][j]: where its last
    // band starts.
    const double none = std::numeric_limits<double>::infinity();
    std::vector<double> total((entries + 1) * stride, none);
    std::vector<std::size_t> from((entries + 1) * stride, 0);
    total[0] = 0;
    for (std::size_t k = 1; k <= entries; ++k)
        for (std::size_t j = k; j <= n; ++j)
            for (std::size_t i = k - 1; i < j; ++i) {
                const double cost = total[(k - 1) * stride + i] + band[i * stride + j];
                if (cost < total[k * stride + j]) {
                    total[k * stride + j] = cost;
                    from[k * stride + j] = i;
                }
            }
    std::vector<std::uint16_t> words(entries);
    for (std::size_t k = entries, j = n; k > 0; --k) {
        const std::size_t i = from[k * stride + j];
        words[k - 1] = distinct[order[bandWord[i * stride + j]]];
        j = i;
    }
    return words;
}

} // namespace rastix
