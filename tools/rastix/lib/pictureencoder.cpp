#include "pictureencoder.h"

#include "dither.h"
#include "palette.h"
#include "pixelcodec.h"
#include "quantiser.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace rastix {

int phraseAlignedRowBytes(int width, int bitsPerPixel) {
    const long long bits = static_cast<long long>(width) * bitsPerPixel;
    return static_cast<int>((bits + 63) / 64 * 8);
}

namespace {

// Runs work(first, last) over bands of rows, one band per thread; a small picture is not worth
// the threads.
template <typename Work> void inBands(const ImageView& image, int threads, Work work) {
    const long long pixels = static_cast<long long>(image.width) * image.height;
    threads = std::clamp(threads, 1, std::max(1, image.height));
    if (threads == 1 || pixels < 1 << 18) {
        work(0, image.height, 0);
        return;
    }
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(work, image.height * t / threads, image.height * (t + 1) / threads, t);
    work(0, image.height / threads, 0);
    for (auto& w : workers)
        w.join();
}

} // namespace

EncodedPicture encodeTrueColour(const ImageView& image, const Settings& settings, int threads) {
    EncodedPicture out;
    out.width = image.width;
    out.height = image.height;
    out.bitsPerPixel = 16;
    out.rowBytes = phraseAlignedRowBytes(image.width, 16);
    // Zero-filled, so the padding at the end of each row is already transparent.
    out.data.assign(static_cast<std::size_t>(out.rowBytes) * static_cast<std::size_t>(out.height),
                    0);
    const bool glass =
        settings.model == ColourModel::Cry16 && settings.cryEncoding == CryEncoding::Glass;
    const PixelEncoder encoder(settings, !glass && hasTransparentPixels(image));
    const bool dithered = dithers(settings);
    const auto encodeRows = [&](int first, int last, int /*band*/) {
        if (dithered) {
            ditherTrueColourRows(image, settings, encoder, first, last, out.data.data(),
                                 out.rowBytes);
            return;
        }
        for (int y = first; y < last; ++y)
            encoder.encodeRow(image.row(y), image.width,
                              out.data.data() + static_cast<std::size_t>(y) * out.rowBytes);
    };
    // Diffused error runs from each row into the next, so only one thread can carry it.
    const bool wholePicture = dithered && settings.dither == Dither::Diffusion;
    inBands(image, wholePicture ? 1 : threads, encodeRows);
    return out;
}

std::array<int, 3> wordFeature(std::uint16_t word, const Settings& settings) {
    if (settings.model == ColourModel::Cry16 && settings.cryEncoding == CryEncoding::Glass) {
        // A nibble step moves a colour by about a sixteenth of the square, roughly 17 levels.
        const GlassDeltas d = unpackGlass(word);
        return {d.high * 17, d.low * 17, d.intensity};
    }
    const Rgb c = shownColour(word, settings);
    return {c.red, c.green, c.blue};
}

