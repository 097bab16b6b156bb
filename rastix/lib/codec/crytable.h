#pragma once

#include <array>
#include <cstdint>

namespace rastix {

struct CryRomEntry {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

// The console's CRY colour ROMs at full intensity, indexed by the colour byte (high nibble is
// the row of the printed table, low nibble the column).
const std::array<CryRomEntry, 256>& cryRom();

// The colour byte whose full-intensity colour is nearest (squared RGB distance) to the given
// colour, searching every entry; ties go to the higher index, so a pure grey lands on 0x88, the
// centre of the colour square. This is the reference the fast lookup is built from.
std::uint8_t nearestCryColourExhaustive(int red, int green, int blue);

} // namespace rastix
