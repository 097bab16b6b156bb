#include "codec/pixelcodec.h"
#include "encode/pictureencoder.h"
#include "encodedpixels.h"
#include "image/image.h"
#include "palette/boxcut.h"
#include "palette/nearestcolour.h"
#include "palette/quantiser.h"
#include "palette/wordfeature.h"
#include "testpictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace rastix;
using namespace rastix::testing;

namespace {

Settings mapSettings(bool optimise) {
    Settings s;
    s.colourMap = true;
    s.optimiseMapDepth = optimise;
    return s;
}

} // namespace

TEST(TrueColour, RowsArePaddedToAPhraseWithTransparentWords) {
    const Image img = filled(5, 3, kRed);
    const EncodedPicture p = encodeTrueColour(img.view(), Settings{});
    EXPECT_EQ(p.rowBytes, 16); // 5 words -> 2 phrases
    EXPECT_EQ(p.paddedWidth(), 8);
    EXPECT_EQ(p.phrasesPerRow(), 2);
    ASSERT_EQ(p.data.size(), 48u);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(wordAt(p, x, y), 0xF800u);
        for (int x = 5; x < 8; ++x)
            EXPECT_EQ(wordAt(p, x, y), 0u);
    }
    EXPECT_EQ(phraseAlignedRowBytes(4, 16), 8);
    EXPECT_EQ(phraseAlignedRowBytes(64, 1), 8);
    EXPECT_EQ(phraseAlignedRowBytes(65, 1), 16);
    EXPECT_EQ(phraseAlignedRowBytes(9, 8), 16);
}

TEST(TrueColour, BigEndianAndTransparentSourcePixels) {
    Image img = filled(4, 1, kBlue);
    img.at(1, 0) = kClear;
    img.at(2, 0) = 0x00FFFFFF; // colour but fully transparent
    const EncodedPicture p = encodeTrueColour(img.view(), Settings{});
    EXPECT_EQ(p.data[0], 0x07);
    EXPECT_EQ(p.data[1], 0xC0);
    EXPECT_EQ(wordAt(p, 1, 0), 0u);
    EXPECT_EQ(wordAt(p, 2, 0), 0u);
}

TEST(TrueColour, OpaquePixelsNeverTakeTheTransparentWordBesideTransparentOnes) {
    struct Case {
        const char* name;
        ColourModel model;
        bool fifteenBits;
        std::uint32_t colour; // opaque, encodes to $0000 on its own
        unsigned besideClear; // its word in a picture with a transparent pixel
    };
    for (const Case& c :
         {Case{"RGB16 black", ColourModel::Rgb16, false, 0xFF000000u, 0x0001},
          Case{"RGB16 near black", ColourModel::Rgb16, false, 0xFF030103u, 0x0001},
          Case{"15-bit CRY dark blue", ColourModel::Cry16, true, 0xFF000001u, 0x8800}}) {
        SCOPED_TRACE(c.name);
        Settings s;
        s.model = c.model;
        s.fifteenBits = c.fifteenBits;
        Image img = filled(2, 1, c.colour);
        EXPECT_EQ(wordAt(encodeTrueColour(img.view(), s), 0, 0), 0x0000u); // a full screen
        img.at(1, 0) = kClear;
        const EncodedPicture sprite = encodeTrueColour(img.view(), s);
        EXPECT_EQ(wordAt(sprite, 0, 0), c.besideClear);
        EXPECT_EQ(wordAt(sprite, 1, 0), 0x0000u);
        EXPECT_EQ(
            wordAt(encodeTrueColour(rotateClockwise(filled(4, 4, c.colour).view(), 45).view(), s),
                   3, 3),
            c.besideClear); // a turn's transparent corners count too
    }
}

TEST(TrueColour, BandsOnSeveralThreadsGiveTheSameBytes) {
    Image img(700, 600);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            img.at(x, y) = 0xFF000000u | static_cast<std::uint32_t>(x * 7919 + y * 104729);
    Settings s;
    s.model = ColourModel::Cry16;
    EXPECT_EQ(encodeTrueColour(img.view(), s, 1).data, encodeTrueColour(img.view(), s, 3).data);
}

