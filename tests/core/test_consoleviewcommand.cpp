#include "consoleviewcommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

using namespace glyphmill;
using S = ConversionSettings;

namespace {

const std::string kOutputs = "C:\\Temp\\glyph mill\\view 1";

std::vector<std::string> argumentsFor(const S& settings, std::string_view picture = "ship.png") {
    const PathConvention convention = PathConvention::windows();
    return composeConsoleViewCommand(
               {settings, "C:\\Program Files\\Glyphmill", picture, convention, kOutputs})
        .arguments();
}

bool has(const std::vector<std::string>& arguments, const std::string& argument) {
    return std::find(arguments.begin(), arguments.end(), argument) != arguments.end();
}

// The argument after `flag`, or "(none)".
std::string after(const std::vector<std::string>& arguments, const std::string& flag) {
    const auto found = std::find(arguments.begin(), arguments.end(), flag);
    return found == arguments.end() || found + 1 == arguments.end() ? "(none)" : *(found + 1);
}

} // namespace

TEST(ConsoleViewCommand, WritesIntoItsOwnFolderWhateverTheTargetFolder) {
    S settings;
    settings.targetDir = "C:\\Users\\me\\game";
    const auto arguments = argumentsFor(settings);
    EXPECT_EQ(after(arguments, "--target-dir"), kOutputs);
    EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "--target-dir"), 1);
}

TEST(ConsoleViewCommand, AsksForTheShownPictureAndTheCostFigures) {
    const auto arguments = argumentsFor(S{});
    EXPECT_TRUE(has(arguments, "--show-png"));
    EXPECT_TRUE(has(arguments, "--metadata"));
}

TEST(ConsoleViewCommand, ReplacesOnlyInItsOwnFolderAndWritesNoMakeRules) {
    S settings;
    settings.overwrite = false;
    settings.depfile = true;
    settings.depfileName = "deps.mk";
    const auto arguments = argumentsFor(settings);
    EXPECT_TRUE(has(arguments, "--overwrite"));
    EXPECT_FALSE(has(arguments, "--no-overwrite"));
    EXPECT_FALSE(has(arguments, "--depfile"));
    EXPECT_FALSE(has(arguments, "deps.mk"));
}

TEST(ConsoleViewCommand, KeepsWhatDecidesTheLookAndNamesOnlyThePicture) {
    S settings;
    settings.colourSpace = S::ColourSpace::Cry;
    settings.cryEncoding = S::CryEncoding::Glass;
    settings.keptValues = S::KeptValues::Both;
    settings.colourMode = S::ColourMode::ColourMap;
    settings.limitColours = true;
    settings.mapColours = "16";
    settings.dither = S::Dither::Diffusion;
    settings.cut = true;
    // Assigned together: GCC 12 at -O3 warns falsely (-Wrestrict) of one-letter assignments.
    std::tie(settings.cutX, settings.cutY, settings.cutWidth, settings.cutHeight) =
        std::tuple<std::string, std::string, std::string, std::string>{"1", "2", "30", "40"};
    settings.rotate = true;
    settings.rotateDegrees = "90";
    const auto arguments = argumentsFor(settings, "my ship.png");
    for (const char* flag : {"-cry", "--glass", "--both", "--clut"})
        EXPECT_TRUE(has(arguments, flag)) << flag;
    EXPECT_EQ(after(arguments, "--colours"), "16");
    EXPECT_EQ(after(arguments, "--dither"), "diffusion");
    EXPECT_EQ(after(arguments, "--cut"), "1,2:30x40");
    EXPECT_EQ(after(arguments, "--rotate"), "90");
    EXPECT_EQ(arguments.back(), "my ship.png");
}
