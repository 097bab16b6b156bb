#include "codec/pixelcodec.h"

#include "codec/crytable.h"

#include <algorithm>
#include <array>

namespace rastix {

namespace {

// Nearest colour byte for every point of the three top faces of the RGB cube; generated at
// build time by the exhaustive search in crytable.cpp.
const std::uint8_t kFaceLookup[3 * 256 * 256] = {
#include "crylut.inc"
};

// kScale[y][c] = round(c * 255 / y) for c <= y: the component brought to full intensity.
struct ScaleTable {
    std::array<std::uint8_t, 256 * 256> values{};
    ScaleTable() {
        for (int y = 1; y < 256; ++y)
            for (int c = 0; c <= y; ++c)
                values[y * 256 + c] = static_cast<std::uint8_t>((c * 510 + y) / (2 * y));
    }
};
const ScaleTable kScale;

int fiveBits(int v) {
    return std::min(31, (v + 4) >> 3);
}
int sixBits(int v) {
    return std::min(63, (v + 2) >> 2);
}

int keep(int delta, KeptDeltas kept) {
    switch (kept) {
    case KeptDeltas::Positive:
        return delta > 0 ? delta : 0;
    case KeptDeltas::Negative:
        return delta < 0 ? delta : 0;
    case KeptDeltas::Both:
        break;
    }
    return delta;
}

} // namespace

std::uint16_t encodeRgb16(int red, int green, int blue, bool fifteenBits) {
    const int rb = (fiveBits(red) << 11) | (fiveBits(blue) << 6);
    if (fifteenBits)
        return static_cast<std::uint16_t>(rb | (fiveBits(green) << 1) | 1);
    return static_cast<std::uint16_t>(rb | sixBits(green));
}

Rgb decodeRgb16(std::uint16_t word, bool fifteenBits) {
    const int green = fifteenBits ? ((word >> 1) & 31) << 3 : (word & 63) << 2;
    return {(word >> 11) << 3, green, ((word >> 6) & 31) << 3};
}

std::uint8_t cryColourByte(int red, int green, int blue) {
    const int y = std::max({red, green, blue});
    if (y == 0)
        return kNeutralCryColour;
    const std::uint8_t* scale = &kScale.values[static_cast<std::size_t>(y) * 256];
    int face = 0;
    int a = green;
    int b = blue;
    if (red != y) {
        if (green == y) {
            face = 1;
            a = red;
        } else {
            face = 2;
            a = red;
            b = green;
        }
    }
    return kFaceLookup[face * 65536 + scale[a] * 256 + scale[b]];
}

std::uint16_t encodeCry(int red, int green, int blue, bool fifteenBits) {
    int y = std::max({red, green, blue});
    if (fifteenBits)
        y &= ~1;
    return static_cast<std::uint16_t>((cryColourByte(red, green, blue) << 8) | y);
}

Rgb decodeCry(std::uint16_t word) {
    const CryRomEntry& e = cryRom()[word >> 8];
    const int y = word & 0xFF;
    return {(e.red * y) >> 8, (e.green * y) >> 8, (e.blue * y) >> 8};
}

GlassDeltas glassDeltas(int red, int green, int blue, KeptDeltas kept, bool grayOnly) {
    GlassDeltas d;
    d.intensity = keep(std::max({red, green, blue}) - 128, kept);
    if (!grayOnly) {
        const int colour = cryColourByte(red, green, blue);
        d.high = keep((colour >> 4) - 8, kept);
        d.low = keep((colour & 15) - 8, kept);
    }
    return d;
}

std::uint16_t packGlass(const GlassDeltas& deltas) {
    return static_cast<std::uint16_t>(((deltas.high & 15) << 12) | ((deltas.low & 15) << 8) |
                                      (deltas.intensity & 0xFF));
}

GlassDeltas unpackGlass(std::uint16_t word) {
    const auto nibble = [](int v) {
        return v >= 8 ? v - 16 : v;
    };
    const int y = word & 0xFF;
    return {nibble(word >> 12), nibble((word >> 8) & 15), y >= 128 ? y - 256 : y};
}

PixelEncoder::PixelEncoder(const Settings& settings, bool keepOpaqueVisible)
    : m_kind(Kind::Rgb16)
    , m_fifteenBits(settings.fifteenBits)
    , m_kept(settings.kept)
    , m_grayOnly(settings.grayOnly) {
    if (settings.model == ColourModel::Cry16) {
        if (settings.cryEncoding == CryEncoding::Glass)
            m_kind = Kind::Glass;
        else
            m_kind = settings.grayOnly ? Kind::CryGray : Kind::Cry16;
    }
    // RGB16 black, and in 15-bit CRY a blue too dark for the 7-bit intensity, give $0000. In
    // relative CRY a zero delta changes nothing, exactly like a transparent pixel.
    if (keepOpaqueVisible && m_kind != Kind::Glass)
        m_opaqueZero = m_kind == Kind::Rgb16 ? 0x0001 : (kNeutralCryColour << 8);
}

std::uint16_t PixelEncoder::operator()(std::uint32_t argb) const {
    if ((argb >> 24) == 0)
        return kTransparentWord;
    const std::uint16_t word = plainWord(argb);
    return word == kTransparentWord ? m_opaqueZero : word;
}

std::uint16_t PixelEncoder::plainWord(std::uint32_t argb) const {
    const int r = (argb >> 16) & 0xFF;
    const int g = (argb >> 8) & 0xFF;
    const int b = argb & 0xFF;
    switch (m_kind) {
    case Kind::Rgb16:
        return encodeRgb16(r, g, b, m_fifteenBits);
    case Kind::Cry16:
        return encodeCry(r, g, b, m_fifteenBits);
    case Kind::CryGray: {
        int y = std::max({r, g, b});
        if (m_fifteenBits)
            y &= ~1;
        return static_cast<std::uint16_t>((kNeutralCryColour << 8) | y);
    }
    case Kind::Glass: {
        const std::uint16_t word = packGlass(glassDeltas(r, g, b, m_kept, m_grayOnly));
        return m_fifteenBits ? static_cast<std::uint16_t>(word & ~1) : word;
    }
    }
    return kTransparentWord;
}

namespace {

// Each row encoder hands every pixel's word to store(i, word, opaque), which writes it as bytes
// or as a code; inlined, so both stay vector code.
template <typename Encode, typename Store>
void encodeRowWith(const std::uint32_t* pixels, int count, Encode encode, Store store) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t argb = pixels[i];
        const bool opaque = (argb >> 24) != 0;
        store(i, opaque ? encode(argb) : kTransparentWord, opaque);
    }
}

