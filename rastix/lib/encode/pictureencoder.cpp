#include "encode/pictureencoder.h"

#include "codec/pixelcodec.h"
#include "encode/mapshape.h"
#include "image/rowbands.h"
#include "palette/dither.h"
#include "palette/nearestcolour.h"
#include "palette/palette.h"
#include "palette/quantiser.h"
#include "palette/wordfeature.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace rastix {

EncodedPicture encodeTrueColour(const ImageView& image, const Settings& settings, int threads,
                                int quarterTurn, std::optional<bool> hasTransparent) {
    const bool dithered = dithers(settings);
    if (dithered && quarterTurn % 360 != 0) // dithering runs along the turned rows
        return encodeTrueColour(rotateClockwise(image, quarterTurn).view(), settings, threads, 0,
                                hasTransparent);
    const QuarterTurnRows shape(image, quarterTurn);
    EncodedPicture out;
    out.width = shape.width();
    out.height = shape.height();
    out.bitsPerPixel = 16;
    out.rowBytes = phraseAlignedRowBytes(out.width, 16);
    // Zero-filled, so the padding at the end of each row is already transparent.
    out.data.assign(static_cast<std::size_t>(out.rowBytes) * static_cast<std::size_t>(out.height),
                    0);
    const bool transparent = hasTransparent ? *hasTransparent : hasTransparentPixels(image);
    const PixelEncoder encoder(settings, !glassCry(settings) && transparent);
    const auto encodeRows = [&](int first, int last, int /*band*/) {
        if (dithered) {
            ditherTrueColourRows(image, settings, encoder, first, last, out.data.data(),
                                 out.rowBytes);
            return;
        }
        QuarterTurnRows rows(image, quarterTurn);
        for (int y = first; y < last; ++y)
            encoder.encodeRow(rows(y), out.width,
                              out.data.data() + static_cast<std::size_t>(y) * out.rowBytes);
    };
    // Diffused error runs from each row into the next, so only one thread can carry it.
    const bool wholePicture = dithered && settings.dither == Dither::Diffusion;
    inRowBands(ImageView{nullptr, out.width, out.height, out.width}, wholePicture ? 1 : threads,
               encodeRows);
    // With transparent pixels no opaque one is written as word 0; relative CRY writes it for
    // "no change", which skipping it does too. Otherwise only opaque black may be word 0.
    bool opaqueZero = false;
    if (!transparent && !glassCry(settings))
        for (int y = 0; y < out.height && !opaqueZero; ++y)
            opaqueZero = anyZeroWord(out.data.data() + static_cast<std::size_t>(y) * out.rowBytes,
                                     static_cast<std::size_t>(out.width));
    out.zeroWordsTransparent = !opaqueZero;
    return out;
}

std::size_t mapCapacity(int bits, std::size_t maxEntries, bool reserveZero) {
    return std::min(std::size_t{1} << bits, maxEntries) - (reserveZero ? 1 : 0);
}

int chooseMapDepth(std::size_t colours, bool optimise, int width, bool hasTransparent,
                   bool& reserveZero, std::size_t maxEntries) {
    const auto reserveAt = [&](int bits) {
        const bool padded = (static_cast<long long>(width) * bits) % 64 != 0;
        return hasTransparent || padded;
    };
    for (const int bits : {1, 2, 4, 8}) {
        if (!optimise && bits != 8)
            continue;
        reserveZero = reserveAt(bits);
        if (colours <= mapCapacity(bits, maxEntries, reserveZero))
            return bits;
    }
    // The colours must be reduced: to the fewest bits that hold as many entries as allowed.
    int bits = 8;
    if (optimise)
        while (bits > 1 && (std::size_t{1} << (bits / 2)) >= maxEntries)
            bits /= 2;
    reserveZero = reserveAt(bits);
    return bits;
}

