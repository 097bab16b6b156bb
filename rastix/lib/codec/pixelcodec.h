#pragma once

#include "image/image.h"
#include "settings.h"

#include <cstddef>
#include <cstdint>

namespace rastix {

// Both the transparent 16-bit pixel and, in relative CRY, "leave the line buffer as it is".
constexpr std::uint16_t kTransparentWord = 0;
// The colour byte used where a pixel has no hue (black, and every grey): the centre of the CRY
// colour square, so that averaging and relative deltas stay neutral.
constexpr std::uint8_t kNeutralCryColour = 0x88;

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Red in bits 15-11, blue 10-6, green 5-0. With fifteenBits green moves to 5-1 and bit 0 is set,
// marking the word as RGB for the console's mixed mode.
std::uint16_t encodeRgb16(int red, int green, int blue, bool fifteenBits);
// The colour the console shows: each field in the top bits of the byte, the rest zero.
Rgb decodeRgb16(std::uint16_t word, bool fifteenBits);

// Colour byte in bits 15-8, intensity Y = max(R, G, B) in bits 7-0 (bit 0 cleared with
// fifteenBits, which marks the word as CRY).
std::uint16_t encodeCry(int red, int green, int blue, bool fifteenBits);
// The console's rule: each channel is (ROM value x Y) >> 8.
Rgb decodeCry(std::uint16_t word);
// The colour byte for a colour: the ROM entry nearest to the colour scaled to full intensity,
// found through lookup tables (a multiply-free scale and one load per face of the RGB cube).
std::uint8_t cryColourByte(int red, int green, int blue);

// Relative CRY: signed deltas added by the console to what is already in the line buffer.
struct GlassDeltas {
    int high = 0;      // -8..7, high colour nibble
    int low = 0;       // -8..7, low colour nibble
    int intensity = 0; // -128..127
    bool operator==(const GlassDeltas&) const = default;
};
GlassDeltas glassDeltas(int red, int green, int blue, KeptDeltas kept, bool grayOnly);
std::uint16_t packGlass(const GlassDeltas& deltas);
GlassDeltas unpackGlass(std::uint16_t word);

// Encodes one source pixel (0xAARRGGBB, not premultiplied) under the given settings; a fully
// transparent pixel gives kTransparentWord.
// In a picture with transparent pixels an opaque pixel must never give that word, or it would
// vanish on the console (a sprite's black outline in RGB16): with keepOpaqueVisible it gets the
// nearest word that is not transparent instead ($0001 for RGB16 black, $8800 for CRY black).
// A picture without transparent pixels keeps the plain words, since nothing shows through it.
class PixelEncoder {
public:
    explicit PixelEncoder(const Settings& settings, bool keepOpaqueVisible = false);
    std::uint16_t operator()(std::uint32_t argb) const;
    // Writes count pixels as big-endian words.
    void encodeRow(const std::uint32_t* pixels, int count, std::uint8_t* out) const;
    // Writes count pixels' words, or transparentCode for the fully transparent ones.
    void codeRow(const std::uint32_t* pixels, int count, std::uint32_t* codes,
                 std::uint32_t transparentCode) const;

private:
    template <typename Store>
    void encodeRowInto(const std::uint32_t* pixels, int count, Store store) const;
    std::uint16_t plainWord(std::uint32_t argb) const; // argb not fully transparent
    enum class Kind { Rgb16, Cry16, CryGray, Glass };
    Kind m_kind;
    bool m_fifteenBits;
    KeptDeltas m_kept;
    bool m_grayOnly;
    // What an opaque pixel that encodes to kTransparentWord is written as.
    std::uint16_t m_opaqueZero = kTransparentWord;
};

// Whether any of count big-endian words is 0.
bool anyZeroWord(const std::uint8_t* words, std::size_t count);

// Whether any pixel of the picture is fully transparent.
bool hasTransparentPixels(const ImageView& image);

} // namespace rastix
