// Maps whose palette is not chosen for the picture alone: reserved entries, banks, a given
// palette, a palette shared by a set, and the banks of one CLUT.
#include "codec/pixelcodec.h"
#include "encode/pictureencoder.h"
#include "encode/setpalettes.h"
#include "encodedpixels.h"
#include "palette/palettefile.h"
#include "palette/plannedpalette.h"
#include "testpictures.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace rastix;
using namespace rastix::testing;

namespace {

// A picture of `colours` (at most 304) different opaque colours, one a pixel, in rows of
// `width`; the pixels past them black.
Image stripes(int colours, int width = 16) {
    Image img(width, (colours + width - 1) / width, 0xFF000000u);
    for (int i = 0; i < colours; ++i)
        img.at(i % width, i / width) = 0xFF000040u | static_cast<std::uint32_t>(i % 16 * 17) << 16 |
                                       static_cast<std::uint32_t>(i / 16 % 19 * 13) << 8;
    return img;
}

Settings map() {
    Settings s;
    s.colourMap = true;
    return s;
}

std::set<unsigned> indicesUsed(const EncodedPicture& p) {
    std::set<unsigned> used;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            used.insert(indexAt(p, x, y));
    return used;
}

} // namespace

TEST(MapPalettes, ReservedEntriesAreNeverChosenOrUsed) {
    struct Case {
        int colours;
        Dither dither;
    };
    for (const Case c : {Case{20, Dither::None}, Case{300, Dither::None},
                         Case{300, Dither::Diffusion}, Case{300, Dither::Ordered}}) {
        Settings s = map();
        s.dither = c.dither;
        for (int e = 0; e < 16; ++e)
            s.reservedEntries.set(static_cast<std::size_t>(e));
        s.reservedEntries.set(100);
        const Image img = stripes(c.colours, 20);
        const EncodedPicture p = encodeColourMap(img.view(), s);
        for (int e = 0; e < 16; ++e)
            EXPECT_EQ(p.palette[static_cast<std::size_t>(e)], 0u) << e;
        for (const unsigned i : indicesUsed(p))
            EXPECT_TRUE(i >= 16 && i != 100) << c.colours << " colours use " << i;
        if (c.colours <= 238)
            EXPECT_EQ(p.palette.size(), 16u + static_cast<std::size_t>(c.colours));
        else
            EXPECT_EQ(p.palette.size(), 256u);
    }
}

TEST(MapPalettes, ABankTakesTheFewestBitsAndSaysItsIndexField) {
    struct Case {
        int colours;
        int bank;
        int bits;
        int index; // INDEX field: the bank's first entry / 2
    };
    for (const Case c :
         {Case{1, 5, 1, 5}, Case{3, 2, 2, 4}, Case{12, 3, 4, 24}, Case{40, 15, 4, 120}}) {
        Settings s = map();
        s.bank = c.bank;
        const Image img = stripes(c.colours, 64); // no padding at any depth
        const EncodedPicture p = encodeColourMap(img.view(), s);
        EXPECT_EQ(p.bitsPerPixel, c.bits) << c.colours;
        EXPECT_EQ(p.indexField(), c.index) << c.colours;
        EXPECT_LE(p.palette.size(), std::size_t{1} << c.bits);
    }
    Settings past = map();
    past.bank = 16;
    EXPECT_THROW(encodeColourMap(stripes(12, 64).view(), past), PaletteRefused);
}

TEST(MapPalettes, AGivenPaletteIsKeptAndServesTheNearestColours) {
    auto given = std::make_shared<PaletteFileContents>();
    given->colours = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {255, 255, 255}};
    Settings s = map();
    s.optimiseMapDepth = true;
    s.givenPalette = given;
    Image img = filled(8, 1, 0xFFF00808); // near red
    img.at(1, 0) = 0xFF0000FF;            // blue exactly
    img.at(2, 0) = kClear;
    const EncodedPicture p = encodeColourMap(img.view(), s);
    EXPECT_EQ(p.palette, (std::vector<std::uint16_t>{0x0000, 0xF800, 0x07C0, 0xFFFF}));
    EXPECT_EQ(p.bitsPerPixel, 2);
    EXPECT_TRUE(p.transparentIndexZero);
    EXPECT_EQ(indexAt(p, 0, 0), 1u);
    EXPECT_EQ(indexAt(p, 1, 0), 2u);
    EXPECT_EQ(indexAt(p, 2, 0), 0u);
    // A .clut's words are taken as they are, whatever the model.
    auto words = std::make_shared<PaletteFileContents>();
    words->holdsWords = true;
    words->words = {0x1234, 0x8800, 0xF0FF};
    s.model = ColourModel::Cry16;
    s.givenPalette = words;
    EXPECT_EQ(encodeColourMap(img.view(), s).palette, words->words);
}

