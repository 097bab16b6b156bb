#pragma once

#include "codec/encodedpicture.h"
#include "encode/mapshape.h"
#include "image/image.h"
#include "palette/colourcensus.h"
#include "settings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace rastix {

// threads > 1 lets a large picture be encoded in bands on several cores. quarterTurn (a multiple
// of 90 degrees) encodes the picture turned clockwise, without making the turned copy (unless it
// is dithered). `transparent` says whether transparent pixels are to be written apart from every
// opaque one, when that is not the image's own answer (a frame of a sheet takes the sheet's).
EncodedPicture encodeTrueColour(const ImageView& image, const Settings& settings, int threads = 1,
                                int quarterTurn = 0,
                                std::optional<bool> transparent = std::nullopt);
// Without a census, one is taken of the picture first.
EncodedPicture encodeColourMap(const ImageView& image, const Settings& settings, int threads = 1,
                               const ColourCensus* census = nullptr, int quarterTurn = 0);
// The same map from a picture whose pixels were replaced by their words while its census was
// taken (see CensusTaker); such a picture can no longer be dithered.
EncodedPicture encodeColourMapOfWords(const ImageView& words, const Settings& settings, int threads,
                                      const ColourCensus& census, int quarterTurn = 0);
EncodedPicture encodePicture(const ImageView& image, const Settings& settings, int threads = 1,
                             int quarterTurn = 0);

struct MapPaletteLookup;

// Colour maps of many small pictures onto the one palette planned in the settings (the frames
// of a sheet), each the bytes encodeColourMap gives it: what depends on the palette alone is
// worked out once, and each picture's few colours are counted without a census of every word,
// which would take longer to clear than the picture to count. One Scratch a thread.
class PlannedMapEncoder {
public:
    struct Scratch {
        std::uint32_t picture = 0;
        std::vector<std::uint32_t> metIn;   // for each word, the picture that last met it
        std::vector<std::uint16_t> placeOf; // its place among that picture's words
        std::vector<std::uint32_t> words;   // the picture's words, as met
        std::vector<std::array<std::uint64_t, 4>> sums; // pixels, red, green, blue of each
        std::vector<std::uint8_t> indexOf;
    };
    explicit PlannedMapEncoder(const Settings& settings);
    EncodedPicture encode(const ImageView& image, int quarterTurn, Scratch& scratch) const;

private:
    Settings m_settings;
    std::shared_ptr<const MapPaletteLookup> m_lookup;
};

// A palette chosen for the colours of a census alone (the census of several pictures added up,
// for a set that shares it), shaped by the rules: `colours` holds the chosen words, each at the
// index palette.usable gives it, in order; without reduction they are the census's own words.
struct ChosenPalette {
    PlannedPalette palette;
    std::vector<std::uint16_t> colours;
    bool quantised = false;
};
ChosenPalette choosePalette(const ColourCensus& census, const MapRules& rules,
                            const Settings& settings);

// The map depth to use: the fewest of 1, 2, 4, 8 bits (only 8 unless optimise) whose entries,
// no more than maxEntries in all, hold the colours, where index 0 is kept transparent when the
// picture has transparent pixels or its rows need padding at that depth. Sets reserveZero
// accordingly. When nothing holds the colours the caller must reduce them; the answer is then
// 8, or with optimise the fewest bits with room for maxEntries (16 entries: 4 bits).
int chooseMapDepth(std::size_t colours, bool optimise, int width, bool hasTransparent,
                   bool& reserveZero, std::size_t maxEntries = 256);
// The opaque colours a map of that depth may hold.
std::size_t mapCapacity(int bits, std::size_t maxEntries, bool reserveZero);

} // namespace rastix