TEST(Encoding, AQuarterTurnWhileEncodingEqualsEncodingTheTurnedPicture) {
    // 41 x 6500: padded rows, more than one band of threads, and turned rows that are not a
    // whole number of gathered blocks; a few transparent pixels.
    Image img(41, 6500);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            img.at(x, y) = (x + y) % 61 == 0
                               ? kClear
                               : 0xFF000000u | static_cast<std::uint32_t>(x * 7919 + y * 104729);
    Settings map = mapSettings(true);
    map.mapColours = 16;
    for (const Settings& s : {Settings{}, map})
        for (const int turn : {90, 180, 270, -90}) {
            const Image turned = rotateClockwise(img.view(), turn);
            const EncodedPicture expected = encodePicture(turned.view(), s);
            const EncodedPicture got = encodePicture(img.view(), s, 3, turn);
            EXPECT_EQ(got.width, expected.width);
            EXPECT_TRUE(got.data == expected.data) << turn << " map " << s.colourMap;
            EXPECT_EQ(got.palette, expected.palette);
        }
}

TEST(ColourMap, DepthIsTheFewestBitsThatHoldThePalette) {
    bool reserve = false;
    // 64 pixels wide never needs padding at any depth.
    EXPECT_EQ(chooseMapDepth(1, true, 64, false, reserve), 1);
    EXPECT_FALSE(reserve);
    EXPECT_EQ(chooseMapDepth(2, true, 64, false, reserve), 1);
    EXPECT_EQ(chooseMapDepth(3, true, 64, false, reserve), 2);
    EXPECT_EQ(chooseMapDepth(4, true, 64, false, reserve), 2);
    EXPECT_EQ(chooseMapDepth(5, true, 64, false, reserve), 4);
    EXPECT_EQ(chooseMapDepth(16, true, 64, false, reserve), 4);
    EXPECT_EQ(chooseMapDepth(17, true, 64, false, reserve), 8);
    EXPECT_EQ(chooseMapDepth(256, true, 64, false, reserve), 8);
    EXPECT_FALSE(reserve);
    // Transparent pixels take index 0.
    EXPECT_EQ(chooseMapDepth(2, true, 64, true, reserve), 2);
    EXPECT_TRUE(reserve);
    // So does padding: 10 pixels at 1 bit need padding, at 8 bits too (10 bytes -> 16).
    EXPECT_EQ(chooseMapDepth(2, true, 10, false, reserve), 2);
    EXPECT_TRUE(reserve);
    EXPECT_EQ(chooseMapDepth(256, true, 10, false, reserve), 8); // must be reduced to 255
    EXPECT_TRUE(reserve);
    // Without optimisation the map is always 8 bits.
    EXPECT_EQ(chooseMapDepth(2, false, 64, false, reserve), 8);
}

TEST(ColourMap, ExactPaletteAndMsbFirstPacking) {
    Image img(64, 2, kRed);
    img.at(1, 0) = kGreen;
    img.at(63, 1) = kGreen;
    const EncodedPicture p = encodeColourMap(img.view(), mapSettings(true));
    EXPECT_EQ(p.bitsPerPixel, 1);
    EXPECT_FALSE(p.transparentIndexZero);
    ASSERT_EQ(p.palette.size(), 2u);
    EXPECT_EQ(p.rowBytes, 8);
    // Palette sorted by word: green 0x003F before red 0xF800.
    EXPECT_EQ(p.palette[0], 0x003F);
    EXPECT_EQ(p.palette[1], 0xF800);
    EXPECT_EQ(p.data[0], 0xBF); // 1 0 1 1 1 1 1 1
    EXPECT_EQ(p.data[15], 0xFE);
}

TEST(ColourMap, TransparentPixelsAndPaddingUseIndexZero) {
    Image img(5, 1, kBlue);
    img.at(2, 0) = kClear;
    const EncodedPicture p = encodeColourMap(img.view(), mapSettings(true));
    EXPECT_TRUE(p.transparentIndexZero);
    EXPECT_EQ(p.bitsPerPixel, 1);
    ASSERT_EQ(p.palette.size(), 2u);
    EXPECT_EQ(p.palette[0], kTransparentWord);
    EXPECT_EQ(p.palette[1], 0x07C0);
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(indexAt(p, x, 0), (x < 5 && x != 2) ? 1u : 0u) << x;

    // A row that needs no padding and no transparency keeps every index for colours.
    const EncodedPicture q = encodeColourMap(filled(8, 1, kBlue).view(), mapSettings(false));
    EXPECT_EQ(q.bitsPerPixel, 8);
    EXPECT_FALSE(q.transparentIndexZero);
    ASSERT_EQ(q.palette.size(), 1u);
    EXPECT_EQ(q.data, ByteBuffer(8, 0));
}