namespace {

// The mean colour of the pixels behind each distinct word, rounded; empty where the words are
// not colours (glass CRY holds changes of colour).
std::vector<ColourPoint> sourceColoursOf(const ColourCensus& census,
                                         const std::vector<std::uint16_t>& distinct,
                                         const Settings& settings) {
    if (glassCry(settings))
        return {};
    std::vector<ColourPoint> colours;
    colours.reserve(distinct.size());
    for (const std::uint16_t w : distinct) {
        const std::array<std::uint64_t, 4>& sum = census.words[w];
        const auto mean = [&](std::size_t a) {
            return static_cast<int>((2 * sum[a] + sum[0]) / (2 * sum[0]));
        };
        colours.push_back({mean(1), mean(2), mean(3)});
    }
    return colours;
}

// A map's palette, and the index into it of every word that occurs (transparent pixels: 0).
struct MapPlan {
    EncodedPicture out;
    std::vector<std::uint8_t> indexOf;
    // The palette indices opaque colours were given or may take when dithered.
    std::vector<std::uint8_t> usable;
};

void takeShape(MapPlan& plan, const PlannedPalette& shape) {
    plan.out.bitsPerPixel = shape.bitsPerPixel;
    plan.out.transparentIndexZero = shape.transparentIndexZero;
    plan.out.clutStart = shape.clutStart;
    plan.usable = shape.usable;
}

// The mean of a sum of colours over `pixels`, rounded.
ColourPoint meanColour(const std::array<std::uint64_t, 4>& sum) {
    const auto mean = [&](std::size_t a) {
        return static_cast<int>((2 * sum[a] + sum[0]) / (2 * sum[0]));
    };
    return {mean(1), mean(2), mean(3)};
}

} // namespace

// What mapping onto a palette made elsewhere needs of it: the entry of each word it holds, and
// the features of its usable entries to find the nearest of any other.
struct MapPaletteLookup {
    std::vector<int> entryOf = std::vector<int>(65536, -1);
    std::vector<ColourPoint> features;
    std::optional<NearestFinder> nearest;

    MapPaletteLookup(const PlannedPalette& palette, const Settings& settings) {
        for (const std::uint8_t i : palette.usable) {
            features.push_back(wordFeature(palette.words[i], settings));
            if (entryOf[palette.words[i]] < 0)
                entryOf[palette.words[i]] = i;
        }
        nearest.emplace(features);
    }
    // The palette index of a word, whose pixels' mean colour is source (none: glass CRY); sets
    // quantised when the palette does not hold it.
    std::uint8_t indexOf(std::uint16_t w, const std::optional<ColourPoint>& source,
                         const PlannedPalette& palette, const Settings& settings,
                         bool& quantised) const {
        if (entryOf[w] >= 0)
            return static_cast<std::uint8_t>(entryOf[w]);
        quantised = true;
        return palette.usable[(*nearest)(source ? *source : wordFeature(w, settings))];
    }
};

namespace {

// Every word onto the nearest usable entry of a palette made elsewhere; a word the palette
// holds keeps its entry exactly.
void mapOntoPalette(MapPlan& plan, const PlannedPalette& palette, const ColourCensus& census,
                    const std::vector<std::uint16_t>& distinct, const Settings& settings) {
    takeShape(plan, palette);
    plan.out.palette = palette.words;
    if (distinct.empty())
        return;
    if (palette.usable.empty())
        throw PaletteRefused("the palette leaves no entry for colours");
    const MapPaletteLookup lookup(palette, settings);
    const std::vector<ColourPoint> sources = sourceColoursOf(census, distinct, settings);
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        const std::optional<ColourPoint> source =
            sources.empty() ? std::nullopt : std::optional<ColourPoint>(sources[i]);
        plan.indexOf[distinct[i]] =
            lookup.indexOf(distinct[i], source, palette, settings, plan.out.quantised);
    }
}

} // namespace