std::uint16_t wordFromFeature(const std::array<int, 3>& f, const Settings& settings) {
    if (settings.model == ColourModel::Cry16 && settings.cryEncoding == CryEncoding::Glass) {
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

constexpr std::uint32_t kTransparentCode = 0x10000;

// The word of every pixel of a row, or kTransparentCode. Made again on each pass over the
// picture rather than kept for all of it, which would take as much memory as the decoded picture.
class RowCodes {
public:
    RowCodes(const ImageView& image, const Settings& settings)
        : m_image(image)
        , m_encoder(settings)
        , m_bytes(static_cast<std::size_t>(image.width) * 2)
        , m_codes(static_cast<std::size_t>(image.width)) {}

    const std::uint32_t* operator()(int y) {
        const std::uint32_t* row = m_image.row(y);
        m_encoder.encodeRow(row, m_image.width, m_bytes.data());
        for (std::size_t x = 0; x < m_codes.size(); ++x)
            m_codes[x] = (row[x] >> 24) == 0
                             ? kTransparentCode
                             : std::uint32_t{m_bytes[2 * x]} << 8 | m_bytes[2 * x + 1];
        return m_codes.data();
    }

private:
    const ImageView m_image;
    const PixelEncoder m_encoder;
    std::vector<std::uint8_t> m_bytes;
    std::vector<std::uint32_t> m_codes;
};

// The mean colour of the pixels behind each distinct word, rounded; empty where the words are
// not colours (glass CRY holds changes of colour).
std::vector<ColourPoint> sourceColoursOf(const ImageView& image,
                                         const std::vector<std::uint16_t>& distinct,
                                         const Settings& settings, int threads) {
    if (settings.model == ColourModel::Cry16 && settings.cryEncoding == CryEncoding::Glass)
        return {};
    // Sums for the distinct words only: a small picture should not pay for all 65536.
    std::vector<std::int32_t> position(65536, -1);
    for (std::size_t i = 0; i < distinct.size(); ++i)
        position[distinct[i]] = static_cast<std::int32_t>(i);
    using Sums = std::vector<std::array<std::uint64_t, 4>>;
    std::vector<Sums> bands(static_cast<std::size_t>(threads));
    inBands(image, threads, [&](int first, int last, int band) {
        Sums& sums = bands[static_cast<std::size_t>(band)];
        sums.assign(distinct.size(), {0, 0, 0, 0});
        RowCodes codesOf(image, settings);
        for (int y = first; y < last; ++y) {
            const std::uint32_t* row = image.row(y);
            const std::uint32_t* code = codesOf(y);
            for (int x = 0; x < image.width; ++x) {
                if (code[x] > 0xFFFF)
                    continue; // transparent
                auto& sum = sums[static_cast<std::size_t>(position[code[x]])];
                sum[0] += (row[x] >> 16) & 0xFF;
                sum[1] += (row[x] >> 8) & 0xFF;
                sum[2] += row[x] & 0xFF;
                ++sum[3];
            }
        }
    });
    Sums sums = std::move(bands[0]);
    for (std::size_t b = 1; b < bands.size(); ++b)
        for (std::size_t i = 0; i < bands[b].size(); ++i)
            for (std::size_t a = 0; a < 4; ++a)
                sums[i][a] += bands[b][i][a];
    std::vector<ColourPoint> colours;
    colours.reserve(distinct.size());
    for (const std::array<std::uint64_t, 4>& sum : sums) {
        const auto mean = [&](std::size_t a) {
            return static_cast<int>((2 * sum[a] + sum[3]) / (2 * sum[3]));
        };
        colours.push_back({mean(0), mean(1), mean(2)});
    }
    return colours;
}

} // namespace

EncodedPicture encodeColourMap(const ImageView& image, const Settings& settings, int threads) {
    threads = std::clamp(threads, 1, 16);
    // One slot past the words counts the transparent pixels. Each band counts its own; the sums
    // are the same whatever the number of bands.
    std::vector<std::vector<std::uint64_t>> counts(static_cast<std::size_t>(threads));
    inBands(image, threads, [&](int first, int last, int band) {
        std::vector<std::uint64_t>& count = counts[static_cast<std::size_t>(band)];
        count.assign(kTransparentCode + 1, 0);
        RowCodes codesOf(image, settings);
        for (int y = first; y < last; ++y) {
            const std::uint32_t* codes = codesOf(y);
            for (int x = 0; x < image.width; ++x)
                ++count[codes[x]];
        }
    });
    std::vector<std::uint64_t> histogram(kTransparentCode + 1, 0);
    for (const std::vector<std::uint64_t>& count : counts)
        for (std::size_t w = 0; w < count.size(); ++w)
            histogram[w] += count[w];
    counts.clear();
    const bool hasTransparent = histogram[kTransparentCode] != 0;
    histogram.pop_back();
    std::vector<std::uint16_t> distinct;
    for (std::uint32_t w = 0; w < 65536; ++w)
        if (histogram[w] != 0)
            distinct.push_back(static_cast<std::uint16_t>(w));

    EncodedPicture out;
    out.width = image.width;
    out.height = image.height;
    out.sourceColours = distinct.size();
    bool reserveZero = false;
    const auto maxEntries = static_cast<std::size_t>(std::clamp(settings.mapColours, 2, 256));
    out.bitsPerPixel = chooseMapDepth(distinct.size(), settings.optimiseMapDepth, image.width,
                                      hasTransparent, reserveZero, maxEntries);
    out.transparentIndexZero = reserveZero;
    const std::size_t capacity = mapCapacity(out.bitsPerPixel, maxEntries, reserveZero);
    if (reserveZero)
        out.palette.push_back(kTransparentWord);
    const std::size_t firstColour = out.palette.size();

    // Index of every word that occurs, into the palette.
    std::vector<std::uint8_t> indexOf(65536, 0);
    if (distinct.size() <= capacity) {
        for (const std::uint16_t w : distinct) {
            indexOf[w] = static_cast<std::uint8_t>(out.palette.size());
            out.palette.push_back(w);
        }
    } else {
        out.quantised = true;
        const std::vector<ColourPoint> sources =
            sourceColoursOf(image, distinct, settings, threads);
        std::vector<ColourPoint> features;
        for (const std::uint16_t w :
             choosePaletteWords(distinct, histogram, capacity, settings, sources)) {
            out.palette.push_back(w);
            features.push_back(wordFeature(w, settings));
        }
        const NearestFinder nearest(features);
        for (std::size_t i = 0; i < distinct.size(); ++i)
            indexOf[distinct[i]] = static_cast<std::uint8_t>(
                firstColour +
                nearest(sources.empty() ? wordFeature(distinct[i], settings) : sources[i]));
    }
    // A picture that fits its map keeps its exact colours; only a reduced one is dithered.
    std::vector<std::uint8_t> dithered;
    if (out.quantised && dithers(settings))
        dithered = ditherToPalette(image, settings, out.palette, firstColour);
    if (out.palette.empty())
        out.palette.push_back(kTransparentWord); // an empty picture still gets a valid map

    out.rowBytes = phraseAlignedRowBytes(image.width, out.bitsPerPixel);
    out.data.assign(static_cast<std::size_t>(out.rowBytes) * out.height, 0);
    const int bits = out.bitsPerPixel;
    inBands(image, threads, [&](int first, int last, int) {
        RowCodes codesOf(image, settings);
        for (int y = first; y < last; ++y) {
            const std::uint32_t* row = codesOf(y);
            std::uint8_t* dest = out.data.data() + static_cast<std::size_t>(y) * out.rowBytes;
            if (bits == 8 && dithered.empty()) { // the usual map, a byte a pixel
                for (int x = 0; x < image.width; ++x)
                    dest[x] = row[x] == kTransparentCode ? 0 : indexOf[row[x]];
                continue;
            }
            for (int x = 0; x < image.width; ++x) {
                const std::size_t at = static_cast<std::size_t>(y) * image.width + x;
                const unsigned index = row[x] == kTransparentCode ? 0u
                                       : dithered.empty()         ? indexOf[row[x]]
                                                                  : dithered[at];
                const long long bit = static_cast<long long>(x) * bits;
                const int shift = 8 - bits - static_cast<int>(bit % 8);
                dest[bit / 8] = static_cast<std::uint8_t>(dest[bit / 8] | (index << shift));
            }
        }
    });
    return out;
}

EncodedPicture encodePicture(const ImageView& image, const Settings& settings, int threads) {
    return settings.colourMap ? encodeColourMap(image, settings, threads)
                              : encodeTrueColour(image, settings, threads);
}

} // namespace rastix
