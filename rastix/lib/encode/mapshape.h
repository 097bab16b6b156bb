#pragma once

#include "palette/plannedpalette.h"
#include "settings.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rastix {

// What decides the depth of a map and where its colours may go.
struct MapRules {
    bool optimise = false;
    std::size_t maxEntries = 256;
    // The widths of the maps that share the palette: each row is padded to a whole phrase with
    // index 0, which must then be kept transparent.
    std::vector<int> widths;
    bool hasTransparent = false;
    std::bitset<256> reserved;
    int bank = -1; // a bank of the CLUT of the map's own size, or -1
};

MapRules mapRulesFor(const Settings& settings, int width, bool hasTransparent);

// The depth, index 0's use and the indices open to colours of a map that must hold `colours`
// colours of its own: the fewest of 1, 2, 4, 8 bits (only 8 unless optimise; at most 4 for a
// bank) that hold them, or, when none does, the fewest with room for as many entries as
// allowed. `usable` is empty where every entry is reserved. Throws std::runtime_error, with a
// message for the user, for a bank that lies past the CLUT's end.
PlannedPalette chooseMapShape(std::size_t colours, const MapRules& rules);

// The indices open to colours in a map of that depth whose index 0 addresses CLUT entry
// clutStart (0 for a map that is not in a bank).
std::vector<std::uint8_t> usableIndices(int bits, std::size_t maxEntries, bool reserveZero,
                                        const std::bitset<256>& reserved, int clutStart);

// Whether any of the maps needs index 0 for padding or transparent pixels at that depth.
bool needsTransparentZero(const MapRules& rules, int bits);

// The map depth and palette for mapping onto a palette given in a file: every entry of the
// file, in its order, as words of the settings' colour model (a .clut's words as they are).
// Throws std::runtime_error, with a message for the user, when the palette cannot serve.
PlannedPalette givenPalettePlan(const PaletteFileContents& file, const Settings& settings,
                                const MapRules& rules);

// The words of a palette file's colours under the settings (a .clut's words as they are).
std::vector<std::uint16_t> givenPaletteWords(const PaletteFileContents& file,
                                             const Settings& settings);

} // namespace rastix
