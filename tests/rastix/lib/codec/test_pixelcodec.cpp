#include "codec/crytable.h"
#include "codec/pixelcodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace rastix;

namespace {

std::uint32_t argb(int r, int g, int b, int a = 255) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(r) << 16 |
           static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
}

Settings cry() {
    Settings s;
    s.model = ColourModel::Cry16;
    return s;
}

Settings glass(KeptDeltas kept, bool gray = false) {
    Settings s = cry();
    s.cryEncoding = CryEncoding::Glass;
    s.kept = kept;
    s.grayOnly = gray;
    return s;
}

} // namespace

TEST(Rgb16, LandmarkColours) {
    EXPECT_EQ(encodeRgb16(255, 0, 0, false), 0xF800);
    EXPECT_EQ(encodeRgb16(0, 255, 0, false), 0x003F);
    EXPECT_EQ(encodeRgb16(0, 0, 255, false), 0x07C0);
    EXPECT_EQ(encodeRgb16(255, 255, 255, false), 0xFFFF);
    EXPECT_EQ(encodeRgb16(0, 0, 0, false), 0x0000);
    // Nearest level, not truncation: 132 is nearer to 136 (17 << 3) than to 128.
    EXPECT_EQ(encodeRgb16(132, 0, 0, false) >> 11, 17);
}

TEST(Rgb16, FifteenBitsMarksTheWordAsRgb) {
    EXPECT_EQ(encodeRgb16(255, 0, 0, true), 0xF801);
    EXPECT_EQ(encodeRgb16(0, 255, 0, true), 0x003F);
    EXPECT_EQ(encodeRgb16(0, 0, 255, true), 0x07C1);
    EXPECT_EQ(encodeRgb16(0, 0, 0, true), 0x0001);
    EXPECT_EQ(encodeRgb16(0, 128, 0, true), 16 << 1 | 1); // five green bits in 5-1
    for (int v = 0; v < 256; v += 5)
        EXPECT_EQ(encodeRgb16(v, v, v, true) & 1, 1);
}

TEST(Rgb16, RoundTripWithinHalfAStep) {
    int worst = 0;
    for (int r = 0; r < 256; r += 3)
        for (int g = 0; g < 256; g += 3)
            for (int b = 0; b < 256; b += 17) {
                const Rgb d = decodeRgb16(encodeRgb16(r, g, b, false), false);
                worst = std::max(
                    {worst, std::abs(d.red - r), std::abs(d.green - g), std::abs(d.blue - b)});
            }
    // 4 is half a 5-bit step; 255 decodes to 248 because the console fills the low bits with 0.
    EXPECT_LE(worst, 7);
}

TEST(Cry16, CornersOfTheTable) {
    EXPECT_EQ(encodeCry(0, 0, 255, false), 0x00FF);   // blue, colour byte 0x00
    EXPECT_EQ(encodeCry(0, 255, 255, false), 0x0FFF); // cyan, 0x0F
    EXPECT_EQ(encodeCry(255, 0, 0, false), 0xF0FF);   // red, 0xF0
    EXPECT_EQ(encodeCry(255, 255, 0, false), 0xFFFF); // yellow, 0xFF
    EXPECT_EQ(encodeCry(128, 0, 0, false), 0xF080);   // intensity is the largest component
    EXPECT_EQ(encodeCry(0, 0, 7, false), 0x0007);
}

TEST(Cry16, GreyAndBlackUseTheNeutralColourByte) {
    EXPECT_EQ(encodeCry(255, 255, 255, false), 0x88FF);
    EXPECT_EQ(encodeCry(100, 100, 100, false), 0x8864);
    // Opaque black must not be the transparent word.
    EXPECT_EQ(encodeCry(0, 0, 0, false), 0x8800);
    EXPECT_EQ(PixelEncoder(cry())(argb(0, 0, 0)), 0x8800);
    EXPECT_EQ(PixelEncoder(cry())(argb(0, 0, 0, 0)), kTransparentWord);
    EXPECT_EQ(PixelEncoder(cry())(argb(200, 10, 10, 0)), kTransparentWord);
}

TEST(Cry16, FifteenBitsClearsBitZero) {
    EXPECT_EQ(encodeCry(255, 0, 0, true), 0xF0FE);
    for (int v = 0; v < 256; v += 3)
        EXPECT_EQ(encodeCry(v, v / 2, 0, true) & 1, 0);
}

TEST(Cry16, LookupMatchesExhaustiveSearchOnEveryFacePoint) {
    // At every integer point of the cube's top faces (where the scaled colour lives) the lookup
    // must give exactly the exhaustive answer.
    for (int a = 0; a < 256; a += 2)
        for (int b = 0; b < 256; b += 2) {
            ASSERT_EQ(cryColourByte(255, a, b), nearestCryColourExhaustive(255, a, b));
            ASSERT_EQ(cryColourByte(a, 255, b), nearestCryColourExhaustive(a, 255, b));
            ASSERT_EQ(cryColourByte(a, b, 255), nearestCryColourExhaustive(a, b, 255));
        }
}

