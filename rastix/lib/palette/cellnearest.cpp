#include "palette/cellnearest.h"

#include "palette/nearestcolour.h"

#include <algorithm>
#include <cstdlib>

namespace rastix {

CellNearestFinder::CellNearestFinder(const std::vector<ColourPoint>& palette)
    : m_palette(palette)
    , m_cells(std::size_t{1} << (3 * kCellBits))
    , m_known(m_cells.size(), false) {}

// An entry can be nearest to some colour of the cube only if its nearest point of the cube is
// no farther than the farthest point of the cube is from some entry: that bound holds the
// nearest entry of every colour inside, and every entry tied with it, so lowest-index ties
// come out as nearestIndex gives them.
const std::vector<std::uint16_t>& CellNearestFinder::entriesOf(std::size_t cell) const {
    std::vector<std::uint16_t>& entries = m_cells[cell];
    if (m_known[cell])
        return entries;
    m_known[cell] = true;
    const int lo[3] = {static_cast<int>(cell >> (2 * kCellBits)) * kSide,
                       static_cast<int>((cell >> kCellBits) % (1 << kCellBits)) * kSide,
                       static_cast<int>(cell % (1 << kCellBits)) * kSide};
    std::vector<int> nearestPoint(m_palette.size());
    int bound = 1 << 30;
    for (std::size_t i = 0; i < m_palette.size(); ++i) {
        int near = 0;
        int far = 0;
        for (int a = 0; a < 3; ++a) {
            const int v = m_palette[i][a];
            const int hi = lo[a] + kSide - 1;
            const int outside = v < lo[a] ? lo[a] - v : v > hi ? v - hi : 0;
            const int across = std::max(std::abs(v - lo[a]), std::abs(v - hi));
            near += outside * outside;
            far += across * across;
        }
        nearestPoint[i] = near;
        bound = std::min(bound, far);
    }
    for (std::size_t i = 0; i < m_palette.size(); ++i)
        if (nearestPoint[i] <= bound)
            entries.push_back(static_cast<std::uint16_t>(i));
    return entries;
}

std::size_t CellNearestFinder::operator()(const ColourPoint& p) const {
    const auto outside = [](int v) {
        return v < 0 || v > 255;
    };
    if (outside(p[0]) || outside(p[1]) || outside(p[2]))
        return nearestIndex(m_palette, p); // no cube holds it
    const auto cube = [](int v) {
        return static_cast<std::size_t>(v / kSide);
    };
    const std::size_t cell = cube(p[0]) << (2 * kCellBits) | cube(p[1]) << kCellBits | cube(p[2]);
    std::size_t best = 0;
    int bestDistance = 1 << 30;
    for (const std::uint16_t i : entriesOf(cell)) {
        const ColourPoint& e = m_palette[i];
        const int d = (e[0] - p[0]) * (e[0] - p[0]) + (e[1] - p[1]) * (e[1] - p[1]) +
                      (e[2] - p[2]) * (e[2] - p[2]);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

} // namespace rastix
