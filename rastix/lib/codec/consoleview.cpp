#include "codec/consoleview.h"

#include "codec/objectfields.h"
#include "codec/pixelcodec.h"

#include <algorithm>
#include <array>

namespace rastix {

namespace {

using Shown = std::array<std::uint8_t, 3>;

Shown bytesOf(const Rgb& c) {
    return {static_cast<std::uint8_t>(c.red), static_cast<std::uint8_t>(c.green),
            static_cast<std::uint8_t>(c.blue)};
}

// The colour the screen makes of a word of the line buffer.
Rgb screenColour(std::uint16_t word, const Settings& s) {
    // Mixed mode: bit 0 picks the model and the hardware feeds 0 in its place, leaving CRY 7
    // bits of intensity and RGB 5 bits of green.
    if (s.fifteenBits)
        return (word & 1) ? decodeRgb16(word, true)
                          : decodeCry(static_cast<std::uint16_t>(word & ~1));
    return s.model == ColourModel::Rgb16 ? decodeRgb16(word, false) : decodeCry(word);
}

// Read-modify-write: each field of the delta is added to the line buffer's and saturates.
std::uint16_t drawnOver(std::uint16_t old, std::uint16_t delta) {
    const GlassDeltas d = unpackGlass(delta);
    const int high = std::clamp((old >> 12) + d.high, 0, 15);
    const int low = std::clamp(((old >> 8) & 15) + d.low, 0, 15);
    const int y = std::clamp((old & 0xFF) + d.intensity, 0, 255);
    return static_cast<std::uint16_t>(high << 12 | low << 8 | y);
}

// What an object pixel of that 16-bit value (a true-colour word, or the CLUT entry it
// addresses) leaves on screen.
Shown drawn(std::uint16_t word, const Settings& s) {
    if (glassCry(s))
        return bytesOf(screenColour(drawnOver(kGlassLineBuffer, word), s));
    return bytesOf(screenColour(word, s));
}

// What shows where the object draws nothing.
Shown backdrop(const Settings& s) {
    if (glassCry(s))
        return bytesOf(screenColour(kGlassLineBuffer, s));
    return {kShownBackdropGrey, kShownBackdropGrey, kShownBackdropGrey};
}

// The CLUT as the console holds it once the palette is loaded where its bank lies; entries it
// does not fill stay 0.
std::array<std::uint16_t, 256> loadedClut(const EncodedPicture& p) {
    std::array<std::uint16_t, 256> clut{};
    const std::size_t first = static_cast<std::size_t>(std::max(p.clutStart, 0));
    for (std::size_t k = 0; k < p.palette.size() && first + k < clut.size(); ++k)
        clut[first + k] = p.palette[k];
    return clut;
}

// What each pixel value of the picture shows, as its object would draw it.
std::vector<Shown> shownValues(const EncodedPicture& p, const Settings& s) {
    const ObjectFields object = objectFields(p, true);
    std::vector<Shown> shown;
    if (p.isColourMap()) {
        const std::array<std::uint16_t, 256> clut = loadedClut(p);
        const int values = 1 << p.bitsPerPixel;
        // Below 8 bits the INDEX field gives the CLUT address bits above the pixel's.
        const int above = p.bitsPerPixel < 8 ? (object.index * 2) & ~(values - 1) & 0xFF : 0;
        for (int v = 0; v < values; ++v)
            shown.push_back(drawn(clut[static_cast<std::size_t>(above | v)], s));
    } else {
        shown.resize(65536);
        for (std::size_t w = 0; w < shown.size(); ++w)
            shown[w] = drawn(static_cast<std::uint16_t>(w), s);
    }
    if (object.trans)
        shown[0] = backdrop(s);
    return shown;
}

// The value of pixel x of a row: a big-endian word, or an index packed from the most
// significant bit.
unsigned pixelValue(const std::uint8_t* row, int x, int bits) {
    if (bits == 16)
        return static_cast<unsigned>(row[2 * x] << 8 | row[2 * x + 1]);
    const int bit = x * bits;
    return static_cast<unsigned>(row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

bool knownDepth(int bits) {
    return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16;
}

} // namespace

ShownPicture consoleView(const EncodedPicture& p, const Settings& s, std::string& error) {
    const std::vector<long long> offsets = p.framed() ? p.frameOffsets : std::vector<long long>{0};
    const int frames = static_cast<int>(offsets.size());
    const int columns = std::clamp(p.frameColumns, 1, frames);
    const int rows = (frames + columns - 1) / columns;
    if (!knownDepth(p.bitsPerPixel) || p.width < 0 || p.height < 0 ||
        p.rowBytes < phraseAlignedRowBytes(p.width, p.bitsPerPixel)) {
        error = "the picture's rows do not hold its pixels";
        return {};
    }
    for (const long long offset : offsets)
        if (offset < 0 ||
            static_cast<unsigned long long>(offset + p.frameBytes()) > p.data.size()) {
            error = "the picture's data ends before its frames do";
            return {};
        }
    ShownPicture out;
    out.width = p.width * columns;
    out.height = p.height * rows;
    out.rgb.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 3);
    // The cells of the last row of frames that no frame fills.
    for (int k = frames; k < rows * columns; ++k)
        for (int y = 0; y < p.height; ++y)
            std::fill_n(
                &out.rgb[((static_cast<std::size_t>(k / columns) * p.height + y) * out.width +
                          static_cast<std::size_t>(k % columns) * p.width) *
                         3],
                static_cast<std::size_t>(p.width) * 3, kShownBackdropGrey);
    const std::vector<Shown> shown = shownValues(p, s);
    for (int k = 0; k < frames; ++k) {
        const std::uint8_t* frame = p.data.data() + offsets[static_cast<std::size_t>(k)];
        const std::size_t left = static_cast<std::size_t>(k % columns) * p.width;
        const std::size_t top = static_cast<std::size_t>(k / columns) * p.height;
        // A frame stored once for its mirror image too is shown by an object with REFLECT,
        // which draws the row's first pixel rightmost.
        const bool reflect =
            static_cast<std::size_t>(k) < p.frameReflect.size() && p.frameReflect[k] != 0;
        for (int y = 0; y < p.height; ++y) {
            const std::uint8_t* row = frame + static_cast<std::size_t>(y) * p.rowBytes;
            std::uint8_t* to = &out.rgb[((top + y) * out.width + left) * 3];
            for (int x = 0; x < p.width; ++x, to += 3) {
                const Shown& c =
                    shown[pixelValue(row, reflect ? p.width - 1 - x : x, p.bitsPerPixel)];
                to[0] = c[0];
                to[1] = c[1];
                to[2] = c[2];
            }
        }
    }
    return out;
}

} // namespace rastix
