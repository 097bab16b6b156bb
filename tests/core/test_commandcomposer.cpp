#include "commandcomposer.h"

#include <gtest/gtest.h>

#include <set>

using namespace glyphmill;
using S = ConversionSettings;

namespace {

struct Fixture {
    S settings;
    std::vector<std::string> files;
    std::set<std::string> directories;
    PathConvention convention = PathConvention::windows();
    std::string appFolder = "C:\\Program Files\\Glyphmill";
    int directoryQueries = 0;

    ComposedCommand compose() {
        const DirectoryTest isDirectory = [this](const std::string& path) {
            ++directoryQueries;
            return directories.count(path) > 0;
        };
        return composeCommand({settings, appFolder, files, convention, isDirectory});
    }
};

const std::string kDefaultPieces = "  -rgb  --binary  --no-opt-clut  --16-bits  --no-overwrite ";

} // namespace

TEST(CommandText, DefaultsOnWindowsByteForByte) {
    Fixture f;
    EXPECT_EQ(f.compose().text(),
              "C:\\Program Files\\Glyphmill\\rastix.exe " + kDefaultPieces.substr(1));
    EXPECT_EQ(f.compose().text(),
              "C:\\Program Files\\Glyphmill\\rastix.exe  -rgb  --binary  --no-opt-clut  "
              "--16-bits  --no-overwrite ");
    EXPECT_EQ(f.directoryQueries, 0) << "an empty target folder needs no file-system query";
}

TEST(CommandText, DefaultsOnPosix) {
    Fixture f;
    f.convention = PathConvention::posix();
    f.appFolder = "/opt/glyphmill/bin";
    EXPECT_EQ(
        f.compose().text(),
        "/opt/glyphmill/bin/rastix  -rgb  --binary  --no-opt-clut  --16-bits  --no-overwrite ");
}

TEST(CommandText, BitDepthAndColourMap) {
    Fixture f;
    f.settings.trueColourBits = S::TrueColourBits::Bits15;
    std::string text = f.compose().text();
    EXPECT_NE(text.find(" --15-bits "), std::string::npos);
    EXPECT_EQ(text.find("--16-bits"), std::string::npos);

    f.settings.colourMode = S::ColourMode::ColourMap;
    text = f.compose().text();
    EXPECT_EQ(text.find("bits "), std::string::npos) << text;
    EXPECT_NE(text.find(" --binary  --clut  --no-opt-clut  --no-overwrite "), std::string::npos)
        << text;

    // A disabled but checked optimise box still counts, in true colour too.
    f.settings.colourMode = S::ColourMode::TrueColour;
    f.settings.optimiseColourMap = true;
    EXPECT_NE(f.compose().text().find(" --opt-clut  --15-bits "), std::string::npos);
}

TEST(CommandText, AssemblyOverwriteAndCryNormal) {
    Fixture f;
    f.settings.outputFormat = S::OutputFormat::Assembly;
    f.settings.overwrite = true;
    f.settings.colourSpace = S::ColourSpace::Cry;
    EXPECT_EQ(f.compose().text(), "C:\\Program Files\\Glyphmill\\rastix.exe  --assembly  "
                                  "--no-opt-clut  --16-bits  --overwrite  -cry  --normal ");
}

TEST(CommandText, CryGlassPiecesInOrderBetweenTargetAndTransforms) {
    Fixture f;
    f.directories = {"D:\\out\\"};
    f.settings.targetDir = "D:\\out\\";
    f.settings.colourSpace = S::ColourSpace::Cry;
    f.settings.cryEncoding = S::CryEncoding::Glass;
    f.settings.relativeIntensitiesOnly = true;
    f.settings.keptValues = S::KeptValues::Both;
    f.settings.rotate = true;
    f.settings.rotateDegrees = "90";
    f.settings.cut = true;
    f.settings.cutX = "10";
    f.settings.cutY = "20";
    f.settings.cutWidth = "32";
    f.settings.cutHeight = "16";
    f.files = {"a.bmp"};
    EXPECT_EQ(f.compose().text(),
              "C:\\Program Files\\Glyphmill\\rastix.exe  --binary  --no-opt-clut  --16-bits  "
              "--no-overwrite  --target-dir D:\\out\\ -cry  --glass  --gray  --both  --rotate 90  "
              "--cut 10,20:32x16  a.bmp");
}

TEST(CommandText, KeptValuesAndRgbHidesCryChoices) {
    Fixture f;
    f.settings.cryEncoding = S::CryEncoding::Glass;
    f.settings.relativeIntensitiesOnly = true;
    EXPECT_EQ(f.compose().text().find("glass"), std::string::npos);
    EXPECT_EQ(f.compose().text().find("gray"), std::string::npos);

    f.settings.colourSpace = S::ColourSpace::Cry;
    f.settings.relativeIntensitiesOnly = false;
    f.settings.keptValues = S::KeptValues::Negative;
    const std::string text = f.compose().text();
    EXPECT_TRUE(text.ends_with(" -cry  --glass  --negative ")) << text;
}

TEST(CommandText, TargetFolderOnlyWhenItIsADirectory) {
    Fixture f;
    f.settings.targetDir = "C:\\pics\\a.bmp"; // a file, or nothing at all: same answer
    EXPECT_EQ(f.compose().text().find("--target-dir"), std::string::npos);
    EXPECT_EQ(f.directoryQueries, 1);

    f.directories = {"C:\\my out"};
    f.settings.targetDir = "C:\\my out";
    EXPECT_TRUE(f.compose().text().ends_with(" --no-overwrite  --target-dir C:\\my out"));
}

