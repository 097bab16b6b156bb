// Dithering and reduced palettes: the picture the console shows must stay close to the source
// on average, while exact colours, transparency and padding are left exactly as they were.
#include "codec/pixelcodec.h"
#include "encode/pictureencoder.h"
#include "encodedpixels.h"
#include "image/image.h"
#include "palette/boxcut.h"
#include "palette/cellnearest.h"
#include "palette/coarsening.h"
#include "palette/dither.h"
#include "palette/kmeans.h"
#include "palette/nearestcolour.h"
#include "palette/palette.h"
#include "palette/perceptual.h"
#include "palette/quantiser.h"
#include "palette/ramppalette.h"
#include "palette/weightedsum.h"
#include "palette/wordfeature.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using namespace rastix;

namespace {

Rgb shownAt(const EncodedPicture& p, int x, int y, const Settings& s) {
    const unsigned word = p.isColourMap() ? p.palette[indexAt(p, x, y)] : wordAt(p, x, y);
    return shownColour(static_cast<std::uint16_t>(word), s);
}

std::uint32_t grey(int v) {
    const auto c = static_cast<std::uint32_t>(v);
    return 0xFF000000u | c << 16 | c << 8 | c;
}

// A slow grey ramp: far fewer levels than pixels, the classic source of banding.
Image ramp(int width, int height, int from, int to) {
    Image img(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.at(x, y) = grey(from + (to - from) * x / (width - 1));
    return img;
}

// A colourful picture with tens of thousands of distinct colours.
Image sweep(int width, int height) {
    Image img(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.at(x, y) = 0xFF000000u | static_cast<std::uint32_t>(x * 255 / width) << 16 |
                           static_cast<std::uint32_t>(y * 255 / height) << 8 |
                           static_cast<std::uint32_t>((x * 3 + y * 5) % 256);
    return img;
}

int luma(const Rgb& c) {
    return 299 * c.red + 587 * c.green + 114 * c.blue;
}

// Banding as the eye sees it from a distance: the mean lightness error over 8x8 blocks, where
// a dithered pattern averages out and a band does not. Lightness, because the console's CRY
// greys are slightly tinted, which no dithering of a grey map can undo.
double blockError(const Image& source, const EncodedPicture& p, const Settings& s) {
    double total = 0;
    int blocks = 0;
    for (int by = 0; by + 8 <= source.height; by += 8)
        for (int bx = 0; bx + 8 <= source.width; bx += 8) {
            long long sum = 0;
            for (int y = by; y < by + 8; ++y)
                for (int x = bx; x < bx + 8; ++x) {
                    const std::uint32_t c = source.at(x, y);
                    const Rgb want{static_cast<int>((c >> 16) & 255),
                                   static_cast<int>((c >> 8) & 255), static_cast<int>(c & 255)};
                    sum += luma(shownAt(p, x, y, s)) - luma(want);
                }
            total += std::abs(static_cast<double>(sum) / (64 * 1000.0));
            ++blocks;
        }
    return total / blocks;
}

struct Case {
    const char* name;
    ColourModel model;
    bool colourMap;
    int colours;
    bool fifteenBits;
};

const Case kCases[] = {
    {"RGB16", ColourModel::Rgb16, false, 256, false},
    {"RGB15", ColourModel::Rgb16, false, 256, true},
    {"CRY16", ColourModel::Cry16, false, 256, false},
    {"RGB map of 4", ColourModel::Rgb16, true, 4, false},
    {"CRY map of 16", ColourModel::Cry16, true, 16, false},
};

Settings settingsFor(const Case& c, Dither dither) {
    Settings s;
    s.model = c.model;
    s.colourMap = c.colourMap;
    s.optimiseMapDepth = true;
    s.mapColours = c.colours;
    s.fifteenBits = c.fifteenBits;
    s.dither = dither;
    return s;
}

} // namespace

TEST(Dither, EveryMethodRemovesBandingFromARamp) {
    // Dark greys: RGB16 steps of 4-8 levels, a 4-entry map has steps of tens of levels.
    const Image source = ramp(256, 32, 16, 80);
    for (const Case& c : kCases) {
        const double plain =
            blockError(source, encodePicture(source.view(), settingsFor(c, Dither::None)),
                       settingsFor(c, Dither::None));
        for (const Dither d : {Dither::Ordered, Dither::Diffusion}) {
            const Settings s = settingsFor(c, d);
            const double dithered = blockError(source, encodePicture(source.view(), s), s);
            EXPECT_LT(dithered, plain * 0.6) << c.name << " dither " << static_cast<int>(d);
        }
    }
}

TEST(Dither, ColoursThatFitExactlyAreLeftAlone) {
    // Every colour is an exact RGB16 word, and the map has room for all of them.
    Image img(24, 8);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            img.at(x, y) = 0xFF000000u | static_cast<std::uint32_t>((x % 3) * 0x40) << 16 |
                           static_cast<std::uint32_t>(y * 0x20);
    for (const bool map : {false, true})
        for (const Dither d : {Dither::Ordered, Dither::Diffusion}) {
            Settings s;
            s.colourMap = map;
            const EncodedPicture plain = encodePicture(img.view(), s);
            s.dither = d;
            EXPECT_EQ(encodePicture(img.view(), s).data, plain.data) << map;
        }
}

TEST(Dither, TransparentPixelsAndPaddingAreUntouched) {
    // 13 pixels wide: padding in every depth; a hole in the middle of a dark ramp, whose
    // opaque black must not become the transparent word either.
    Image img = ramp(13, 6, 0, 40);
    for (int y = 2; y < 4; ++y)
        for (int x = 4; x < 8; ++x)
            img.at(x, y) = 0x00FFFFFF;
    for (const Case& c : kCases)
        for (const Dither d : {Dither::Ordered, Dither::Diffusion}) {
            const Settings s = settingsFor(c, d);
            const EncodedPicture p = encodePicture(img.view(), s);
            for (int y = 0; y < img.height; ++y)
                for (int x = 0; x < p.paddedWidth(); ++x) {
                    const bool clear = x >= img.width || (img.at(x, y) >> 24) == 0;
                    const unsigned code = p.isColourMap() ? indexAt(p, x, y) : wordAt(p, x, y);
                    EXPECT_EQ(code == 0, clear) << c.name << " at " << x << "," << y;
                }
        }
}

TEST(Dither, SameBytesWhateverTheThreadCount) {
    const Image img = sweep(640, 480); // large enough to be split into bands
    for (const bool map : {false, true})
        for (const Dither d : {Dither::None, Dither::Ordered, Dither::Diffusion}) {
            Settings s;
            s.model = ColourModel::Cry16;
            s.colourMap = map;
            s.dither = d;
            const EncodedPicture one = encodePicture(img.view(), s, 1);
            const EncodedPicture four = encodePicture(img.view(), s, 4);
            EXPECT_EQ(one.data, four.data) << map << int(d);
            EXPECT_EQ(one.palette, four.palette) << map << int(d);
        }
}

TEST(Palette, ColourCountLimitsEntriesAndDepth) {
    const Image img = sweep(64, 32);
    // {entries allowed, transparent pixel, bits expected}
    const struct {
        int colours;
        bool hole;
        int bits;
    } table[] = {{2, false, 1}, {4, false, 2}, {16, false, 4}, {16, true, 4}, {200, false, 8}};
    for (const auto& row : table) {
        Image picture = img;
        if (row.hole)
            picture.at(5, 5) = 0;
        Settings s;
        s.colourMap = true;
        s.optimiseMapDepth = true;
        s.mapColours = row.colours;
        const EncodedPicture p = encodeColourMap(picture.view(), s);
        EXPECT_EQ(p.bitsPerPixel, row.bits) << row.colours;
        EXPECT_EQ(p.palette.size(), static_cast<std::size_t>(row.colours)) << row.colours;
        EXPECT_EQ(p.transparentIndexZero, row.hole);
    }
}

TEST(Palette, EveryEntryIsADifferentWordInTheModelWritten) {
    // In CRY many RGB colours share a word; centres found in RGB used to collide and leave
    // entries unused.
    for (const ColourModel model : {ColourModel::Cry16, ColourModel::Rgb16})
        for (const int colours : {256, 16}) {
            Settings s;
            s.model = model;
            s.colourMap = true;
            s.mapColours = colours;
            const Image img = sweep(320, 240);
            const EncodedPicture p = encodeColourMap(img.view(), s);
            const std::set<std::uint16_t> words(p.palette.begin(), p.palette.end());
            EXPECT_EQ(p.palette.size(), static_cast<std::size_t>(colours)) << colours;
            EXPECT_EQ(words.size(), p.palette.size()) << colours;
        }
}

TEST(Palette, WordsThatLookAlikeStillFillThePalette) {
    // Nearly black CRY words of every colour byte all show (0, 0, 0) or close: the centres
    // meet on a handful of words, and the rest of the palette must come from elsewhere.
    Settings s;
    s.model = ColourModel::Cry16;
    std::vector<std::uint16_t> distinct;
    std::vector<std::uint64_t> histogram(65536, 0);
    for (int colour = 0; colour < 256; colour += 8)
        for (int y = 1; y <= 3; ++y) {
            const auto word = static_cast<std::uint16_t>(colour << 8 | y);
            distinct.push_back(word);
            histogram[word] = static_cast<std::uint64_t>(1 + colour % 5);
        }
    for (const std::size_t entries : {std::size_t{16}, std::size_t{64}}) {
        const auto words = choosePaletteWords(distinct, histogram, entries, s);
        EXPECT_EQ(words.size(), entries);
        EXPECT_EQ(std::set<std::uint16_t>(words.begin(), words.end()).size(), entries);
    }
}

// Every source colour rounds to a word before the palette is chosen, but the error that counts
// is against the source: fitted to the words alone, a smooth picture loses that rounding twice.
TEST(Palette, FitsTheSourceColoursNotOnlyTheirWords) {
    const Image img = sweep(64, 48);
    Settings s;
    s.colourMap = true;
    s.mapColours = 16;
    const PixelEncoder encoder(s);
    std::vector<std::uint64_t> histogram(65536, 0);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            ++histogram[encoder(img.at(x, y))];
    std::vector<std::uint16_t> distinct;
    for (std::uint32_t w = 0; w < 65536; ++w)
        if (histogram[w] != 0)
            distinct.push_back(static_cast<std::uint16_t>(w));
    std::vector<ColourPoint> byWords;
    for (const std::uint16_t w : choosePaletteWords(distinct, histogram, 16, s))
        byWords.push_back(wordFeature(w, s));
    const EncodedPicture p = encodeColourMap(img.view(), s);
    ASSERT_TRUE(p.quantised);
    long long fitted = 0;
    long long wordsOnly = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const std::uint32_t c = img.at(x, y);
            const ColourPoint source{static_cast<int>((c >> 16) & 255),
                                     static_cast<int>((c >> 8) & 255), static_cast<int>(c & 255)};
            const Rgb shown = shownAt(p, x, y, s);
            fitted += squaredDistance({shown.red, shown.green, shown.blue}, source);
            const ColourPoint word = wordFeature(encoder(c), s);
            wordsOnly += squaredDistance(byWords[nearestIndex(byWords, word)], source);
        }
    EXPECT_LT(fitted, wordsOnly);
}

TEST(Palette, EachEntryIsTheWordNearestTheMeanOfTheColoursItServes) {
    // Rounded from k-means centres, some entries would sit beside the words their colours call
    // for; settled on words, each is where a further pass would leave it.
    const Image img = sweep(64, 48);
    Settings s;
    std::vector<std::uint64_t> histogram(65536, 0);
    std::vector<std::array<std::uint64_t, 3>> sums(65536, {0, 0, 0});
    const PixelEncoder encoder(s);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const std::uint32_t c = img.at(x, y);
            const std::uint16_t w = encoder(c);
            ++histogram[w];
            for (int a = 0; a < 3; ++a)
                sums[w][a] += (c >> (16 - 8 * a)) & 255;
        }
    std::vector<std::uint16_t> distinct;
    std::vector<ColourPoint> sources;
    for (std::uint32_t w = 0; w < 65536; ++w)
        if (histogram[w] != 0) {
            distinct.push_back(static_cast<std::uint16_t>(w));
            ColourPoint mean;
            for (int a = 0; a < 3; ++a)
                mean[a] = static_cast<int>((2 * sums[w][a] + histogram[w]) / (2 * histogram[w]));
            sources.push_back(mean);
        }
    for (const std::size_t entries : {4, 16, 64}) {
        const auto words = choosePaletteWords(distinct, histogram, entries, s, sources);
        std::vector<ColourPoint> features;
        for (const std::uint16_t w : words)
            features.push_back(wordFeature(w, s));
        std::vector<std::array<std::uint64_t, 4>> served(words.size(), {0, 0, 0, 0});
        for (std::size_t i = 0; i < distinct.size(); ++i) {
            auto& sum = served[nearestIndex(features, sources[i])];
            for (int a = 0; a < 3; ++a)
                sum[a] += histogram[distinct[i]] * static_cast<std::uint64_t>(sources[i][a]);
            sum[3] += histogram[distinct[i]];
        }
        for (std::size_t e = 0; e < words.size(); ++e) {
            ASSERT_NE(served[e][3], 0u);
            ColourPoint mean;
            for (int a = 0; a < 3; ++a)
                mean[a] = static_cast<int>((2 * served[e][a] + served[e][3]) / (2 * served[e][3]));
            EXPECT_EQ(wordFromFeature(mean, s), words[e]) << entries << " entries, entry " << e;
        }
    }
}