TEST(ColourMap, CryPaletteHoldsCryWords) {
    Settings s = mapSettings(true);
    s.model = ColourModel::Cry16;
    Image img(4, 4, kRed);
    img.at(0, 0) = kBlue;
    const EncodedPicture p = encodeColourMap(img.view(), s);
    EXPECT_EQ(p.bitsPerPixel, 2); // rows of 4 at 1 bit need padding, so index 0 is reserved
    ASSERT_EQ(p.palette.size(), 3u);
    EXPECT_EQ(p.palette[1], 0x00FF);
    EXPECT_EQ(p.palette[2], 0xF0FF);
}

TEST(Quantiser, MedianCutErrorBoundOnAUniformCube) {
    // 4096 colours evenly spread (17 levels apart) into 256: no colour may end up farther than
    // 38 levels (measured 37.6; a box of about 2.5 steps on each axis).
    std::vector<WeightedPoint> points;
    for (int r = 0; r < 16; ++r)
        for (int g = 0; g < 16; ++g)
            for (int b = 0; b < 16; ++b)
                points.push_back({{r * 17, g * 17, b * 17}, 1});
    const auto palette = medianCut(points, 256);
    EXPECT_EQ(palette.size(), 256u);
    int worst = 0;
    for (const auto& p : points)
        worst = std::max(worst, squaredDistance(palette[nearestIndex(palette, p.point)], p.point));
    EXPECT_LE(std::sqrt(worst), 38.0);
}

TEST(Quantiser, FewerPointsThanColoursAreKeptExactly) {
    std::vector<WeightedPoint> points = {{{1, 2, 3}, 5}, {{200, 0, 0}, 1}, {{1, 2, 3}, 2}};
    const auto palette = medianCut(points, 16);
    std::set<ColourPoint> got(palette.begin(), palette.end());
    EXPECT_EQ(got, (std::set<ColourPoint>{{1, 2, 3}, {200, 0, 0}}));
}

TEST(Quantiser, PictureWithManyColoursIsReducedNotTruncated) {
    // A smooth sweep of 16384 colours: every pixel's palette colour must stay close to its own
    // RGB16 colour, which truncating the colour list could never achieve.
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            img.at(x, y) = 0xFF000000u | static_cast<std::uint32_t>(x * 2) << 16 |
                           static_cast<std::uint32_t>(y * 2) << 8 |
                           static_cast<std::uint32_t>((x + y) % 256);
    const Settings s = mapSettings(true);
    const EncodedPicture p = encodeColourMap(img.view(), s);
    EXPECT_TRUE(p.quantised);
    EXPECT_EQ(p.bitsPerPixel, 8);
    EXPECT_LE(p.palette.size(), 256u);
    EXPECT_GT(p.palette.size(), 200u);
    const PixelEncoder encoder(s);
    double worst = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const auto want = wordFeature(encoder(img.at(x, y)), s);
            const auto got = wordFeature(p.palette[indexAt(p, x, y)], s);
            worst = std::max(worst, std::sqrt(squaredDistance(want, got)));
        }
    EXPECT_LE(worst, 40.0);
}

TEST(Quantiser, GlassPalettesKeepTheKeepRule) {
    Settings s = mapSettings(false);
    s.model = ColourModel::Cry16;
    s.cryEncoding = CryEncoding::Glass;
    s.kept = KeptDeltas::Positive;
    Image img(256, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            img.at(x, y) = 0xFF000000u | static_cast<std::uint32_t>(x) << 16 |
                           static_cast<std::uint32_t>(y * 4) << 8 |
                           static_cast<std::uint32_t>(255 - x);
    const EncodedPicture p = encodeColourMap(img.view(), s);
    for (const std::uint16_t w : p.palette) {
        const GlassDeltas d = unpackGlass(w);
        EXPECT_GE(d.high, 0);
        EXPECT_GE(d.low, 0);
        EXPECT_GE(d.intensity, 0);
    }
}
