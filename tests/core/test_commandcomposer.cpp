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
