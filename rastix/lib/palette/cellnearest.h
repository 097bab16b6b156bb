#pragma once

#include "palette/quantiser.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rastix {

// The same answers as nearestIndex for colours of 0-255 a channel, found quickly when millions
// of colours are asked for: colour space is cut into cubes of 8 levels, and each cube
// remembers, once first asked, the few entries that can be nearest to any colour inside it. A
// question then measures only those. Dithering a big photo into a map asks this for every
// colour it mixes.
class CellNearestFinder {
public:
    explicit CellNearestFinder(const std::vector<ColourPoint>& palette);
    std::size_t operator()(const ColourPoint& p) const;

private:
    static constexpr int kCellBits = 5; // bits of a channel that pick the cube
    static constexpr int kSide = 256 >> kCellBits;
    const std::vector<std::uint16_t>& entriesOf(std::size_t cell) const;

    std::vector<ColourPoint> m_palette;
    mutable std::vector<std::vector<std::uint16_t>> m_cells;
    mutable std::vector<bool> m_known;
};

} // namespace rastix
