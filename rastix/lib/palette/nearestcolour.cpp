#include "palette/nearestcolour.h"

#include <algorithm>

namespace rastix {

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
    m_scanned = palette.size() <= kScanned &&
                std::all_of(palette.begin(), palette.end(), [](const ColourPoint& p) {
                    return channelsWithin(p, 2 * kExactInFloat);
                });
    if (m_scanned)
        for (int a = 0; a < 3; ++a) {
            m_channels[a].fill(1e9f); // no entry: never nearest
            for (std::size_t i = 0; i < palette.size(); ++i)
                m_channels[a][i] = static_cast<float>(palette[i][a]);
        }
}

std::size_t NearestFinder::operator()(const ColourPoint& p) const {
    return (*this)(p, m_sorted.size());
}

std::size_t NearestFinder::operator()(const ColourPoint& p, std::size_t guess) const {
    if (m_sorted.empty())
        return 0;
    if (m_scanned && channelsWithin(p, kExactInFloat)) {
        const std::array<float, kScanned> distance = squaredDistances(m_channels, p);
        std::size_t best = 0;
        for (std::size_t i = 1; i < m_points.size(); ++i)
            if (distance[i] < distance[best])
                best = i;
        return best;
    }
    // Up to here a plain scan of every entry, without branches to mispredict, beats the search.
    if (m_points.size() <= kScanned)
        return nearestIndex(m_points, p);
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

} // namespace rastix
