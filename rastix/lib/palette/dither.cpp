#include "palette/dither.h"

#include "palette/cellnearest.h"
#include "palette/nearestcolour.h"
#include "palette/quantiser.h"

#include <algorithm>
#include <array>

namespace rastix {

namespace {

// The classic recursive threshold matrix: every 2x2, 4x4 and 8x8 block holds evenly spread
// thresholds, so a flat colour becomes a fine, regular pattern.
constexpr std::array<std::array<int, 8>, 8> kBayer = {{
    {0, 32, 8, 40, 2, 34, 10, 42},
    {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},
    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},
    {63, 31, 55, 23, 61, 29, 53, 21},
}};

// Ordered dithering mixes this many candidate colours; a pixel takes one of them by its
// threshold. Eight keep the pattern fine while every level of the 8x8 matrix stays distinct
// enough to matter.
constexpr int kCandidates = 8;

struct Choice {
    unsigned code = 0; // a word, or a palette index
    Rgb shown;
};

int clampChannel(int v) {
    return std::clamp(v, 0, 255);
}

int luma(const Rgb& c) {
    return 299 * c.red + 587 * c.green + 114 * c.blue;
}

Rgb channels(std::uint32_t argb) {
    return {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
            static_cast<int>(argb & 0xFF)};
}

// Error left by a choice, limited before it is passed on. Where no colour on offer lies in the
// direction of the error (the console's neutral CRY grey is a little yellow, so no grey entry
// of a CRY map ever has enough blue), the error would grow from pixel to pixel until it chose
// entries far off in lightness. Such error is nearly always a tint; lightness errors are what
// dithering is for. So lightness keeps up to maxError and the tint a quarter of that.
Rgb limitedError(const Rgb& error, int maxError) {
    const int lightness = std::clamp(
        (299 * error.red + 587 * error.green + 114 * error.blue) / 1000, -maxError, maxError);
    const int tint = std::max(1, maxError / 4);
    const auto limit = [&](int e) {
        return lightness + std::clamp(e - lightness, -tint, tint);
    };
    return {limit(error.red), limit(error.green), limit(error.blue)};
}

// Pattern dithering that works for any set of colours, not only evenly spaced levels: a
// pixel's candidates are found one after another, each aiming past the error the previous
// ones left, so that their mean is the pixel's colour; sorted from dark to light, the
// threshold picks one. Every pixel is decided on its own, so any band split gives the same
// result and a still part of an animation keeps its pattern.
// The error the candidates aim past is limited as in diffusion (below), for the same reason.
// Every pixel of one colour has the same candidates, and photos repeat colours often enough
// that remembering them for the last colour seen in each of a few thousand slots saves most
// of the work. A slot answers only for its exact colour, so the result never depends on it.
template <typename Quantise> class OrderedDither {
public:
    // A big photo holds millions of colours, and slots a few times fewer than its pixels keep
    // most of their candidates until the colour comes back nearby; a small picture would spend
    // more time clearing as many slots than it saves.
    OrderedDither(const Quantise& quantise, int maxError, long long pixels)
        : m_quantise(quantise)
        , m_maxError(maxError)
        , m_slotBits(pixels > (1 << 20) ? 18 : 14)
        , m_slots(std::size_t{1} << m_slotBits) {}

    unsigned operator()(std::uint32_t argb, int x, int y) {
        const std::uint32_t colour = argb & 0xFFFFFF;
        Slot& slot = m_slots[(colour * 2654435761u) >> (32 - m_slotBits)];
        if (slot.colour != colour) {
            slot.colour = colour;
            slot.codes = candidates(channels(argb));
        }
        return slot.codes[static_cast<std::size_t>(kBayer[y & 7][x & 7] * kCandidates / 64)];
    }

private:
    struct Slot {
        std::uint32_t colour = 0xFFFFFFFF; // no colour: the alpha byte is never kept
        std::array<std::uint16_t, kCandidates> codes{};
    };

    std::array<std::uint16_t, kCandidates> candidates(const Rgb& source) const {
        std::array<Choice, kCandidates> found;
        Rgb error;
        for (Choice& candidate : found) {
            candidate = m_quantise(Rgb{clampChannel(source.red + error.red),
                                       clampChannel(source.green + error.green),
                                       clampChannel(source.blue + error.blue)});
            error = limitedError({error.red + source.red - candidate.shown.red,
                                  error.green + source.green - candidate.shown.green,
                                  error.blue + source.blue - candidate.shown.blue},
                                 m_maxError);
        }
        // Insertion sort, stable: eight short items, sorted for every new colour.
        for (std::size_t i = 1; i < found.size(); ++i)
            for (std::size_t j = i; j > 0 && luma(found[j].shown) < luma(found[j - 1].shown); --j)
                std::swap(found[j], found[j - 1]);
        std::array<std::uint16_t, kCandidates> codes;
        for (std::size_t i = 0; i < codes.size(); ++i)
            codes[i] = static_cast<std::uint16_t>(found[i].code);
        return codes;
    }

    const Quantise& m_quantise;
    int m_maxError;
    int m_slotBits;
    std::vector<Slot> m_slots;
};

// Serpentine Floyd-Steinberg with integer error in 256ths, so every platform gives the same
// bytes. Transparent pixels neither take nor pass on error: a sprite's edge does not bleed
// into what lies behind it. The error passed on is limited (limitedError) and then passed on
// at strength/16: a few colours far apart leave errors so large that passing them on whole
// buys smooth gradients with noise all over the detail.
template <typename Quantise, typename Emit>
void diffuse(const ImageView& image, const Quantise& quantise, int maxError, int strength,
             const Emit& emit) {
    const int ahead7 = 7 * strength;
    const int below3 = 3 * strength;
    const int below5 = 5 * strength;
    const int below1 = strength;
    const std::size_t width = static_cast<std::size_t>(image.width);
    // One guard cell at either end of each row, so the kernel never needs a bounds check.
    std::vector<std::array<int, 3>> current(width + 2, {0, 0, 0});
    std::vector<std::array<int, 3>> next(width + 2, {0, 0, 0});
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* row = image.row(y);
        const bool leftToRight = y % 2 == 0;
        const int step = leftToRight ? 1 : -1;
        for (int i = 0; i < image.width; ++i) {
            const int x = leftToRight ? i : image.width - 1 - i;
            const std::size_t cell = static_cast<std::size_t>(x) + 1;
            if ((row[x] >> 24) == 0)
                continue;
            const Rgb source = channels(row[x]);
            const std::array<int, 3>& carried = current[cell];
            // Arithmetic shift: rounds half up for negative error too, the same everywhere.
            const Rgb target{clampChannel(source.red + ((carried[0] + 128) >> 8)),
                             clampChannel(source.green + ((carried[1] + 128) >> 8)),
                             clampChannel(source.blue + ((carried[2] + 128) >> 8))};
            const Choice choice = quantise(target);
            emit(x, y, choice.code);
            const Rgb limited =
                limitedError({target.red - choice.shown.red, target.green - choice.shown.green,
                              target.blue - choice.shown.blue},
                             maxError);
            const std::array<int, 3> error = {limited.red, limited.green, limited.blue};
            const std::size_t ahead = cell + static_cast<std::size_t>(step);
            const std::size_t behind = cell - static_cast<std::size_t>(step);
            const bool aheadOpaque =
                x + step >= 0 && x + step < image.width && (row[x + step] >> 24) != 0;
            for (int c = 0; c < 3; ++c) {
                if (aheadOpaque)
                    current[ahead][c] += error[c] * ahead7;
                next[behind][c] += error[c] * below3;
                next[cell][c] += error[c] * below5;
                next[ahead][c] += error[c] * below1;
            }
        }
        std::swap(current, next);
        std::fill(next.begin(), next.end(), std::array<int, 3>{0, 0, 0});
        // Error aimed at a transparent pixel of the next row is dropped there.
        if (y + 1 < image.height) {
            const std::uint32_t* below = image.row(y + 1);
            for (int x = 0; x < image.width; ++x)
                if ((below[x] >> 24) == 0)
                    current[static_cast<std::size_t>(x) + 1] = {0, 0, 0};
        }
    }
}

