#include "codec/crytable.h"

namespace rastix {

const std::array<CryRomEntry, 256>& cryRom() {
    static const std::array<CryRomEntry, 256> rom = {{
#include "crytable.inc"
    }};
    return rom;
}

std::uint8_t nearestCryColourExhaustive(int red, int green, int blue) {
    const auto& rom = cryRom();
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        const int dr = red - rom[i].red;
        const int dg = green - rom[i].green;
        const int db = blue - rom[i].blue;
        const int d = dr * dr + dg * dg + db * db;
        if (d <= bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

} // namespace rastix
