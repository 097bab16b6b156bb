// The fields of the bitmap object a picture needs, as every output writes them.
#include "encode/pictureencoder.h"
#include "output/assemblysource.h"

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