void putWord(std::uint8_t* rowStart, int x, unsigned word) {
    rowStart[2 * x] = static_cast<std::uint8_t>(word >> 8);
    rowStart[2 * x + 1] = static_cast<std::uint8_t>(word);
}

// The nearest palette entry to a colour, by the colours the console shows. Dithering asks for
// arbitrary colours, so this is a search, kept short by the cubes of CellNearestFinder.
class PaletteQuantiser {
public:
    PaletteQuantiser(const std::vector<Rgb>& shown, std::size_t firstColour)
        : m_shown(shown)
        , m_first(firstColour)
        , m_nearest(points(shown, firstColour)) {}

    Choice operator()(const Rgb& c) const {
        // The same colours come back again and again: remembered exactly, as in OrderedDither.
        const auto colour = static_cast<std::uint32_t>(c.red << 16 | c.green << 8 | c.blue);
        Slot& slot = m_slots[(colour * 2654435761u) >> (32 - kSlotBits)];
        if (slot.colour != colour) {
            slot.colour = colour;
            slot.index = m_first + m_nearest({c.red, c.green, c.blue});
        }
        return {static_cast<unsigned>(slot.index), m_shown[slot.index]};
    }

private:
    static std::vector<ColourPoint> points(const std::vector<Rgb>& shown, std::size_t first) {
        std::vector<ColourPoint> result;
        for (std::size_t i = first; i < shown.size(); ++i)
            result.push_back({shown[i].red, shown[i].green, shown[i].blue});
        return result;
    }