ChosenPalette choosePalette(const ColourCensus& census, const MapRules& rules,
                            const Settings& settings) {
    std::vector<std::uint64_t> histogram(65536, 0);
    std::vector<std::uint16_t> distinct;
    for (std::uint32_t w = 0; w < 65536; ++w) {
        histogram[w] = census.pixels(w);
        if (histogram[w] != 0)
            distinct.push_back(static_cast<std::uint16_t>(w));
    }
    ChosenPalette chosen;
    PlannedPalette& palette = chosen.palette;
    palette = chooseMapShape(distinct.size(), rules);
    const std::vector<std::uint8_t> usable = palette.usable;
    if (usable.empty() && !distinct.empty())
        throw PaletteRefused("every palette entry open to the map is reserved");
    if (palette.transparentIndexZero)
        palette.words.push_back(kTransparentWord);
    if (distinct.size() <= usable.size()) {
        chosen.colours = distinct;
    } else {
        chosen.quantised = true;
        chosen.colours = choosePaletteWords(distinct, histogram, usable.size(), settings,
                                            sourceColoursOf(census, distinct, settings));
    }
    // Entries left between the colours (reserved ones) stay zero.
    palette.usable.resize(chosen.colours.size());
    for (std::size_t k = 0; k < chosen.colours.size(); ++k) {
        if (palette.words.size() <= usable[k])
            palette.words.resize(usable[k] + std::size_t{1}, kTransparentWord);
        palette.words[usable[k]] = chosen.colours[k];
    }
    return chosen;
}