TEST(Palette, FewColoursStillMapExactly) {
    Image img(16, 4);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 4; ++y)
            img.at(x, y) = grey(x * 16);
    Settings s;
    s.colourMap = true;
    s.optimiseMapDepth = true;
    s.mapColours = 16;
    s.dither = Dither::Diffusion;
    const EncodedPicture p = encodeColourMap(img.view(), s);
    EXPECT_FALSE(p.quantised);
    const PixelEncoder encoder(s);
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(p.palette[indexAt(p, x, 1)], encoder(img.at(x, 1))) << x;
}

TEST(Perceptual, MatchesPublishedDifferences) {
    // Sharma, Wu and Dalal's test pairs: blue hues (the rotation term), hues on both sides of
    // zero, nearly opposite hues, large and dark differences.
    const struct {
        Lab p, q;
        double expected;
    } table[] = {
        {{50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
        {{50, -1.3802, -84.2814}, {50, 0, -82.7485}, 1.0000},
        {{50, 0, 0}, {50, -1, 2}, 2.3669},
        {{50, 2.49, -0.001}, {50, -2.49, 0.0009}, 7.1792},
        {{50, 2.5, 0}, {73, 25, -18}, 27.1492},
        {{50, 2.5, 0}, {56, -27, -3}, 31.9030},
        {{63.0109, -31.0961, -5.8663}, {62.8187, -29.7946, -4.0864}, 1.2630},
        {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
    };
    for (const auto& row : table) {
        EXPECT_NEAR(ciede2000(row.p, row.q), row.expected, 5e-5) << row.expected;
        EXPECT_NEAR(ciede2000(row.q, row.p), row.expected, 5e-5) << row.expected;
    }
    const Lab red = labOf(255, 0, 0), white = labOf(255, 255, 255);
    EXPECT_NEAR(red.lightness, 53.2408, 1e-4);
    EXPECT_NEAR(red.a, 80.0925, 1e-4);
    EXPECT_NEAR(red.b, 67.2032, 1e-4);
    EXPECT_NEAR(white.lightness, 100, 1e-9);
}

namespace {

// A ramp of distinct RGB16 words between two colours, with uneven weights, as the palette sees it.
struct Ramp {
    std::vector<std::uint16_t> distinct;
    std::vector<WeightedPoint> points;
};
Ramp rampOf(int count, const ColourPoint& from, const ColourPoint& to) {
    Ramp r;
    for (int i = 0; i < count; ++i) {
        ColourPoint c;
        for (int a = 0; a < 3; ++a)
            c[a] = from[a] + (to[a] - from[a]) * i / (count - 1);
        r.distinct.push_back(encodeRgb16(c[0], c[1], c[2], false));
        r.points.push_back({c, static_cast<std::uint64_t>(1 + (i * 7) % 5)});
    }
    return r;
}

} // namespace

TEST(Palette, RampIsCutWhereItLooksBest) {
    // Every cut of a ramp into three bands, each shown by the best of its own words: the
    // dynamic programme must find the cheapest.
    const Ramp r = rampOf(24, {200, 180, 140}, {16, 28, 60});
    ASSERT_EQ(std::set<std::uint16_t>(r.distinct.begin(), r.distinct.end()).size(), 24u);
    Settings s;
    const auto cost = [&](std::size_t point, std::size_t word) {
        const ColourPoint& c = r.points[point].point;
        const Rgb shown = shownColour(r.distinct[word], s);
        const double se = squaredDistance(c, {shown.red, shown.green, shown.blue});
        return static_cast<double>(r.points[point].weight) *
               (ciede2000(labOf(c[0], c[1], c[2]), labOf(shown.red, shown.green, shown.blue)) +
                se / 192);
    };
    const auto band = [&](std::size_t from, std::size_t to, std::uint16_t& word) {
        double best = 1e300;
        for (std::size_t w = from; w < to; ++w) {
            double sum = 0;
            for (std::size_t p = from; p < to; ++p)
                sum += cost(p, w);
            if (sum < best) {
                best = sum;
                word = r.distinct[w];
            }
        }
        return best;
    };
    double best = 1e300;
    std::set<std::uint16_t> bestWords;
    for (std::size_t i = 1; i < 24; ++i)
        for (std::size_t j = i + 1; j < 24; ++j) {
            std::uint16_t a = 0, b = 0, c = 0;
            const double total = band(0, i, a) + band(i, j, b) + band(j, 24, c);
            if (total < best) {
                best = total;
                bestWords = {a, b, c};
            }
        }
    const auto words = rampPaletteWords(r.distinct, r.points, 3, s);
    EXPECT_EQ(std::set<std::uint16_t>(words.begin(), words.end()), bestWords);
    // A map's palette takes this path for such a picture.
    std::vector<std::uint64_t> histogram(65536, 0);
    std::vector<ColourPoint> sources;
    for (std::size_t i = 0; i < r.points.size(); ++i) {
        histogram[r.distinct[i]] = r.points[i].weight;
        sources.push_back(r.points[i].point);
    }
    EXPECT_EQ(choosePaletteWords(r.distinct, histogram, 3, s, sources), words);
}

TEST(Palette, OnlyColoursAlongOneLineAreCutAsARamp) {
    const struct {
        const char* name;
        int offLine; // levels one colour is moved on red and against on blue
        int count;
        std::size_t entries;
        bool glass;
        bool ramp;
    } table[] = {
        {"rounded ramp", 2, 40, 4, false, true},
        {"colour off the line", 12, 40, 4, false, false},
        {"more colours than a ramp crosses", 0, 129, 4, false, false},
        {"as many entries as colours", 0, 40, 40, false, false},
        {"relative CRY holds no colours", 0, 40, 4, true, false},
    };
    for (const auto& row : table) {
        Ramp r = rampOf(row.count, {0, 0, 0}, {250, 250, 250});
        for (int i = 0; i < row.count; ++i) // words distinct whatever the colours
            r.distinct[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 2 + 1);
        r.points[5].point[0] += row.offLine;
        r.points[5].point[2] -= row.offLine;
        Settings s;
        if (row.glass) {
            s.model = ColourModel::Cry16;
            s.cryEncoding = CryEncoding::Glass;
        }
        EXPECT_EQ(!rampPaletteWords(r.distinct, r.points, row.entries, s).empty(), row.ramp)
            << row.name;
    }
}

namespace {

// Like the colours of a photo: a few clouds of different size and weight.
std::vector<WeightedPoint> cloudedPoints() {
    const ColourPoint centres[] = {{40, 60, 30}, {200, 180, 150}, {90, 140, 220}, {230, 40, 50}};
    std::vector<WeightedPoint> points;
    unsigned seed = 1;
    for (int i = 0; i < 4000; ++i) {
        const ColourPoint& c = centres[i % 4];
        const int spread = 10 + 20 * (i % 4);
        ColourPoint p;
        for (int a = 0; a < 3; ++a) {
            seed = seed * 1103515245u + 12345u;
            p[a] =
                std::clamp(c[a] + static_cast<int>((seed >> 16) % (2 * spread)) - spread, 0, 255);
        }
        points.push_back({p, static_cast<std::uint64_t>(1 + (i % 4) * 5 + i % 3)});
    }
    return points;
}

std::uint64_t totalError(const std::vector<WeightedPoint>& points,
                         const std::vector<ColourPoint>& palette) {
    const NearestFinder nearest(palette);
    std::uint64_t total = 0;
    for (const WeightedPoint& p : points)
        total += static_cast<std::uint64_t>(squaredDistance(palette[nearest(p.point)], p.point)) *
                 p.weight;
    return total;
}

} // namespace

TEST(Quantiser, VarianceCutAndKMeansEachLowerTheError) {
    const auto points = cloudedPoints();
    for (const std::size_t colours : {std::size_t{4}, std::size_t{16}, std::size_t{256}}) {
        const auto median = static_cast<double>(totalError(points, medianCut(points, colours)));
        const auto cut = varianceCut(points, colours);
        ASSERT_EQ(cut.size(), colours);
        const auto variance = static_cast<double>(totalError(points, cut));
        const auto refined =
            static_cast<double>(totalError(points, refineByKMeans(points, cut, 8)));
        EXPECT_LT(variance, 0.8 * median) << colours;
        EXPECT_LT(refined, variance) << colours;
    }
}

TEST(Quantiser, MovingCentresLeavesAPoorLocalOptimum) {
    // Two centres share one cloud while the third stands between two others: k-means alone
    // stays there, as each centre already sits at the mean of its points.
    std::vector<WeightedPoint> points;
    for (const int x : {0, 2, 100, 102, 200, 202})
        points.push_back({{x, 50, 50}, 10});
    const std::vector<ColourPoint> start = {{0, 50, 50}, {2, 50, 50}, {151, 50, 50}};
    const auto stuck = totalError(points, refineByKMeans(points, start, 8));
    const auto moved = totalError(points, refineByMovingCentres(points, start, 8, 2));
    EXPECT_LT(moved * 100, stuck);
}

namespace {

// Lloyd's passes as plainly as they can be written: the answer the faster k-means must give.
std::vector<ColourPoint> plainLloyd(const std::vector<WeightedPoint>& points,
                                    std::vector<ColourPoint> centres, int passes) {
    std::vector<std::size_t> owner(points.size(), 0);
    for (int pass = 0; pass < passes; ++pass) {
        std::vector<std::array<std::int64_t, 4>> sums(centres.size(), {0, 0, 0, 0});
        bool moved = pass == 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const std::size_t c = nearestIndex(centres, points[i].point);
            moved |= c != owner[i];
            owner[i] = c;
            const auto w = static_cast<std::int64_t>(points[i].weight);
            for (int a = 0; a < 3; ++a)
                sums[c][a] += w * points[i].point[a];
            sums[c][3] += w;
        }
        if (!moved)
            break;
        for (std::size_t c = 0; c < centres.size(); ++c)
            for (int a = 0; sums[c][3] != 0 && a < 3; ++a) {
                const std::int64_t sum = sums[c][a], w = sums[c][3];
                centres[c][a] = static_cast<int>(sum >= 0 ? (2 * sum + w) / (2 * w)
                                                          : -((-2 * sum + w) / (2 * w)));
            }
    }
    return centres;
}

} // namespace

TEST(Quantiser, KMeansGivesExactlyThePlainPassesTiesIncluded) {
    // A lattice puts many points exactly between two centres.
    std::vector<WeightedPoint> lattice;
    for (int x = 0; x < 64; x += 4)
        for (int y = 0; y < 64; y += 8)
            lattice.push_back({{x, y, 2 * x - y}, static_cast<std::uint64_t>(1 + (x + y) % 5)});
    for (const auto& points : {cloudedPoints(), lattice})
        for (const std::size_t k : {1, 3, 4, 5, 16, 17})
            for (const int passes : {1, 3, 8}) {
                const std::vector<ColourPoint> start = varianceCut(points, k);
                EXPECT_EQ(refineByKMeans(points, start, passes), plainLloyd(points, start, passes))
                    << k << " centres, " << passes << " passes";
            }
}

TEST(Quantiser, MovingCentresReportsTheErrorOfItsResult) {
    const auto points = cloudedPoints();
    for (const std::size_t k : {4, 16, 40}) {
        std::int64_t error = -1;
        const auto centres = refineByMovingCentres(points, medianCut(points, k), 8, 2, &error);
        EXPECT_EQ(static_cast<std::uint64_t>(error), totalError(points, centres)) << k;
    }
}

TEST(Quantiser, CoarsenedToMergesIntoTheFinestCellsThatAreFewEnough) {
    // Cells of 4 (0..3, 4..7, and -4..-1 below zero) are the finest that leave three.
    const std::vector<WeightedPoint> points = {
        {{0, 0, 0}, 1}, {{3, 2, 1}, 3}, {{4, 0, 0}, 2}, {{-1, 0, 0}, 5}, {{7, 3, 3}, 2}};
    const auto equal = [](const WeightedPoint& a, const WeightedPoint& b) {
        return a.point == b.point && a.weight == b.weight;
    };
    const struct {
        std::size_t most;
        std::vector<WeightedPoint> expected;
    } cases[] = {
        {5, points},
        {3, {{{-1, 0, 0}, 5}, {{2, 2, 1}, 4}, {{6, 2, 2}, 4}}}, // (0 + 9) / 4 = 2.25, ...
        {1, {{{2, 1, 1}, 13}}},                                 // 26 / 13, 12 / 13, 9 / 13
    };
    for (const auto& c : cases) {
        const std::vector<WeightedPoint> cells = coarsenedTo(points, c.most);
        ASSERT_EQ(cells.size(), c.expected.size()) << c.most;
        EXPECT_TRUE(std::equal(cells.begin(), cells.end(), c.expected.begin(), equal)) << c.most;
    }
}

TEST(Quantiser, WeightedSumRoundsHalvesAwayFromZeroAndForgetsRemovedPoints) {
    const std::uint64_t many = std::uint64_t{1} << 32;
    const struct {
        std::vector<WeightedPoint> added, removed;
        ColourPoint mean;
    } cases[] = {
        {{{{-1, 2, 5}, 1}, {{0, 3, 0}, 1}}, {}, {-1, 3, 3}},       // -0.5, 2.5, 2.5
        {{{{-3, -1, 1}, 1}, {{0, 0, 0}, 3}}, {}, {-1, 0, 0}},      // -0.75, -0.25, 0.25
        {{{{10, 20, 30}, 2}, {{-7, 4, 0}, 3}, {{100, 0, -50}, 1}}, // -0.2, 10.4, 12
         {{{100, 0, -50}, 1}},
         {0, 10, 12}},
        {{{{255, 255, 255}, many}, {{0, 0, 1}, many}}, {}, {128, 128, 128}}, // 127.5, 128, 128
    };
    for (const auto& c : cases) {
        WeightedSum sum;
        std::int64_t weight = 0;
        for (const WeightedPoint& p : c.added) {
            sum.add(p);
            weight += static_cast<std::int64_t>(p.weight);
        }
        for (const WeightedPoint& p : c.removed) {
            sum.remove(p);
            weight -= static_cast<std::int64_t>(p.weight);
        }
        EXPECT_EQ(sum.mean(), c.mean);
        EXPECT_EQ(sum.weight, weight);
    }
}

TEST(Quantiser, FastNearestFindersAgreeWithTheFullSearchTiesIncluded) {
    std::vector<ColourPoint> whole = {{10, 10, 10}, {30, 10, 10}, {20, 0, 10},  {20, 20, 10},
                                      {10, 10, 10}, {200, 5, 9},  {-8, 3, 120}, {7, 8, 9}};
    for (int i = 0; i < 20; ++i)
        whole.push_back({(i * 53) % 256, (i * 17) % 256, (i * 101) % 256});
    // Few entries are scanned, many searched; far points are measured as ints.
    for (const std::size_t size : {8, 16, 28}) {
        const std::vector<ColourPoint> palette(whole.begin(), whole.begin() + size);
        const NearestFinder sorted(palette);
        const CellNearestFinder cells(palette);
        for (int r = -10; r < 260; r += 3)
            for (int g = 0; g < 256; g += 5)
                for (int b = 0; b < 256; b += 7) {
                    const ColourPoint p{r, g, b};
                    const std::size_t expected = nearestIndex(palette, p);
                    ASSERT_EQ(sorted(p), expected) << size << ": " << r << "," << g << "," << b;
                    ASSERT_EQ(cells(p), expected) << size << ": " << r << "," << g << "," << b;
                }
        EXPECT_EQ(sorted({20, 10, 10}), 0u); // equally far from entries 0, 1, 2 and 3
        EXPECT_EQ(cells({20, 10, 10}), 0u);
        EXPECT_EQ(sorted({5000, -3000, 70}), nearestIndex(palette, {5000, -3000, 70}));
    }
}