    static constexpr int kSlotBits = 16;
    struct Slot {
        std::uint32_t colour = 0xFFFFFFFF;
        std::size_t index = 0;
    };

    const std::vector<Rgb>& m_shown;
    std::size_t m_first;
    CellNearestFinder m_nearest;
    mutable std::vector<Slot> m_slots = std::vector<Slot>(std::size_t{1} << kSlotBits);
};

// How far apart a palette's colours lie: the median distance from an entry to its nearest
// neighbour. A pixel between two entries errs by half that; a limit of the whole distance
// leaves room for the error of several neighbours without letting it run away.
int typicalSpacing(const std::vector<Rgb>& shown, std::size_t first) {
    std::vector<int> nearest;
    for (std::size_t i = first; i < shown.size(); ++i) {
        int best = 1 << 30;
        for (std::size_t j = first; j < shown.size(); ++j) {
            if (j == i)
                continue;
            const int dr = shown[i].red - shown[j].red;
            const int dg = shown[i].green - shown[j].green;
            const int db = shown[i].blue - shown[j].blue;
            best = std::min(best, dr * dr + dg * dg + db * db);
        }
        nearest.push_back(best);
    }
    if (nearest.size() < 2)
        return 8;
    std::nth_element(nearest.begin(), nearest.begin() + nearest.size() / 2, nearest.end());
    int spacing = 0;
    while ((spacing + 1) * (spacing + 1) <= nearest[nearest.size() / 2])
        ++spacing;
    return std::clamp(spacing, 8, 96);
}

} // namespace

bool dithers(const Settings& settings) {
    return settings.dither != Dither::None && !glassCry(settings);
}

Rgb shownColour(std::uint16_t word, const Settings& settings) {
    return settings.model == ColourModel::Rgb16 ? decodeRgb16(word, settings.fifteenBits)
                                                : decodeCry(word);
}

