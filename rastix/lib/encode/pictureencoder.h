#pragma once

#include "image/image.h"
#include "image/largeblock.h"
#include "palette/colourcensus.h"
#include "settings.h"

#include <array>

#include <cstdint>
#include <vector>

namespace rastix {

// The console-ready form of one picture: rows of big-endian pixel data, each padded to a whole
// phrase (8 bytes) with transparent pixels, plus the palette of a colour map.
struct EncodedPicture {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 16;
    int rowBytes = 0;
    ByteBuffer data;
    std::vector<std::uint16_t> palette; // empty for true colour
    bool transparentIndexZero = false;
    bool quantised = false;
    std::size_t sourceColours = 0; // distinct words before any reduction (colour map only)

    bool isColourMap() const { return !palette.empty(); }
    int phrasesPerRow() const { return rowBytes / 8; }
    int paddedWidth() const { return rowBytes * 8 / bitsPerPixel; }
};

int phraseAlignedRowBytes(int width, int bitsPerPixel);

// threads > 1 lets a large picture be encoded in bands on several cores. quarterTurn (a multiple
// of 90 degrees) encodes the picture turned clockwise, without making the turned copy (unless it
// is dithered).
EncodedPicture encodeTrueColour(const ImageView& image, const Settings& settings, int threads = 1,
                                int quarterTurn = 0);
// Without a census, one is taken of the picture first.
EncodedPicture encodeColourMap(const ImageView& image, const Settings& settings, int threads = 1,
                               const ColourCensus* census = nullptr, int quarterTurn = 0);
// The same map from a picture whose pixels were replaced by their words while its census was
// taken (see CensusTaker); such a picture can no longer be dithered.
EncodedPicture encodeColourMapOfWords(const ImageView& words, const Settings& settings, int threads,
                                      const ColourCensus& census, int quarterTurn = 0);
EncodedPicture encodePicture(const ImageView& image, const Settings& settings, int threads = 1,
                             int quarterTurn = 0);

// The map depth to use: the fewest of 1, 2, 4, 8 bits (only 8 unless optimise) whose entries,
// no more than maxEntries in all, hold the colours, where index 0 is kept transparent when the
// picture has transparent pixels or its rows need padding at that depth. Sets reserveZero
// accordingly. When nothing holds the colours the caller must reduce them; the answer is then
// 8, or with optimise the fewest bits with room for maxEntries (16 entries: 4 bits).
int chooseMapDepth(std::size_t colours, bool optimise, int width, bool hasTransparent,
                   bool& reserveZero, std::size_t maxEntries = 256);
// The opaque colours a map of that depth may hold.
std::size_t mapCapacity(int bits, std::size_t maxEntries, bool reserveZero);

// How colour-map reduction sees a word: a point in a space where distance means visible
// difference (RGB for plain words, scaled deltas for relative CRY), and back.
std::array<int, 3> wordFeature(std::uint16_t word, const Settings& settings);
std::uint16_t wordFromFeature(const std::array<int, 3>& feature, const Settings& settings);

} // namespace rastix
