// The display rules the program test cannot reach through the benchmark's decoder: the mixed
// mode, relative CRY, the INDEX field of a bank, and data that does not hold its frames.
#include "codec/consoleview.h"

#include <gtest/gtest.h>

#include <vector>

using namespace rastix;

namespace {

// One pixel of the given value in a row of one phrase.
EncodedPicture onePixel(int bitsPerPixel, unsigned value) {
    EncodedPicture p;
    p.width = 1;
    p.height = 1;
    p.bitsPerPixel = bitsPerPixel;
    p.rowBytes = 8;
    p.data.assign(8, 0);
    if (bitsPerPixel == 16) {
        p.data[0] = static_cast<std::uint8_t>(value >> 8);
        p.data[1] = static_cast<std::uint8_t>(value);
    } else {
        p.data[0] = static_cast<std::uint8_t>(value << (8 - bitsPerPixel));
    }
    return p;
}

Settings settingsOf(ColourModel model, bool fifteenBits, bool glass) {
    Settings s;
    s.model = model;
    s.fifteenBits = fifteenBits;
    s.cryEncoding = glass ? CryEncoding::Glass : CryEncoding::Normal;
    return s;
}

EncodedPicture bankMap(unsigned pixel) {
    EncodedPicture p = onePixel(4, pixel);
    p.palette.assign(16, 0x07C0);
    p.palette[3] = 0xF800;
    p.clutStart = 80; // bank 5: INDEX 40
    return p;
}

EncodedPicture transparentMap() {
    EncodedPicture p = onePixel(2, 0);
    p.palette = {0x0000, 0xF800};
    p.transparentIndexZero = true;
    return p;
}

EncodedPicture transparentWord() {
    EncodedPicture p = onePixel(16, 0);
    p.zeroWordsTransparent = true;
    return p;
}

std::vector<std::uint8_t> bytesOf(const ShownPicture& shown) {
    return {shown.rgb.begin(), shown.rgb.end()};
}

struct Case {
    const char* what;
    EncodedPicture picture;
    Settings settings;
    std::vector<std::uint8_t> shown;
};

} // namespace

TEST(ConsoleView, ShowsEachWordByTheConsolesRules) {
    const Settings rgb = settingsOf(ColourModel::Rgb16, false, false);
    const Settings cry = settingsOf(ColourModel::Cry16, false, false);
    const Settings glass = settingsOf(ColourModel::Cry16, false, true);
    const Case cases[] = {
        {"RGB16 keeps 6 bits of green", onePixel(16, 0x07FF), rgb, {0, 252, 248}},
        {"mixed mode: bit 0 set is RGB of 5-bit green",
         onePixel(16, 0x07FF),
         settingsOf(ColourModel::Cry16, true, false),
         {0, 248, 248}},
        {"mixed mode: bit 0 clear is CRY",
         onePixel(16, 0xF0FE),
         settingsOf(ColourModel::Rgb16, true, false),
         {253, 0, 0}},
        {"CRY: ROM value x Y >> 8", onePixel(16, 0x88FF), cry, {246, 254, 229}},
        {"word 0 without TRANS is black", onePixel(16, 0), rgb, {0, 0, 0}},
        {"word 0 with TRANS is the backdrop", transparentWord(), rgb, {128, 128, 128}},
        {"glass adds to the line buffer $8880", onePixel(16, 0x0010), glass, {138, 143, 129}},
        {"glass saturates", onePixel(16, 0x007F), glass, {246, 254, 229}},
        {"glass word 0 leaves the line buffer", onePixel(16, 0), glass, {123, 127, 115}},
        {"a bank's map reads its CLUT entries through INDEX", bankMap(3), rgb, {248, 0, 0}},
        {"index 0 with TRANS is the backdrop", transparentMap(), rgb, {128, 128, 128}},
    };
    for (const Case& c : cases) {
        std::string error;
        const ShownPicture shown = consoleView(c.picture, c.settings, error);
        EXPECT_EQ(error, "") << c.what;
        EXPECT_EQ(bytesOf(shown), c.shown) << c.what;
    }
}

TEST(ConsoleView, LaysFramesOutInTheSheetsColumnsEachFromItsOffset) {
    EncodedPicture p = onePixel(16, 0xF800);
    p.data.insert(p.data.end(), {0x00, 0x3F, 0, 0, 0, 0, 0, 0});
    p.storedFrames = 2;
    p.frameOffsets = {8, 0, 8};
    p.frameColumns = 2;
    std::string error;
    const ShownPicture shown = consoleView(p, settingsOf(ColourModel::Rgb16, false, false), error);
    EXPECT_EQ(shown.width, 2);
    EXPECT_EQ(shown.height, 2);
    // Green, red, green, and the cell no frame fills.
    EXPECT_EQ(bytesOf(shown),
              (std::vector<std::uint8_t>{0, 252, 0, 248, 0, 0, 0, 252, 0, 128, 128, 128}));
}

TEST(ConsoleView, RefusesDataShorterThanItsFrames) {
    EncodedPicture p = onePixel(16, 0);
    p.frameOffsets = {0, 8};
    std::string error;
    const ShownPicture shown = consoleView(p, settingsOf(ColourModel::Rgb16, false, false), error);
    EXPECT_NE(error, "");
    EXPECT_TRUE(shown.rgb.empty());
}

TEST(ConsoleView, ShowsAFrameMarkedReflectedMirrored) {
    EncodedPicture p = onePixel(16, 0xF800);
    p.width = 2;
    p.data[2] = 0x00; // the second pixel green
    p.data[3] = 0x3F;
    p.frameOffsets = {0, 0};
    p.frameReflect = {0, 1};
    p.frameColumns = 2;
    std::string error;
    const ShownPicture shown = consoleView(p, settingsOf(ColourModel::Rgb16, false, false), error);
    EXPECT_EQ(bytesOf(shown),
              (std::vector<std::uint8_t>{248, 0, 0, 0, 252, 0, 0, 252, 0, 248, 0, 0}));
}
