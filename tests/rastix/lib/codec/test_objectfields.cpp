#include "codec/objectfields.h"
#include "encode/pictureencoder.h"
#include "output/outputnames.h"

#include <gtest/gtest.h>

using namespace rastix;

namespace {

// A field read back from a phrase by its bit positions, as the hardware manual numbers them.
unsigned bits(std::uint64_t phrase, int high, int low) {
    return static_cast<unsigned>((phrase >> low) & ((std::uint64_t{1} << (high - low + 1)) - 1));
}

EncodedPicture map(int width, int height, int bitsPerPixel, int clutStart) {
    EncodedPicture p;
    p.width = width;
    p.height = height;
    p.bitsPerPixel = bitsPerPixel;
    p.rowBytes = phraseAlignedRowBytes(width, bitsPerPixel);
    p.palette = {0x0000, 0x1234, 0x5678};
    p.transparentIndexZero = true;
    p.clutStart = clutStart;
    return p;
}

} // namespace

TEST(ObjectFields, EveryFieldLandsOnItsBitsAndNothingElseIsSet) {
    // 40 x 30 at 4 bits: 20 bytes a row, padded to 3 phrases; bank at CLUT entry 32, INDEX 16.
    const ObjectFields f = objectFields(map(40, 30, 4, 32), false);
    EXPECT_EQ(f.phrases, 3);
    EXPECT_EQ(f.dataBytes, 24 * 30);
    EXPECT_EQ(f.paletteEntries, 0); // the bank's palette is the set's
    const BitmapObject o = bitmapObject(f);
    EXPECT_EQ(bits(o.phrase0, 23, 14), 30u);                  // HEIGHT
    EXPECT_EQ(o.phrase0 & ~(std::uint64_t{0x3FF} << 14), 0u); // DATA, LINK, YPOS, TYPE: 0
    EXPECT_EQ(bits(o.phrase1, 14, 12), 2u);                   // DEPTH: 4 bits
    EXPECT_EQ(bits(o.phrase1, 17, 15), 1u);                   // PITCH
    EXPECT_EQ(bits(o.phrase1, 27, 18), 3u);                   // DWIDTH
    EXPECT_EQ(bits(o.phrase1, 37, 28), 3u);                   // IWIDTH
    EXPECT_EQ(bits(o.phrase1, 44, 38), 16u);                  // INDEX
    EXPECT_EQ(bits(o.phrase1, 47, 47), 1u);                   // TRANS
    EXPECT_EQ(bits(o.phrase1, 11, 0), 0u);                    // XPOS left to the game
    EXPECT_EQ(o.phrase1 >> 48, 0u);
}

TEST(ObjectFields, AMapWithItsOwnPaletteCountsItsBytes) {
    EncodedPicture p = map(8, 2, 8, -1);
    p.transparentIndexZero = false;
    const ObjectFields f = objectFields(p, true);
    EXPECT_EQ(f.index, 0);
    EXPECT_FALSE(f.trans);
    EXPECT_EQ(f.paletteEntries, 3);
    EXPECT_EQ(f.paletteBytes, 6);
    EXPECT_EQ(bits(bitmapObject(f).phrase1, 14, 12), 3u);
}

TEST(ObjectFields, TrueColourSkipsWordZeroUnlessAnOpaquePixelIsWrittenAsIt) {
    // Opaque black is word 0 in RGB16, and must be drawn; in a picture with transparent pixels
    // it is written otherwise. CRY black is $8800; relative CRY's 0 is "no change", which
    // skipping it does too. Skipping word 0 hides the padding of these 6-pixel rows.
    Settings rgb;
    Settings cry;
    cry.model = ColourModel::Cry16;
    Settings glass = cry;
    glass.cryEncoding = CryEncoding::Glass;
    Image black(6, 2, 0xFF000000);
    Image red(6, 2, 0xFFFF0000);
    Image holed = black;
    holed.at(3, 1) = 0x00FFFFFF;
    const struct {
        const Image& image;
        const Settings& settings;
        bool trans;
    } cases[] = {{black, rgb, false}, {red, rgb, true},   {holed, rgb, true},
                 {black, cry, true},  {holed, cry, true}, {black, glass, true}};
    for (const auto& c : cases) {
        const EncodedPicture p = encodePicture(c.image.view(), c.settings);
        const ObjectFields f = objectFields(p, false);
        EXPECT_EQ(f.trans, c.trans) << modelDescription(c.settings);
        EXPECT_EQ(bits(bitmapObject(f).phrase1, 47, 47), c.trans ? 1u : 0u);
    }
}
