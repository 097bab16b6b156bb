// The commands Glyphmill composes are ones rastix takes, and mean to it what the window's
// controls say: every combination of the front-end's choices, read back by the converter's own
// command-line parser.
#include "cli/commandline.h"
#include "commandcomposer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using Choices = glyphmill::ConversionSettings;

namespace {

// What the controls ask the converter for, said from the window's side.
rastix::Settings meant(const Choices& c) {
    const bool cry = c.colourSpace == Choices::ColourSpace::Cry;
    const bool glass = cry && c.cryEncoding == Choices::CryEncoding::Glass;
    const bool map = c.colourMode == Choices::ColourMode::ColourMap;
    rastix::Settings s;
    s.model = cry ? rastix::ColourModel::Cry16 : rastix::ColourModel::Rgb16;
    s.format = c.outputFormat == Choices::OutputFormat::Binary ? rastix::OutputFormat::Binary
                                                               : rastix::OutputFormat::Assembly;
    s.colourMap = map;
    s.optimiseMapDepth = c.optimiseColourMap;
    s.fifteenBits = !map && c.trueColourBits == Choices::TrueColourBits::Bits15;
    s.overwrite = c.overwrite;
    s.cryEncoding = glass ? rastix::CryEncoding::Glass : rastix::CryEncoding::Normal;
    s.grayOnly = glass && c.relativeIntensitiesOnly;
    if (glass)
        s.kept = c.keptValues == Choices::KeptValues::Positive   ? rastix::KeptDeltas::Positive
                 : c.keptValues == Choices::KeptValues::Negative ? rastix::KeptDeltas::Negative
                                                                 : rastix::KeptDeltas::Both;
    s.rotateDegrees = c.rotate ? std::stoi(c.rotateDegrees) : 0;
    if (c.cut)
        s.cut = rastix::CutFrame{std::stoi(c.cutX), std::stoi(c.cutY), std::stoi(c.cutWidth),
                                 std::stoi(c.cutHeight)};
    s.targetDir = c.targetDir;
    return s;
}

// Calls visit with every combination of the choices.
template <typename Visit> void everyCombination(Visit visit) {
    // The texts are made in place: assigning them tripped GCC 12's -Wrestrict at -O3.
    Choices c{.targetDir = "out",
              .rotateDegrees = "-90",
              .cutX = "3",
              .cutY = "4",
              .cutWidth = "10",
              .cutHeight = "20"};
    for (int bits = 0; bits < 1 << 10; ++bits)
        for (const auto kept : {Choices::KeptValues::Positive, Choices::KeptValues::Negative,
                                Choices::KeptValues::Both}) {
            const auto on = [bits](int bit) {
                return (bits >> bit & 1) != 0;
            };
            c.outputFormat =
                on(0) ? Choices::OutputFormat::Assembly : Choices::OutputFormat::Binary;
            c.colourSpace = on(1) ? Choices::ColourSpace::Cry : Choices::ColourSpace::Rgb;
            c.colourMode = on(2) ? Choices::ColourMode::ColourMap : Choices::ColourMode::TrueColour;
            c.trueColourBits =
                on(3) ? Choices::TrueColourBits::Bits15 : Choices::TrueColourBits::Bits16;
            c.optimiseColourMap = on(4);
            c.overwrite = on(5);
            c.cryEncoding = on(6) ? Choices::CryEncoding::Glass : Choices::CryEncoding::Normal;
            c.relativeIntensitiesOnly = on(7);
            c.rotate = on(8);
            c.cut = on(9);
            c.keptValues = kept;
            visit(c);
        }
}

} // namespace

TEST(FrontEndCommands, EveryCombinationOfChoicesMeansTheSameToTheConverter) {
    const std::vector<std::string> files = {"a.bmp", "b c.jpg"};
    const auto convention = glyphmill::PathConvention::posix();
    const glyphmill::DirectoryTest isDirectory = [](const std::string&) {
        return true;
    };
    int combinations = 0;
    everyCombination([&](const Choices& choices) {
        ++combinations;
        const glyphmill::ComposedCommand command =
            glyphmill::composeCommand({choices, "/opt/glyphmill", files, convention, isDirectory});
        const rastix::CommandLine line = rastix::parseCommandLine(
            command.arguments(), [](const std::string&) { return std::string(); });
        ASSERT_EQ(line.error, "") << command.text();
        ASSERT_EQ(line.jobs.size(), files.size()) << command.text();
        for (std::size_t i = 0; i < files.size(); ++i) {
            EXPECT_EQ(line.jobs[i].picture, files[i]);
            ASSERT_TRUE(line.jobs[i].settings == meant(choices)) << command.text();
        }
    });
    EXPECT_EQ(combinations, 3 << 10);
}

TEST(FrontEndCommands, TheConvertersLaterFeaturesMeanWhatTheControlsSay) {
    const std::string palette =
        (std::filesystem::temp_directory_path() / "glyphmill-frontendcommands.gpl").string();
    std::ofstream(palette) << "GIMP Palette\n0 0 0\n255 255 255\n";
    Choices c;
    c.colourMode = Choices::ColourMode::ColourMap;
    c.cSource = c.objectHeader = c.exportEquates = true;
    c.dither = Choices::Dither::Ordered;
    c.limitColours = c.givenPalette = c.sharedClut = c.bank = true;
    c.mapColours = "16";
    c.paletteFile = palette;
    c.sharedClutName = "level 1";
    c.bankNumber = "3";
    c.frames = c.mirrorFrames = c.dropEmptyFrames = true;
    c.frameLayout = "16x8";
    c.metadata = c.showPng = c.depfile = true;
    c.depfileName = "pics.d";
    const std::vector<std::string> files = {"sheet.png"};
    const glyphmill::DirectoryTest isDirectory = [](const std::string&) {
        return true;
    };
    const glyphmill::ComposedCommand command = glyphmill::composeCommand(
        {c, "/opt/glyphmill", files, glyphmill::PathConvention::posix(), isDirectory});
    const rastix::CommandLine line = rastix::parseCommandLine(
        command.arguments(), [](const std::string&) { return std::string(); });
    std::filesystem::remove(palette);
    ASSERT_EQ(line.error, "") << command.text();
    ASSERT_EQ(line.jobs.size(), 1u);
    const rastix::Settings& s = line.jobs[0].settings;
    EXPECT_EQ(s.format, rastix::OutputFormat::C);
    EXPECT_TRUE(s.objectHeader && s.exportEquates && s.metadata && s.showPng);
    EXPECT_EQ(s.dither, rastix::Dither::Ordered);
    EXPECT_EQ(s.mapColours, 16);
    EXPECT_EQ(s.givenPaletteFile, palette);
    EXPECT_EQ(s.sharing, rastix::PaletteSharing::SharedClut);
    EXPECT_EQ(s.paletteSetName, "level 1");
    EXPECT_EQ(s.bank, 3);
    EXPECT_EQ(s.frames, (rastix::FrameSize{16, 8, 0}));
    EXPECT_TRUE(s.mirrorFrames && s.dropEmptyFrames);
    EXPECT_EQ(line.depfile, "pics.d");
}