namespace {

MapPlan planMap(const ColourCensus& census, int width, int height, const Settings& settings) {
    const bool hasTransparent = census.pixels(ColourCensus::kTransparent) != 0;
    std::vector<std::uint64_t> histogram(65536, 0);
    std::vector<std::uint16_t> distinct;
    for (std::uint32_t w = 0; w < 65536; ++w) {
        histogram[w] = census.pixels(w);
        if (histogram[w] != 0)
            distinct.push_back(static_cast<std::uint16_t>(w));
    }
    MapPlan plan;
    plan.indexOf.assign(ColourCensus::kTransparent + 1, 0);
    EncodedPicture& out = plan.out;
    out.width = width;
    out.height = height;
    out.sourceColours = distinct.size();
    const MapRules rules = mapRulesFor(settings, width, hasTransparent);
    if (settings.planned) {
        mapOntoPalette(plan, *settings.planned, census, distinct, settings);
        return plan;
    }
    if (settings.givenPalette) {
        mapOntoPalette(plan, givenPalettePlan(*settings.givenPalette, settings, rules), census,
                       distinct, settings);
        return plan;
    }
    const ChosenPalette chosen = choosePalette(census, rules, settings);
    takeShape(plan, chosen.palette);
    out.palette = chosen.palette.words;
    out.quantised = chosen.quantised;
    const std::vector<std::uint8_t>& usable = plan.usable;
    if (!chosen.quantised) {
        for (std::size_t k = 0; k < distinct.size(); ++k)
            plan.indexOf[distinct[k]] = usable[k];
        return plan;
    }
    const std::vector<ColourPoint> sources = sourceColoursOf(census, distinct, settings);
    std::vector<ColourPoint> features;
    for (const std::uint16_t w : chosen.colours)
        features.push_back(wordFeature(w, settings));
    const NearestFinder nearest(features);
    for (std::size_t i = 0; i < distinct.size(); ++i)
        plan.indexOf[distinct[i]] =
            usable[nearest(sources.empty() ? wordFeature(distinct[i], settings) : sources[i])];
    return plan;
}

// The palette index of every pixel of a picture dithered onto the plan's usable entries.
std::vector<std::uint8_t> ditherOntoPlan(const ImageView& image, const Settings& settings,
                                         const MapPlan& plan) {
    std::vector<std::uint16_t> entries;
    for (const std::uint8_t i : plan.usable)
        entries.push_back(plan.out.palette[i]);
    std::vector<std::uint8_t> indices = ditherToPalette(image, settings, entries, 0);
    for (std::uint8_t& index : indices)
        index = plan.usable[index];
    return indices;
}

// Packs the indices of every row into the map; makeCodes() gives each band a function that
// returns the words of row y (or ColourCensus::kTransparent), unless the picture is dithered.
template <typename MakeCodes>
EncodedPicture packMap(MapPlan& plan, const std::uint8_t* const indexOf,
                       const std::vector<std::uint8_t>& dithered, int threads,
                       MakeCodes makeCodes) {
    EncodedPicture& out = plan.out;
    if (out.palette.empty())
        out.palette.push_back(kTransparentWord); // an empty picture still gets a valid map
    out.rowBytes = phraseAlignedRowBytes(out.width, out.bitsPerPixel);
    const int bits = out.bitsPerPixel;
    const bool bytePerPixel = bits == 8 && dithered.empty();
    // Indices narrower than a byte are added into zeroed bytes. A byte a pixel fills each row
    // itself: the pages are then first touched by the threads that fill them, not one by one
    // before.
    if (bytePerPixel)
        out.data.resize(static_cast<std::size_t>(out.rowBytes) * out.height);
    else
        out.data.assign(static_cast<std::size_t>(out.rowBytes) * out.height, 0);
    const int width = out.width;
    const auto packRows = [&](int first, int last, int) {
        auto codesOf = makeCodes();
        for (int y = first; y < last; ++y) {
            const std::uint32_t* row = codesOf(y);
            std::uint8_t* dest = out.data.data() + static_cast<std::size_t>(y) * out.rowBytes;
            if (bytePerPixel) { // the usual map
                for (int x = 0; x < width; ++x)
                    dest[x] = indexOf[row[x]];
                std::fill(dest + width, dest + out.rowBytes, std::uint8_t{0});
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const std::size_t at = static_cast<std::size_t>(y) * width + x;
                const unsigned index = dithered.empty() || row[x] == ColourCensus::kTransparent
                                           ? indexOf[row[x]]
                                           : dithered[at];
                const long long bit = static_cast<long long>(x) * bits;
                const int shift = 8 - bits - static_cast<int>(bit % 8);
                dest[bit / 8] = static_cast<std::uint8_t>(dest[bit / 8] | (index << shift));
            }
        }
    };
    inRowBands(ImageView{nullptr, width, out.height, width}, threads, packRows);
    return std::move(out);
}

} // namespace

EncodedPicture encodeColourMap(const ImageView& image, const Settings& settings, int threads,
                               const ColourCensus* census, int quarterTurn) {
    threads = std::clamp(threads, 1, 16);
    std::optional<ColourCensus> taken;
    if (!census) // a turn moves the pixels, but leaves how often each word occurs
        census = &taken.emplace(takeCensus(image, settings, threads));
    const QuarterTurnRows shape(image, quarterTurn);
    MapPlan plan = planMap(*census, shape.width(), shape.height(), settings);
    taken.reset();
    // A picture that fits its map keeps its exact colours; only a reduced one is dithered.
    std::vector<std::uint8_t> dithered;
    if (plan.out.quantised && dithers(settings))
        dithered = quarterTurn % 360 == 0
                       ? ditherOntoPlan(image, settings, plan)
                       : ditherOntoPlan(rotateClockwise(image, quarterTurn).view(), settings, plan);
    return packMap(plan, plan.indexOf.data(), dithered, threads, [&] {
        return [rows = QuarterTurnRows(image, quarterTurn),
                codes = RowCodes(settings, shape.width())](int y) mutable {
            return codes(rows(y));
        };
    });
}