// Branch-free so the compiler can turn it into vector code: this loop is most of the cost of
// converting a large photo once it is decoded.
template <typename Store> void encodeRgb16Row(const std::uint32_t* pixels, int count, Store store) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t p = pixels[i];
        const std::uint32_t r = std::min((((p >> 16) & 0xFF) + 4) >> 3, 31u);
        const std::uint32_t g = std::min((((p >> 8) & 0xFF) + 2) >> 2, 63u);
        const std::uint32_t b = std::min(((p & 0xFF) + 4) >> 3, 31u);
        const bool opaque = (p >> 24) != 0;
        const std::uint32_t word = ((r << 11) | (b << 6) | g) & (opaque ? 0xFFFFu : 0u);
        store(i, word, opaque);
    }
}

template <typename Store> void encodeCryRow(const std::uint32_t* pixels, int count, Store store) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t p = pixels[i];
        const int r = (p >> 16) & 0xFF;
        const int g = (p >> 8) & 0xFF;
        const int b = p & 0xFF;
        const int y = std::max(std::max(r, g), b);
        // Which face of the cube the scaled colour lies on, and its two other components.
        const int face = r == y ? 0 : (g == y ? 1 : 2);
        const int a = face == 0 ? g : r;
        const int c = face == 2 ? g : b;
        const std::uint8_t* scale = &kScale.values[static_cast<std::size_t>(y) * 256];
        const int colour =
            y == 0 ? kNeutralCryColour : kFaceLookup[face * 65536 + scale[a] * 256 + scale[c]];
        const bool opaque = (p >> 24) != 0;
        store(i, opaque ? static_cast<std::uint32_t>(colour << 8 | y) : 0u, opaque);
    }
}

} // namespace

template <typename Store>
void PixelEncoder::encodeRowInto(const std::uint32_t* pixels, int count, Store store) const {
    if (m_opaqueZero != kTransparentWord)
        encodeRowWith(
            pixels, count, [this](std::uint32_t p) { return (*this)(p); }, store);
    else if (m_kind == Kind::Rgb16 && !m_fifteenBits)
        encodeRgb16Row(pixels, count, store);
    else if (m_kind == Kind::Cry16 && !m_fifteenBits)
        encodeCryRow(pixels, count, store);
    else
        encodeRowWith(
            pixels, count, [this](std::uint32_t p) { return (*this)(p); }, store);
}

void PixelEncoder::encodeRow(const std::uint32_t* pixels, int count, std::uint8_t* out) const {
    encodeRowInto(pixels, count, [out](int i, std::uint32_t word, bool) {
        out[2 * i] = static_cast<std::uint8_t>(word >> 8);
        out[2 * i + 1] = static_cast<std::uint8_t>(word);
    });
}

void PixelEncoder::codeRow(const std::uint32_t* pixels, int count, std::uint32_t* codes,
                           std::uint32_t transparentCode) const {
    encodeRowInto(pixels, count, [codes, transparentCode](int i, std::uint32_t word, bool opaque) {
        codes[i] = opaque ? word : transparentCode;
    });
}

bool anyZeroWord(const std::uint8_t* words, std::size_t count) {
    bool found = false; // without an early exit, so the loop stays vector code
    for (std::size_t i = 0; i < count; ++i)
        found |= (words[2 * i] | words[2 * i + 1]) == 0;
    return found;
}

bool hasTransparentPixels(const ImageView& image) {
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* row = image.row(y);
        bool found = false;
        for (int x = 0; x < image.width; ++x)
            found |= (row[x] >> 24) == 0;
        if (found)
            return true;
    }
    return false;
}

} // namespace rastix
