#include "encode/mapshape.h"

#include "codec/pixelcodec.h"
#include "palette/palettefile.h"

#include <algorithm>
#include <stdexcept>

namespace rastix {

MapRules mapRulesFor(const Settings& s, int width, bool hasTransparent) {
    MapRules rules;
    rules.optimise = s.optimiseMapDepth;
    rules.maxEntries = static_cast<std::size_t>(std::clamp(s.mapColours, 2, 256));
    rules.widths = {width};
    rules.hasTransparent = hasTransparent;
    rules.reserved = s.reservedEntries;
    rules.bank = s.bank;
    return rules;
}

bool needsTransparentZero(const MapRules& rules, int bits) {
    if (rules.hasTransparent)
        return true;
    return std::any_of(rules.widths.begin(), rules.widths.end(), [bits](int width) {
        return (static_cast<long long>(width) * bits) % 64 != 0;
    });
}

std::vector<std::uint8_t> usableIndices(int bits, std::size_t maxEntries, bool reserveZero,
                                        const std::bitset<256>& reserved, int clutStart) {
    const std::size_t entries = std::min(std::size_t{1} << bits, maxEntries);
    std::vector<std::uint8_t> usable;
    for (std::size_t i = reserveZero ? 1 : 0; i < entries; ++i)
        if (!reserved[static_cast<std::size_t>(clutStart) + i])
            usable.push_back(static_cast<std::uint8_t>(i));
    return usable;
}

namespace {

// Where a bank of that depth starts; throws when it lies past the CLUT.
int bankStart(int bank, int bits) {
    if (bank < 0)
        return -1;
    const int size = 1 << bits;
    if (bank * size + size > 256)
        throw PaletteRefused("bank " + std::to_string(bank) + " of " + std::to_string(size) +
                             " entries lies past the CLUT's 256 entries (banks of " +
                             std::to_string(size) + " entries are 0 to " +
                             std::to_string(256 / size - 1) + ")");
    return bank * size;
}

PlannedPalette shapeAt(int bits, const MapRules& rules) {
    PlannedPalette shape;
    shape.bitsPerPixel = bits;
    shape.transparentIndexZero = needsTransparentZero(rules, bits);
    shape.clutStart = bankStart(rules.bank, bits);
    shape.usable = usableIndices(bits, rules.maxEntries, shape.transparentIndexZero, rules.reserved,
                                 std::max(shape.clutStart, 0));
    return shape;
}

} // namespace

PlannedPalette chooseMapShape(std::size_t colours, const MapRules& rules) {
    const bool banked = rules.bank >= 0;
    const bool optimise = rules.optimise || banked;
    const std::size_t maxEntries =
        banked ? std::min<std::size_t>(rules.maxEntries, 16) : rules.maxEntries;
    MapRules limited = rules;
    limited.maxEntries = maxEntries;
    for (const int bits : {1, 2, 4, 8}) {
        if ((!optimise && bits != 8) || (banked && bits == 8))
            continue;
        PlannedPalette shape = shapeAt(bits, limited);
        if (colours <= shape.usable.size())
            return shape;
    }
    // The colours must be reduced: to the fewest bits that hold as many entries as allowed.
    int bits = banked ? 4 : 8;
    if (optimise)
        while (bits > 1 && (std::size_t{1} << (bits / 2)) >= maxEntries)
            bits /= 2;
    return shapeAt(bits, limited);
}

std::vector<std::uint16_t> givenPaletteWords(const PaletteFileContents& file,
                                             const Settings& settings) {
    if (file.holdsWords)
        return file.words;
    const PixelEncoder encode(settings);
    std::vector<std::uint16_t> words;
    for (const RgbColour& c : file.colours)
        words.push_back(encode(0xFF000000u | static_cast<std::uint32_t>(c.red) << 16 |
                               static_cast<std::uint32_t>(c.green) << 8 | c.blue));
    return words;
}

PlannedPalette givenPalettePlan(const PaletteFileContents& file, const Settings& settings,
                                const MapRules& rules) {
    PlannedPalette plan;
    plan.words = givenPaletteWords(file, settings);
    const std::size_t entries = plan.words.size();
    int bits = 8;
    if (rules.optimise || rules.bank >= 0)
        for (const int b : {4, 2, 1})
            if (entries <= (std::size_t{1} << b))
                bits = b;
    if (rules.bank >= 0 && bits == 8)
        throw PaletteRefused("a palette of " + std::to_string(entries) +
                             " entries does not fit a bank (16 entries at most)");
    plan.bitsPerPixel = bits;
    plan.transparentIndexZero = needsTransparentZero(rules, bits);
    plan.clutStart = bankStart(rules.bank, bits);
    plan.usable = usableIndices(bits, entries, plan.transparentIndexZero, rules.reserved,
                                std::max(plan.clutStart, 0));
    if (plan.usable.empty())
        throw PaletteRefused("the given palette leaves no entry for colours (" +
                             std::to_string(entries) + " entries" +
                             (plan.transparentIndexZero ? ", index 0 kept transparent" : "") +
                             (rules.reserved.any() ? ", some reserved" : "") + ")");
    return plan;
}

} // namespace rastix
