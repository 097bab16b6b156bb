// The fields of the bitmap object a picture needs, as every output writes them.
#include "codec/objectfields.h"
#include "encode/pictureencoder.h"
#include "output/assemblysource.h"
#include "output/csource.h"
#include "output/output.h"
#include "output/outputnames.h"

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

TEST(CSource, TheHeaderDefinesEveryEquateOfTheAssemblyWithItsValue) {
    Image img(70, 3, 0xFF0000FF);
    img.at(1, 1) = 0xFFFF0000;
    Settings map;
    map.colourMap = true;
    map.optimiseMapDepth = true;
    Settings banks = map;
    banks.sharing = PaletteSharing::Banks;
    banks.paletteSetName = "pal";
    for (const Settings& base : {Settings{}, map}) {
        const EncodedPicture picture = encodePicture(img.view(), base);
        Settings c = base;
        c.format = OutputFormat::C;
        const std::string header = cHeaderFile(picture, c, "dir/p.png", "p");
        const std::string assembly = assemblyHeader(picture, base, "dir/p.png", "p");
        int equates = 0;
        for (std::size_t at = assembly.find("\np_"); at != std::string::npos;
             at = assembly.find("\np_", at + 1)) {
            const std::size_t is = assembly.find(" = ", at);
            const std::string name = assembly.substr(at + 1, is - at - 1);
            const std::string value = assembly.substr(is + 3, assembly.find('\t', is) - is - 3);
            EXPECT_NE(header.find("\n#define " + name + " " + value + " /* "), std::string::npos)
                << name << " = " << value << "\n"
                << header;
            ++equates;
        }
        EXPECT_EQ(equates, base.colourMap ? 11 : 10);
        EXPECT_NE(header.find("#ifndef RASTIX_p_H\n#define RASTIX_p_H\n"), std::string::npos);
        EXPECT_NE(header.find("#include <stdint.h>\n"), std::string::npos);
        EXPECT_NE(header.find(base.colourMap ? "extern const uint8_t p[p_size];\n"
                                             : "extern const uint16_t p[p_size / 2];\n"),
                  std::string::npos)
            << header;
        EXPECT_EQ(header.find("p_clut[") != std::string::npos, base.colourMap);
        // The source includes its header by the name it has beside it.
        EXPECT_NE(cSourceHeader(picture, c, "dir/p.png", "p").find("#include \"p.h\"\n"),
                  std::string::npos);
    }
}

TEST(CSource, NamesThatCWouldNotTakeGetAnUnderscore) {
    Settings c;
    c.format = OutputFormat::C;
    const Settings assembly;
    for (const char* name : {"int", "char", "uint16_t", "class", "NULL", "main"}) {
        EXPECT_EQ(sourceLabel(c, name), std::string("_") + name);
        EXPECT_EQ(sourceLabel(assembly, name), name); // the assembly's labels stay as they were
    }
    EXPECT_EQ(sourceLabel(c, "d0"), "_d0");
    EXPECT_EQ(sourceLabel(c, "integer"), "integer");
    EXPECT_EQ(sourceLabel(c, "my logo"), "my_logo");
}

TEST(CSource, AHeaderThatCannotBeIncludedByNameStandsInTheSource) {
    const Image img(4, 2, 0xFF0000FF);
    Settings c;
    c.format = OutputFormat::C;
    const EncodedPicture picture = encodePicture(img.view(), c);
    for (const char* path : {"dir/a\"b.png", "dir/a\nb.png"}) {
        const std::string source = cSourceHeader(picture, c, path, "a_b");
        EXPECT_EQ(source.find("#include \"a"), std::string::npos) << source;
        EXPECT_NE(source.find("\n#define a_b_size 16 "), std::string::npos) << source;
    }
}