TEST(MapPalettes, ASharedPaletteHoldsEveryColourOfTheSetWhenTheyFit) {
    Settings s = map();
    s.optimiseMapDepth = true;
    const Image a = filled(8, 1, kRed);
    Image b = filled(5, 1, kBlue); // padded at every depth: index 0 goes to transparency
    b.at(0, 0) = 0xFF00FF00;
    const ColourCensus ca = takeCensus(a.view(), s, 1);
    const ColourCensus cb = takeCensus(b.view(), s, 1);
    ColourCensus total = ca;
    total.add(cb);
    auto shared = std::make_shared<PlannedPalette>(planSharedPalette(total, {8, 5}, s));
    EXPECT_TRUE(shared->transparentIndexZero);
    EXPECT_EQ(shared->bitsPerPixel, 2);
    ASSERT_EQ(shared->words.size(), 4u);
    s.planned = shared;
    for (const Image* img : {&a, static_cast<const Image*>(&b)}) {
        const EncodedPicture p = encodeColourMap(img->view(), s);
        EXPECT_EQ(p.palette, shared->words);
        EXPECT_FALSE(p.quantised);
        for (int x = 0; x < img->view().width; ++x)
            EXPECT_EQ(shared->words[indexAt(p, x, 0)], PixelEncoder(s)(img->view().row(0)[x]));
    }
}

TEST(MapPalettes, BanksArePackedInOrderAndShareWhereColoursFit) {
    const auto request = [](std::vector<std::uint16_t> colours, bool zero) {
        return BankRequest{std::move(colours), 4, zero};
    };
    std::vector<BankRequest> requests = {
        request({1, 2, 3, 4, 5}, true), request({4, 5, 6}, true),         // fits the first
        request({20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}, false), // needs its own
        BankRequest{{7, 8}, 2, true},                                     // a 4-entry bank
    };
    std::bitset<256> reserved;
    for (std::size_t e = 0; e < 14; ++e) // leaves two entries of bank 0: too few for the first
        reserved.set(e);
    const BankPlan plan = planBanks(requests, reserved);
    ASSERT_EQ(plan.palettes.size(), 4u);
    EXPECT_EQ(plan.banksUsed, 3);
    EXPECT_EQ(plan.palettes[0]->clutStart, 16);
    EXPECT_EQ(plan.palettes[1]->clutStart, 16);
    EXPECT_EQ(plan.palettes[2]->clutStart, 32);
    EXPECT_EQ(plan.palettes[3]->clutStart, 24); // in the first bank's free entries
    EXPECT_EQ(plan.clut[25], 7u);
    EXPECT_EQ(plan.clut[16], 0u); // kept transparent
    EXPECT_EQ(plan.clut[17], 1u);
    EXPECT_EQ(plan.clut[22], 6u);
    EXPECT_EQ(plan.clut[33], 20u); // entry 0 filled last, left open for a transparent one
    EXPECT_EQ(plan.palettes[2]->usable.size(), 12u);
    EXPECT_FALSE(plan.palettes[2]->transparentIndexZero);
    // Sixteen more full banks: the last finds the CLUT full.
    std::vector<BankRequest> many(
        16, request({40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54}, true));
    for (std::size_t i = 0; i < many.size(); ++i)
        many[i].colours[0] = static_cast<std::uint16_t>(100 + i);
    const BankPlan full = planBanks(many, std::bitset<256>().set(255));
    EXPECT_EQ(full.banksUsed, 15);
    EXPECT_FALSE(full.palettes.back().has_value());
}

TEST(MapPalettes, ThePlannedMapEncoderGivesTheBytesOfEncodeColourMap) {
    // A palette of 16 entries chosen for a picture of many colours, then a part of it (whose
    // pixels' mean colours are its own) mapped onto it both ways, transparent pixels included.
    Image picture = stripes(300, 20);
    for (int x = 0; x < 6; ++x)
        picture.at(x, 3) = 0;
    const ImageView part{picture.view().row(2) + 3, 12, 10, picture.width};
    struct Case {
        const char* what;
        bool glass;
        Dither dither;
        bool optimise;
        int quarterTurn;
    };
    const Case cases[] = {
        {"nearest", false, Dither::None, false, 0},
        {"turned", false, Dither::None, false, 90},
        {"ordered", false, Dither::Ordered, true, 0},
        {"diffused", false, Dither::Diffusion, false, 270},
        {"glass", true, Dither::None, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Settings s = map();
        s.mapColours = 16;
        s.dither = c.dither;
        s.optimiseMapDepth = c.optimise;
        if (c.glass) {
            s.model = ColourModel::Cry16;
            s.cryEncoding = CryEncoding::Glass;
        }
        const ColourCensus census = takeCensus(picture.view(), s, 1);
        s.planned = std::make_shared<PlannedPalette>(
            choosePalette(census, mapRulesFor(s, 12, true), s).palette);
        const EncodedPicture expected = encodeColourMap(part, s, 1, nullptr, c.quarterTurn);
        PlannedMapEncoder::Scratch scratch;
        const PlannedMapEncoder encoder(s);
        for (int again = 0; again < 2; ++again) { // the scratch of one picture left for the next
            const EncodedPicture got = encoder.encode(part, c.quarterTurn, scratch);
            EXPECT_EQ(got.data, expected.data);
            EXPECT_EQ(got.quantised, expected.quantised);
            EXPECT_EQ(got.width, expected.width);
            EXPECT_EQ(got.sourceColours, expected.sourceColours);
        }
    }
}