TEST(CommandText, FieldTextsAreWrittenUnchanged) {
    Fixture f;
    f.settings.rotate = true;
    f.settings.rotateDegrees = "12abc";
    f.settings.cut = true;
    f.settings.cutX = "-5";
    EXPECT_TRUE(f.compose().text().ends_with(" --rotate 12abc  --cut -5,0:1x1 "));
}

// The converter's later features, each one written only when asked for, after the transforms
// and before the pictures they apply to.
TEST(CommandText, ConverterFeaturesInOrderBeforeThePictures) {
    Fixture f;
    f.settings.colourMode = S::ColourMode::ColourMap;
    f.settings.cSource = f.settings.objectHeader = f.settings.exportEquates = true;
    f.settings.dither = S::Dither::Diffusion;
    f.settings.limitColours = f.settings.givenPalette = f.settings.sharedClut = true;
    f.settings.mapColours = "16";
    f.settings.paletteFile = "game.gpl";
    f.settings.sharedClutName = "level 1";
    f.settings.bank = true;
    f.settings.bankNumber = "3";
    f.settings.frames = f.settings.mirrorFrames = f.settings.dropEmptyFrames = true;
    f.settings.frameLayout = "16x16";
    f.settings.metadata = f.settings.showPng = f.settings.depfile = true;
    f.settings.depfileName = "pics.d";
    f.files = {"a.bmp"};
    const std::string expected =
        " --c  --object-header  --export-equates  --dither diffusion  --colours 16  "
        "--palette game.gpl  --shared-clut level 1  --bank 3  --frames 16x16  --mirror-frames  "
        "--drop-empty-frames  --metadata  --show-png  --depfile pics.d  a.bmp";
    EXPECT_TRUE(f.compose().text().ends_with(" --no-overwrite " + expected)) << f.compose().text();

    // The palette choices mean nothing to true colour, and a shared palette without a map is
    // refused by the converter.
    f.settings.colourMode = S::ColourMode::TrueColour;
    const std::string text = f.compose().text();
    for (const char* piece : {"--colours", "--palette", "--shared-clut", "--bank "})
        EXPECT_EQ(text.find(piece), std::string::npos) << piece;
    EXPECT_NE(text.find(" --dither diffusion  --frames 16x16 "), std::string::npos) << text;

    // A name left empty is no name: the piece is left out rather than sent without a value.
    f.settings.depfileName.clear();
    EXPECT_EQ(f.compose().text().find("--depfile"), std::string::npos);
}

TEST(CommandText, SelectedFilesLastInListOrder) {
    Fixture f;
    f.files = {"b.gif", "my picture.jpg", "a.bmp"};
    EXPECT_TRUE(f.compose().text().ends_with(" --no-overwrite  b.gif my picture.jpg a.bmp"));
}

TEST(CommandArguments, DefaultsSplitIntoFlags) {
    Fixture f;
    const ComposedCommand c = f.compose();
    EXPECT_EQ(c.program(), "C:\\Program Files\\Glyphmill\\rastix.exe");
    EXPECT_EQ(c.arguments(), (std::vector<std::string>{"-rgb", "--binary", "--no-opt-clut",
                                                       "--16-bits", "--no-overwrite"}));
}

TEST(CommandArguments, ValuesAndNamesWithBlanksAreSingleArguments) {
    Fixture f;
    f.convention = PathConvention::posix();
    f.appFolder = "/home/me/my tools";
    f.directories = {"/tmp/out dir/"};
    f.settings.targetDir = "/tmp/out dir/";
    f.settings.rotate = true;
    f.settings.rotateDegrees = "45";
    f.settings.cut = true;
    f.settings.cutX = "10";
    f.settings.cutY = "20";
    f.settings.cutWidth = "32";
    f.settings.cutHeight = "16";
    f.files = {"my picture.bmp", "-odd;$(name).gif", ""};
    const ComposedCommand c = f.compose();
    EXPECT_EQ(c.program(), "/home/me/my tools/rastix");
    EXPECT_EQ(c.arguments(), (std::vector<std::string>{
                                 "-rgb", "--binary", "--no-opt-clut", "--16-bits", "--no-overwrite",
                                 "--target-dir", "/tmp/out dir/", "--rotate", "45", "--cut",
                                 "10,20:32x16", "my picture.bmp", "-odd;$(name).gif", ""}));
    EXPECT_EQ(c.argumentCount(), 14u);
    EXPECT_EQ(c.argument(10), "10,20:32x16");
}

TEST(PathRules, SeparatorHelpers) {
    EXPECT_EQ(upToLastSeparator("D:\\work\\out\\dummy filename", '\\'), "D:\\work\\out\\");
    EXPECT_EQ(upToLastSeparator("dummy filename", '\\'), "");
    EXPECT_EQ(withTrailingSeparator("C:\\", '\\'), "C:\\");
    EXPECT_EQ(withTrailingSeparator("C:\\pics", '\\'), "C:\\pics\\");
    EXPECT_EQ(PathConvention::posix().converterCommandPrefix("/a"), "/a/rastix ");
    EXPECT_EQ(PathConvention::windows().converterPath("c:"), "c:\\rastix.exe");
}
