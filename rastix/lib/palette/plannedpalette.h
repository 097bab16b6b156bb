#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace rastix {

// The palette a map is made with when it was not chosen for the map alone: shared by a set of
// pictures, a bank of a CLUT made for a set, or given by a file.
struct PlannedPalette {
    // The entries the map's indices address: for a bank, the bank's own entries.
    std::vector<std::uint16_t> words;
    // The indices opaque colours may be mapped to (reserved entries and a transparent index 0
    // are left out), in ascending order.
    std::vector<std::uint8_t> usable;
    int bitsPerPixel = 8;
    // Index 0 is kept for transparent pixels and row padding.
    bool transparentIndexZero = false;
    // The CLUT entry the map's index 0 addresses (a bank's first entry); -1 when the map is
    // not meant for a bank.
    int clutStart = -1;
};

// A palette that cannot serve a map as asked (a bank past the CLUT's end, every entry
// reserved): the picture fails with this message.
class PaletteRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace rastix