void ditherTrueColourRows(const ImageView& image, const Settings& settings,
                          const PixelEncoder& encoder, int firstRow, int lastRow,
                          std::uint8_t* data, int rowBytes) {
    const auto quantise = [&](const Rgb& c) {
        const std::uint32_t argb = 0xFF000000u | static_cast<std::uint32_t>(c.red) << 16 |
                                   static_cast<std::uint32_t>(c.green) << 8 |
                                   static_cast<std::uint32_t>(c.blue);
        const std::uint16_t word = encoder(argb);
        return Choice{word, shownColour(word, settings)};
    };
    const auto rowStart = [&](int y) {
        return data + static_cast<std::size_t>(y) * static_cast<std::size_t>(rowBytes);
    };
    // An RGB16 step is 8 levels at most; a CRY colour byte's step is about 17 at full
    // intensity, and the error of the neighbours adds up.
    const int maxError = settings.model == ColourModel::Rgb16 ? 8 : 24;
    if (settings.dither == Dither::Diffusion) {
        // The words lie close together: full strength, for the smoothest gradients.
        diffuse(image, quantise, maxError, 16,
                [&](int x, int y, unsigned word) { putWord(rowStart(y), x, word); });
        return;
    }
    if (settings.model == ColourModel::Rgb16) {
        // Evenly spaced levels on each channel: the threshold alone picks between the two
        // levels around a value, eight times faster than mixing candidates, same pattern.
        const int greenStep = settings.fifteenBits ? 8 : 4;
        for (int y = firstRow; y < lastRow; ++y) {
            const std::uint32_t* row = image.row(y);
            for (int x = 0; x < image.width; ++x) {
                if ((row[x] >> 24) == 0)
                    continue;
                const int level = 2 * kBayer[y & 7][x & 7] + 1; // 1..127, in 128ths of a step
                const auto offset = [level](int step) {
                    return level * step / 128 - step / 2;
                };
                const Rgb c = channels(row[x]);
                const Rgb moved{clampChannel(c.red + offset(8)),
                                clampChannel(c.green + offset(greenStep)),
                                clampChannel(c.blue + offset(8))};
                putWord(rowStart(y), x, quantise(moved).code);
            }
        }
        return;
    }
    OrderedDither<decltype(quantise)> ordered(
        quantise, maxError, static_cast<long long>(image.width) * (lastRow - firstRow));
    for (int y = firstRow; y < lastRow; ++y) {
        const std::uint32_t* row = image.row(y);
        for (int x = 0; x < image.width; ++x)
            if ((row[x] >> 24) != 0)
                putWord(rowStart(y), x, ordered(row[x], x, y));
    }
}

std::vector<std::uint8_t> ditherToPalette(const ImageView& image, const Settings& settings,
                                          const std::vector<std::uint16_t>& palette,
                                          std::size_t firstColour) {
    std::vector<Rgb> shown;
    for (const std::uint16_t w : palette)
        shown.push_back(shownColour(w, settings));
    const PaletteQuantiser quantise(shown, firstColour);
    const std::size_t width = static_cast<std::size_t>(image.width);
    std::vector<std::uint8_t> indices(width * static_cast<std::size_t>(image.height), 0);
    const auto emit = [&](int x, int y, unsigned index) {
        indices[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)] =
            static_cast<std::uint8_t>(index);
    };
    const int maxError = typicalSpacing(shown, firstColour);
    if (settings.dither == Dither::Diffusion) {
        // Three quarters: on photos at 16 and 4 colours this measured best for both PSNR and
        // CIEDE2000 while still taking the bands out of a gradient (bench/palette_quality.sh).
        diffuse(image, quantise, maxError, 12, emit);
        return indices;
    }
    OrderedDither<PaletteQuantiser> ordered(quantise, maxError,
                                            static_cast<long long>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* row = image.row(y);
        for (int x = 0; x < image.width; ++x)
            if ((row[x] >> 24) != 0)
                emit(x, y, ordered(row[x], x, y));
    }
    return indices;
}

} // namespace rastix
