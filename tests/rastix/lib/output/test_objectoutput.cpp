// The fields of the bitmap object a picture needs, as every output writes them.
#include "codec/objectfields.h"
#include "encode/pictureencoder.h"
#include "output/assemblysource.h"
#include "output/output.h"

#include <gtest/gtest.h>

#include <string>

using namespace rastix;

namespace {

// A colour map of four 1-bit pixels meant for the bank of CLUT entries 6 and 7.
EncodedPicture bankedMap() {
    EncodedPicture p;
    p.width = 70;
    p.height = 3;
    p.bitsPerPixel = 1;
    p.rowBytes = phraseAlignedRowBytes(p.width, 1);
    p.data.assign(static_cast<std::size_t>(p.rowBytes) * p.height, 0);
    p.palette = {0x0000, 0xF800};
    p.clutStart = 6;
    return p;
}

} // namespace

TEST(Assembly, EquatesHoldEveryFieldOfTheObject) {
    Image img(5, 2, 0xFFFF0000);
    Settings s;
    const EncodedPicture trueColour = encodePicture(img.view(), s);
    Settings banks = s;
    banks.colourMap = true;
    banks.sharing = PaletteSharing::Banks;
    banks.paletteSetName = "pal";
    struct Case {
        EncodedPicture picture;
        Settings settings;
        const char* lines;
    };
    const Case cases[] = {
        {trueColour, s,
         "t_dwidth = 2\t; object DWIDTH field: phrases from one line to the next\n"
         "t_iwidth = 2\t; object IWIDTH field: phrases shown of each line\n"
         "t_pitch = 1\t; object PITCH field: the phrases follow each other\n"
         "t_index = 0\t; object INDEX field (for maps of 1, 2 or 4 bits)\n"},
        {bankedMap(), banks,
         "t_dwidth = 2\t; object DWIDTH field: phrases from one line to the next\n"
         "t_iwidth = 2\t; object IWIDTH field: phrases shown of each line\n"
         "t_pitch = 1\t; object PITCH field: the phrases follow each other\n"
         "t_index = 3\t; object INDEX field: the bank's first CLUT entry / 2\n"},
    };
    for (const Case& c : cases) {
        for (const AsmSyntax syntax : {AsmSyntax::Madmac, AsmSyntax::Gas}) {
            Settings settings = c.settings;
            settings.syntax = syntax;
            std::string expected = c.lines;
            if (syntax == AsmSyntax::Gas)
                for (char& ch : expected)
                    ch = ch == ';' ? '|' : ch;
            const std::string text = assemblyHeader(c.picture, settings, "t.png", "t");
            const auto found = text.find(expected);
            EXPECT_NE(found, std::string::npos) << text;
            // Before the data, for assemblers of one pass, and written once.
            EXPECT_LT(found, text.find("\t.data"));
            EXPECT_EQ(text.find("t_index ="), text.rfind("t_index ="));
        }
    }
}

TEST(OutputNames, TheBinaryObjectFollowsTheDataAndThePalette) {
    Settings s;
    s.targetDir = "out";
    s.format = OutputFormat::Binary;
    s.objectHeader = true;
    Settings map = s;
    map.colourMap = true;
    Settings copied = map;
    copied.paletteCopy = PaletteCopy::Gpl;
    Settings shared = map;
    shared.sharing = PaletteSharing::SharedClut;
    shared.paletteSetName = "pal";
    Settings assembly = s;
    assembly.format = OutputFormat::Assembly;
    const struct {
        const Settings& settings;
        std::vector<std::string> paths;
    } cases[] = {
        {s, {"out/b.rgb", "out/b.obj"}},
        {map, {"out/b.map", "out/b.clut", "out/b.obj"}},
        {copied, {"out/b.map", "out/b.clut", "out/b.obj", "out/b.gpl"}},
        {shared, {"out/b.map", "out/b.obj"}},
        {assembly, {"out/b.s"}}, // the object is in the text
    };
    const Image img(4, 1, 0xFFFF0000);
    for (const auto& c : cases) {
        EXPECT_EQ(outputPaths(c.settings, "a/b.png"), c.paths);
        const EncodedPicture picture = encodePicture(img.view(), c.settings);
        const std::vector<OutputFile> files = outputsFor(picture, c.settings, "a/b.png");
        // The palette copy for paint programs is added by the conversion, after these.
        ASSERT_EQ(files.size(), c.paths.size() - (c.settings.paletteCopy != PaletteCopy::None));
        if (c.settings.format == OutputFormat::Binary) {
            const OutputFile& object = files.back();
            EXPECT_EQ(object.path, "out/b.obj");
            const auto expected = bitmapObjectBytes(
                bitmapObject(objectFields(picture, writesOwnPalette(c.settings))));
            EXPECT_EQ(object.bytes, ByteBuffer(expected.begin(), expected.end()));
        }
    }
}
