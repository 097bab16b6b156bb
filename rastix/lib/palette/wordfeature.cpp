#include "palette/wordfeature.h"

#include "codec/pixelcodec.h"
#include "palette/dither.h"

#include <algorithm>
#include <cmath>

namespace rastix {

std::array<int, 3> wordFeature(std::uint16_t word, const Settings& settings) {
    if (glassCry(settings)) {
        // A nibble step moves a colour by about a sixteenth of the square, roughly 17 levels.
        const GlassDeltas d = unpackGlass(word);
        return {d.high * 17, d.low * 17, d.intensity};
    }
    const Rgb c = shownColour(word, settings);
    return {c.red, c.green, c.blue};
}

std::uint16_t wordFromFeature(const std::array<int, 3>& f, const Settings& settings) {
    if (glassCry(settings)) {
        const auto nibble = [](int v) {
            return std::clamp(static_cast<int>(std::lround(v / 17.0)), -8, 7);
        };
        GlassDeltas d{nibble(f[0]), nibble(f[1]), std::clamp(f[2], -128, 127)};
        const std::uint16_t word = packGlass(d);
        return settings.fifteenBits ? static_cast<std::uint16_t>(word & ~1) : word;
    }
    const auto channel = [](int v) {
        return static_cast<std::uint32_t>(std::clamp(v, 0, 255));
    };
    const std::uint32_t argb =
        0xFF000000u | channel(f[0]) << 16 | channel(f[1]) << 8 | channel(f[2]);
    return PixelEncoder(settings)(argb);
}

} // namespace rastix