TEST(Cry16, LookupWorstCaseAgainstExactScaledColour) {
    // Against an exhaustive search on the exactly scaled (real-valued) colour, the lookup may
    // only differ through rounding the scaled colour to whole levels. Measured worst case:
    // 1.22 RGB levels farther than the best entry, over this sweep.
    const auto& rom = cryRom();
    double worstExcess = 0;
    int differ = 0;
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 5) {
                const int y = std::max({r, g, b});
                if (y == 0)
                    continue;
                const double p[3] = {r * 255.0 / y, g * 255.0 / y, b * 255.0 / y};
                const auto dist = [&](int i) {
                    return std::hypot(p[0] - rom[i].red, p[1] - rom[i].green, p[2] - rom[i].blue);
                };
                double best = 1e9;
                for (int i = 0; i < 256; ++i)
                    best = std::min(best, dist(i));
                const double got = dist(cryColourByte(r, g, b));
                if (got > best + 1e-9) {
                    ++differ;
                    worstExcess = std::max(worstExcess, got - best);
                }
            }
    EXPECT_LE(worstExcess, 1.25);
    EXPECT_LT(differ, 140608 / 50); // under 2 % of the colours pick a (nearly) tied neighbour
}

TEST(Cry16, RoundTripThroughTheConsoleRule) {
    // Decoded as the console does, ((ROM x Y) >> 8), over a sweep of the whole cube: the worst
    // channel error is 26 levels (hue is only 256 entries), the mean error at most 8.
    int worst = 0;
    double sum = 0;
    int count = 0;
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15) {
                const Rgb d = decodeCry(encodeCry(r, g, b, false));
                const int e =
                    std::max({std::abs(d.red - r), std::abs(d.green - g), std::abs(d.blue - b)});
                worst = std::max(worst, e);
                sum += e;
                ++count;
            }
    EXPECT_LE(worst, 26);
    EXPECT_LE(sum / count, 8.0);
    // Colours that are table entries come back within the truncation of the multiply.
    const Rgb red = decodeCry(encodeCry(255, 0, 0, false));
    EXPECT_EQ(red, (Rgb{254, 0, 0}));
}

TEST(Glass, PackingIsHighNibbleLowNibbleThenIntensity) {
    EXPECT_EQ(packGlass({1, 0, 0}), 0x1000);
    EXPECT_EQ(packGlass({-1, 0, 0}), 0xF000);
    EXPECT_EQ(packGlass({0, 1, 0}), 0x0100);
    EXPECT_EQ(packGlass({0, -1, 0}), 0x0F00);
    EXPECT_EQ(packGlass({0, 0, 16}), 0x0010);
    EXPECT_EQ(packGlass({0, 0, -16}), 0x00F0);
    EXPECT_EQ(packGlass({-8, 7, -128}), 0x8780);
    for (int h = -8; h < 8; ++h)
        for (int y = -128; y < 128; y += 7) {
            const GlassDeltas d{h, -h - 1, y};
            EXPECT_EQ(unpackGlass(packGlass(d)), d);
        }
}

TEST(Glass, DeltasFromTheCryEncoding) {
    // Pure red: colour byte 0xF0 -> +7, -8; Y 255 -> +127.
    EXPECT_EQ(glassDeltas(255, 0, 0, KeptDeltas::Both, false), (GlassDeltas{7, -8, 127}));
    // Pure grey gives no colour change; mid grey gives no change at all.
    EXPECT_EQ(glassDeltas(128, 128, 128, KeptDeltas::Both, false), (GlassDeltas{0, 0, 0}));
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Both))(argb(128, 128, 128)), 0x0000);
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Both))(argb(0, 0, 0)), 0x0080); // dY = -128
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Both))(argb(255, 0, 0)), 0x787F);
}

TEST(Glass, KeepRules) {
    // Blue: colour byte 0x00 -> -8, -8; bright -> +127.
    const std::uint32_t blue = argb(0, 0, 255);
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Both))(blue), 0x887F);
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Positive))(blue), 0x007F);
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Negative))(blue), 0x8800);
    // Dark yellow: 0xFF -> +7, +7; Y 64 -> -64.
    const std::uint32_t darkYellow = argb(64, 64, 0);
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Both))(darkYellow), 0x77C0);
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Positive))(darkYellow), 0x7700);
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Negative))(darkYellow), 0x00C0);
    // Gray keeps only the intensity delta, and the keep rule still applies to it.
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Both, true))(darkYellow), 0x00C0);
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Positive, true))(darkYellow), 0x0000);
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Positive, true))(blue), 0x007F);
    // Transparent stays "no change".
    EXPECT_EQ(PixelEncoder(glass(KeptDeltas::Both))(argb(0, 0, 255, 0)), 0x0000);
}

TEST(PixelEncoderRows, RowLoopsAgreeWithThePerPixelEncoder) {
    std::vector<std::uint32_t> row;
    for (int i = 0; i < 4096; ++i)
        row.push_back(static_cast<std::uint32_t>(i * 2654435761u) | (i % 7 == 0 ? 0 : 0xFF000000u));
    std::vector<Settings> all = {Settings{}, cry(), glass(KeptDeltas::Positive)};
    Settings fifteen;
    fifteen.fifteenBits = true;
    all.push_back(fifteen);
    Settings gray = cry();
    gray.grayOnly = true;
    all.push_back(gray);
    for (const Settings& s : all) {
        const PixelEncoder encoder(s);
        std::vector<std::uint8_t> out(row.size() * 2);
        encoder.encodeRow(row.data(), static_cast<int>(row.size()), out.data());
        for (std::size_t i = 0; i < row.size(); ++i)
            ASSERT_EQ(out[2 * i] << 8 | out[2 * i + 1], encoder(row[i])) << i;
    }
}