EncodedPicture encodeColourMapOfWords(const ImageView& words, const Settings& settings, int threads,
                                      const ColourCensus& census, int quarterTurn) {
    const QuarterTurnRows shape(words, quarterTurn);
    MapPlan plan = planMap(census, shape.width(), shape.height(), settings);
    return packMap(plan, plan.indexOf.data(), {}, std::clamp(threads, 1, 16), [&] {
        return [rows = QuarterTurnRows(words, quarterTurn)](int y) mutable {
            return rows(y);
        };
    });
}

EncodedPicture encodePicture(const ImageView& image, const Settings& settings, int threads,
                             int quarterTurn) {
    return settings.colourMap ? encodeColourMap(image, settings, threads, nullptr, quarterTurn)
                              : encodeTrueColour(image, settings, threads, quarterTurn);
}

} // namespace rastix

namespace rastix {

PlannedMapEncoder::PlannedMapEncoder(const Settings& settings)
    : m_settings(settings)
    , m_lookup(std::make_shared<const MapPaletteLookup>(*settings.planned, settings)) {}

EncodedPicture PlannedMapEncoder::encode(const ImageView& image, int quarterTurn,
                                         Scratch& scratch) const {
    const PlannedPalette& palette = *m_settings.planned;
    constexpr std::size_t kSlots = ColourCensus::kTransparent + 1;
    if (scratch.metIn.size() != kSlots || ++scratch.picture == 0) {
        scratch.metIn.assign(kSlots, 0);
        scratch.placeOf.resize(kSlots);
        scratch.indexOf.assign(kSlots, 0); // transparent pixels take index 0
        scratch.picture = 1;
    }
    // The picture's words and the colours behind each, as a census counts them.
    scratch.words.clear();
    scratch.sums.clear();
    const bool sumColours = !glassCry(m_settings);
    RowCodes codes(m_settings, image.width);
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* pixels = image.row(y);
        const std::uint32_t* code = codes(pixels);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t w = code[x];
            if (w == ColourCensus::kTransparent)
                continue;
            if (scratch.metIn[w] != scratch.picture) {
                scratch.metIn[w] = scratch.picture;
                scratch.placeOf[w] = static_cast<std::uint16_t>(scratch.words.size());
                scratch.words.push_back(w);
                scratch.sums.push_back({0, 0, 0, 0});
            }
            auto& sum = scratch.sums[scratch.placeOf[w]];
            ++sum[0];
            if (sumColours) {
                sum[1] += (pixels[x] >> 16) & 0xFF;
                sum[2] += (pixels[x] >> 8) & 0xFF;
                sum[3] += pixels[x] & 0xFF;
            }
        }
    }
    const QuarterTurnRows shape(image, quarterTurn);
    MapPlan plan;
    plan.out.width = shape.width();
    plan.out.height = shape.height();
    plan.out.sourceColours = scratch.words.size();
    takeShape(plan, palette);
    plan.out.palette = palette.words;
    if (!scratch.words.empty() && palette.usable.empty())
        throw PaletteRefused("the palette leaves no entry for colours");
    for (std::size_t i = 0; i < scratch.words.size(); ++i) {
        const std::optional<ColourPoint> source =
            sumColours ? std::optional<ColourPoint>(meanColour(scratch.sums[i])) : std::nullopt;
        const auto w = static_cast<std::uint16_t>(scratch.words[i]);
        scratch.indexOf[w] = m_lookup->indexOf(w, source, palette, m_settings, plan.out.quantised);
    }
    std::vector<std::uint8_t> dithered;
    if (plan.out.quantised && dithers(m_settings))
        dithered =
            quarterTurn % 360 == 0
                ? ditherOntoPlan(image, m_settings, plan)
                : ditherOntoPlan(rotateClockwise(image, quarterTurn).view(), m_settings, plan);
    return packMap(plan, scratch.indexOf.data(), dithered, 1, [&] {
        return [rows = QuarterTurnRows(image, quarterTurn),
                codes = RowCodes(m_settings, shape.width())](int y) mutable {
            return codes(rows(y));
        };
    });
}

} // namespace rastix
