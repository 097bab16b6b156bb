#include "cli/commandline.h"
#include "output/outputnames.h"

#include <gtest/gtest.h>

#include <set>

using namespace rastix;

namespace {

CommandLine parse(std::vector<std::string> args, std::set<std::string> dirs = {"tmp", "out"}) {
    return parseCommandLine(args, [dirs](const std::string& d) {
        return dirs.count(d) > 0 ? std::string() : std::string("does not exist");
    });
}

} // namespace

TEST(CommandLine, DefaultsApplyToAPictureWithNoOptions) {
    const CommandLine line = parse({"a.bmp"});
    ASSERT_TRUE(line.error.empty());
    ASSERT_EQ(line.jobs.size(), 1u);
    const Settings& s = line.jobs[0].settings;
    EXPECT_EQ(s.model, ColourModel::Rgb16);
    EXPECT_EQ(s.format, OutputFormat::Assembly);
    EXPECT_FALSE(s.colourMap);
    EXPECT_FALSE(s.optimiseMapDepth);
    EXPECT_FALSE(s.fifteenBits);
    EXPECT_FALSE(s.overwrite);
    EXPECT_EQ(s.cryEncoding, CryEncoding::Normal);
    EXPECT_EQ(s.kept, KeptDeltas::Both);
    EXPECT_EQ(s.targetDir, "");
    EXPECT_FALSE(s.cut.has_value());
    EXPECT_EQ(s.rotateDegrees, 0);
    EXPECT_EQ(s.syntax, AsmSyntax::Madmac);
    EXPECT_EQ(s.dither, Dither::None);
    EXPECT_EQ(s.mapColours, 256);
}

TEST(CommandLine, OptionsActOnLaterPicturesUntilChanged) {
    // The example of the help text.
    const CommandLine line = parse({"--target-dir", "tmp", "loomers.bmp", "-cry", "tessera.tiff",
                                    "-rgb", "--no-ascii", "1.gif", "2.gif"});
    ASSERT_TRUE(line.error.empty()) << line.error;
    ASSERT_EQ(line.jobs.size(), 4u);
    EXPECT_EQ(line.jobs[0].picture, "loomers.bmp");
    EXPECT_EQ(line.jobs[0].settings.model, ColourModel::Rgb16);
    EXPECT_EQ(line.jobs[0].settings.format, OutputFormat::Assembly);
    EXPECT_EQ(line.jobs[1].settings.model, ColourModel::Cry16);
    EXPECT_EQ(line.jobs[1].settings.format, OutputFormat::Assembly);
    for (int i = 2; i < 4; ++i) {
        EXPECT_EQ(line.jobs[i].settings.model, ColourModel::Rgb16);
        EXPECT_EQ(line.jobs[i].settings.format, OutputFormat::Binary);
    }
    for (const Job& j : line.jobs)
        EXPECT_EQ(j.settings.targetDir, "tmp");
}

TEST(CommandLine, EveryOptionAndItsOpposite) {
    const CommandLine line = parse(
        {"--binary",      "--clut",         "--opt-clut", "--overwrite", "--15-bits",  "-cry",
         "--glass",       "--gray",         "--negative", "--rotate",    "-90",        "--cut",
         "1,2:3x4",       "--syntax",       "gas",        "a",           "--ascii",    "--no-clut",
         "--no-opt-clut", "--no-overwrite", "--16-bits",  "--normal",    "--positive", "--no-gray",
         "--no-cut",      "--rotate",       "0",          "--syntax",    "madmac",     "b"});
    ASSERT_TRUE(line.error.empty()) << line.error;
    ASSERT_EQ(line.jobs.size(), 2u);
    const Settings& a = line.jobs[0].settings;
    EXPECT_EQ(a.format, OutputFormat::Binary);
    EXPECT_TRUE(a.colourMap);
    EXPECT_TRUE(a.optimiseMapDepth);
    EXPECT_TRUE(a.overwrite);
    EXPECT_TRUE(a.fifteenBits);
    EXPECT_EQ(a.model, ColourModel::Cry16);
    EXPECT_EQ(a.cryEncoding, CryEncoding::Glass);
    EXPECT_TRUE(a.grayOnly);
    EXPECT_EQ(a.kept, KeptDeltas::Negative);
    EXPECT_EQ(a.rotateDegrees, -90);
    ASSERT_TRUE(a.cut.has_value());
    EXPECT_EQ(*a.cut, (CutFrame{1, 2, 3, 4}));
    EXPECT_EQ(a.syntax, AsmSyntax::Gas);
    const Settings& b = line.jobs[1].settings;
    EXPECT_EQ(b.format, OutputFormat::Assembly);
    EXPECT_FALSE(b.colourMap);
    EXPECT_FALSE(b.optimiseMapDepth);
    EXPECT_FALSE(b.overwrite);
    EXPECT_FALSE(b.fifteenBits);
    EXPECT_EQ(b.cryEncoding, CryEncoding::Normal);
    EXPECT_FALSE(b.grayOnly);
    EXPECT_EQ(b.kept, KeptDeltas::Positive);
    EXPECT_FALSE(b.cut.has_value());
    EXPECT_EQ(b.rotateDegrees, 0);
    EXPECT_EQ(b.syntax, AsmSyntax::Madmac);
}

TEST(CommandLine, MetadataAndUpdateActOnLaterPicturesUntilTurnedOff) {
    const CommandLine line =
        parse({"--metadata", "--update", "a", "--no-metadata", "b", "--no-update", "c"});
    ASSERT_EQ(line.error, "");
    ASSERT_EQ(line.jobs.size(), 3u);
    EXPECT_TRUE(line.jobs[0].settings.metadata);
    EXPECT_TRUE(line.jobs[0].settings.update);
    EXPECT_FALSE(line.jobs[1].settings.metadata);
    EXPECT_TRUE(line.jobs[1].settings.update);
    EXPECT_FALSE(line.jobs[2].settings.update);
    EXPECT_EQ(outputPaths(line.jobs[0].settings, "d/a.png"),
              (std::vector<std::string>{"a.s", "a.json"}));
}

TEST(CommandLine, TheDepfileIsTheWholeRunsAndTheLastOneCounts) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"a.png"}, ""},
        {{"--depfile", "x.d", "a.png"}, "x.d"},
        {{"a.png", "--depfile", "x.d"}, "x.d"},
        {{"--depfile", "x.d", "a.png", "--depfile", "y.d"}, "y.d"},
        {{"--depfile", "x.d", "a.png", "--no-depfile"}, ""},
        {{"--depfile", "--clut", "a.png"}, "--clut"},
    };
    for (const auto& [args, depfile] : cases) {
        const CommandLine line = parse(args);
        ASSERT_EQ(line.error, "");
        EXPECT_EQ(line.depfile, depfile);
        EXPECT_EQ(line.jobs.size(), 1u);
    }
    EXPECT_EQ(parse({"a.png", "--depfile"}).error, "option --depfile needs a value");
    EXPECT_EQ(parse({"a.png", "--depfile", ""}).error, "--depfile needs a file name, not ''");
}

TEST(CommandLine, DitherAndColourCountActOnLaterPictures) {
    const CommandLine line = parse({"a", "--dither", "ordered", "--colours", "2", "b", "--dither",
                                    "diffusion", "--colours", "256", "c", "--dither", "none", "d"});
    ASSERT_TRUE(line.error.empty()) << line.error;
    const std::vector<std::pair<Dither, int>> expected = {
        {Dither::None, 256}, {Dither::Ordered, 2}, {Dither::Diffusion, 256}, {Dither::None, 256}};
    ASSERT_EQ(line.jobs.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(line.jobs[i].settings.dither, expected[i].first) << i;
        EXPECT_EQ(line.jobs[i].settings.mapColours, expected[i].second) << i;
    }
}

TEST(CommandLine, FrontEndSpacingAndWindowsStyleTargetAreAccepted) {
    // The front-end writes pieces such as " --target-dir " directly followed by the folder.
    const CommandLine line =
        parse({"-rgb", "--binary", "--no-opt-clut", "--16-bits", "--no-overwrite", "--target-dir",
               "out", "-cry", "--glass", "--gray", "--both", "--rotate", "400", "--cut",
               "10,20:32x16", "pic.bmp"},
              {"out"});
    ASSERT_TRUE(line.error.empty()) << line.error;
    ASSERT_EQ(line.jobs.size(), 1u);
    EXPECT_EQ(line.jobs[0].settings.rotateDegrees, 400);
    EXPECT_EQ(*line.jobs[0].settings.cut, (CutFrame{10, 20, 32, 16}));
}

TEST(CommandLine, MalformedLinesAreRefusedAsAWhole) {
    const std::vector<std::vector<std::string>> bad = {
        {"a.bmp", "--cut", "10,20:0x5"},
        {"a.bmp", "--cut", "10,20:5x0"},
        {"a.bmp", "--cut", "-1,20:5x5"},
        {"a.bmp", "--cut", "10,20:5"},
        {"a.bmp", "--cut", "10;20:5x5"},
        {"a.bmp", "--cut", "10,20:5x5x"},
        {"a.bmp", "--cut", " 1,2:3x4"},
        {"a.bmp", "--cut", "99999999999,2:3x4"},
        {"a.bmp", "--cut"},
        {"a.bmp", "--rotate", "abc"},
        {"a.bmp", "--rotate", "12.5"},
        {"a.bmp", "--rotate", ""},
        {"a.bmp", "--rotate"},
        {"a.bmp", "--syntax", "GAS"},
        {"a.bmp", "--syntax", "rmac"},
        {"a.bmp", "--syntax"},
        {"a.bmp", "--target-dir", "missing"},
        {"a.bmp", "--target-dir"},
        {"a.bmp", "--frobnicate"},
        {"-x", "a.bmp"},
        {},
        {"--binary"},
    };
    for (const auto& args : bad) {
        const CommandLine line = parse(args);
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_FALSE(line.error.empty()) << joined;
        EXPECT_TRUE(line.jobs.empty()) << joined;
        EXPECT_EQ(line.error.find('\n'), std::string::npos) << "one line: " << line.error;
    }
    EXPECT_NE(parse({"a", "--cut", "10,20:0x5"}).error.find("10,20:0x5"), std::string::npos);
    EXPECT_NE(parse({"a", "--target-dir", "missing"}).error.find("missing"), std::string::npos);
}

TEST(CommandLine, DitherAndColourCountOutsideTheirChoicesAreRefused) {
    // Before the picture, so the refusal is the value's own, not "applies to no picture".
    const std::vector<std::vector<std::string>> bad = {
        {"--dither", "Ordered", "a.bmp"}, {"--dither", "", "a.bmp"},
        {"--dither", "random", "a.bmp"},  {"--colours", "1", "a.bmp"},
        {"--colours", "257", "a.bmp"},    {"--colours", "-16", "a.bmp"},
        {"--colours", "16k", "a.bmp"},    {"--colours", "99999999999", "a.bmp"},
    };
    for (const auto& args : bad) {
        const CommandLine line = parse(args);
        EXPECT_NE(line.error.find(args[0] + " needs"), std::string::npos)
            << args[1] << ": " << line.error;
        EXPECT_NE(line.error.find("'" + args[1] + "'"), std::string::npos) << line.error;
        EXPECT_TRUE(line.jobs.empty());
    }
}

TEST(CommandLine, HelpVersionAndEndOfOptions) {
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"--help"}).error.empty());
    EXPECT_TRUE(parse({"--version"}).version);
    const CommandLine line = parse({"--", "-odd.png", "--binary"});
    ASSERT_TRUE(line.error.empty());
    ASSERT_EQ(line.jobs.size(), 2u);
    EXPECT_EQ(line.jobs[0].picture, "-odd.png");
    EXPECT_EQ(line.jobs[1].picture, "--binary");
    EXPECT_EQ(line.jobs[1].settings.format, OutputFormat::Assembly);
}

TEST(CommandLine, IntegersAreStrict) {
    int v = 0;
    EXPECT_TRUE(parseInteger("2147483647", false, v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_FALSE(parseInteger("2147483648", false, v));
    EXPECT_FALSE(parseInteger("-5", false, v));
    EXPECT_TRUE(parseInteger("-5", true, v));
    EXPECT_EQ(v, -5);
    EXPECT_FALSE(parseInteger("+5", true, v));
    EXPECT_FALSE(parseInteger("-", true, v));
    EXPECT_FALSE(parseInteger("5 ", true, v));
}

TEST(CommandLine, EachRefusalNamesItsCause) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"pic.png", "-cry"}, "-cry after the last picture applies to no picture"},
        {{"a.png", "--binary", "b.png", "--glass", "--target-dir", "out"},
         "--glass after the last picture"},
        {{"--rotate", "99999999999", "a.png"}, "--rotate: 99999999999 is out of range"},
        {{"--rotate", "-99999999999", "a.png"}, "out of range"},
        {{"--rotate", "-2147483648", "a.png"},
         "--rotate: -2147483648 is out of range (-2147483647 to 2147483647)"},
        {{"--cut", "0,0:99999999999x1", "a.png"},
         "--cut: 99999999999 is out of range (at most 2147483647)"},
        {{"--target-dir", "missing", "a.png"}, "'missing' does not exist"},
    };
    for (const auto& [args, message] : cases) {
        const CommandLine line = parse(args);
        EXPECT_NE(line.error.find(message), std::string::npos) << line.error;
        EXPECT_TRUE(line.jobs.empty());
    }
    const CommandLine file = parseCommandLine(
        {"--target-dir", "f", "a.png"}, [](const auto&) { return std::string("is not a folder"); });
    EXPECT_EQ(file.error, "target directory 'f' is not a folder");
    // Help and version ask for no picture, and "--" is no setting.
    EXPECT_TRUE(parse({"a.png", "--help", "--version", "--"}).error.empty());
}

TEST(CommandLine, TwoPicturesNeverWriteTheSameFile) {
    // Folders are compared by name here; the real key resolves them.
    const PathKey key = [](const std::string& path) {
        return path.rfind("./", 0) == 0 ? path.substr(2) : path;
    };
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--overwrite", "d1/same.png", "d2/same.png"},
         "d1/same.png and d2/same.png would both write same.s"},
        {{"a.png", "a.jpg"}, "a.png and a.jpg would both write a.s"},
        {{"a.png", "a.png"}, "a.png is named twice: both would write a.s"},
        {{"--binary", "--clut", "a.png", "--target-dir", "./", "b/a.bmp"},
         "a.png and b/a.bmp would both write ./a.map"},
        {{"--binary", "x.png", "--clut", "--target-dir", "out", "x.bmp", "--no-clut", "out/x.rgb"},
         "out/x.rgb: its output out/x.rgb would replace the picture itself"},
        {{"--binary", "--target-dir", "out", "p.png", "--target-dir", "./", "out/p.rgb"},
         "p.png: its output out/p.rgb would replace the picture out/p.rgb"},
        {{"--binary", "--clut", "p.png", "--shared-clut", "p", "q.png"},
         "p.png and the palette of --shared-clut p would both write p.clut"},
        {{"--clut", "--banks", "q", "q.png", "r.png"},
         "q.png and the palette of --banks q would both write q.s"},
        {{"--metadata", "a.png", "--binary", "a.jpg"}, "a.png and a.jpg would both write a.json"},
        {{"a.png", "--binary", "a.jpg", "-cry", "a.bmp", "--clut", "a.gif", "--target-dir", "out",
          "a.tga", "--shared-clut", "set", "b.png", "--palette-out", "gpl", "c.png"},
         ""},
    };
    for (const auto& [args, message] : cases) {
        const CommandLine line = parse(args, {"out", "./"});
        ASSERT_TRUE(line.error.empty()) << line.error;
        const std::string clash = findOutputClash(line.jobs, key);
        if (message.empty())
            EXPECT_EQ(clash, "");
        else
            EXPECT_NE(clash.find(message), std::string::npos) << clash;
    }
}

TEST(CommandLine, TwoOutputsNeverDefineTheSameGlobalName) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"my-logo.png", "my_logo.png"},
         "my-logo.png and my_logo.png would both define the global name my_logo"},
        {{"\xe4\xb8\xad\xe5\x9b\xbd.png", "\xe6\x97\xa5\xe6\x9c\xac.png"}, ""},
        {{"caf\xc3\xa9.png", "cafe.bmp"}, "would both define the global name cafe"},
        {{"--target-dir", "out", "a.png", "--target-dir", "./", "b/a.png"},
         "a.png and b/a.png would both define the global name a"},
        {{"--clut", "ship.png", "ship_clut.png"},
         "ship.png and ship_clut.png would both define the global name ship_clut"},
        {{"--clut", "ship.png", "ship_clut_end.png"}, "global name ship_clut_end"},
        {{"ship.png", "ship_end.png"}, "global name ship_end"},
        {{"--clut", "--shared-clut", "pal", "ship.png", "--no-shared-clut", "pal_clut.png"},
         "the palette of --shared-clut pal and pal_clut.png would both define the global name "
         "pal_clut"},
        {{"--clut", "--banks", "pal", "ship.png", "ship_clut.png"}, ""},
        {{"--export-equates", "ship.png", "ship_width.png"}, "global name ship_width"},
        {{"ship.png", "--export-equates", "ship_width.png"}, ""},
        {{"--export-equates", "--clut", "--bank", "2", "a.png", "a_index.png"},
         "global name a_index"},
        {{"--export-equates", "--clut", "--shared-clut", "p", "a.png", "p_colours.png"},
         "the palette of --shared-clut p and p_colours.png would both define the global name "
         "p_colours"},
        {{"a.png", "--binary", "a.jpg"}, ""},
        {{"--clut", "--binary", "ship.png", "--assembly", "ship_clut.png"}, ""},
        {{"--export-equates", "a.png", "--no-export-equates", "a_width.png"},
         "a.png and a_width.png would both define the global name a_width"},
    };
    for (const auto& [args, message] : cases) {
        const CommandLine line = parse(args, {"out", "./"});
        ASSERT_TRUE(line.error.empty()) << line.error;
        const std::string clash = findGlobalNameClash(line.jobs);
        if (message.empty())
            EXPECT_EQ(clash, "") << args.back();
        else
            EXPECT_NE(clash.find(message), std::string::npos) << clash;
    }
}

TEST(CommandLine, AnAnimationsTablesClashOnlyWhenItIsOne) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"run.gif", "run_delays.png"},
         "run.gif and run_delays.png would both define the global "
         "name run_delays"},
        {{"run_frametable.png", "run.webp"}, "global name run_frametable"},
        {{"--mirror-frames", "run.gif", "run_reflect.png"}, "global name run_reflect"},
        {{"--export-equates", "run.gif", "run_framebytes.png"}, "global name run_framebytes"},
        {{"still.gif", "still_delays.png"}, ""},
        {{"run.gif", "--binary", "run_delays.png"}, ""},
    };
    const auto isAnimation = [](const std::string& path) {
        return path.starts_with("run.");
    };
    for (const auto& [args, message] : cases) {
        const CommandLine line = parse(args, {"./"});
        ASSERT_TRUE(line.error.empty()) << line.error;
        const std::string clash = findGlobalNameClash(line.jobs, isAnimation);
        if (message.empty())
            EXPECT_EQ(clash, "") << args.back();
        else
            EXPECT_NE(clash.find(message), std::string::npos) << clash;
    }
}

TEST(CommandLine, PaletteOptionsActOnLaterPicturesUntilEnded) {
    const CommandLine line = parse({"--clut",
                                    "--shared-clut",
                                    "one",
                                    "--reserve",
                                    "0-15",
                                    "--reserve",
                                    "200",
                                    "a",
                                    "--palette-out",
                                    "act",
                                    "b",
                                    "--banks",
                                    "two",
                                    "c",
                                    "--no-banks",
                                    "--no-reserve",
                                    "--palette-out",
                                    "none",
                                    "--bank",
                                    "3",
                                    "d",
                                    "--shared-clut",
                                    "one",
                                    "e",
                                    "--no-shared-clut",
                                    "--no-bank",
                                    "f"});
    ASSERT_TRUE(line.error.empty()) << line.error;
    ASSERT_EQ(line.jobs.size(), 6u);
    const auto& j = line.jobs;
    EXPECT_EQ(j[0].settings.sharing, PaletteSharing::SharedClut);
    EXPECT_EQ(j[0].settings.paletteSetName, "one");
    EXPECT_EQ(j[0].settings.reservedEntries.count(), 17u);
    EXPECT_TRUE(j[0].settings.reservedEntries[200]);
    EXPECT_EQ(j[1].settings.paletteSet, j[0].settings.paletteSet);
    EXPECT_EQ(j[1].settings.paletteCopy, PaletteCopy::Act);
    EXPECT_EQ(j[2].settings.sharing, PaletteSharing::Banks);
    EXPECT_NE(j[2].settings.paletteSet, j[0].settings.paletteSet);
    EXPECT_EQ(j[3].settings.sharing, PaletteSharing::Own);
    EXPECT_EQ(j[3].settings.bank, 3);
    EXPECT_TRUE(j[3].settings.reservedEntries.none());
    EXPECT_EQ(j[3].settings.paletteCopy, PaletteCopy::None);
    // The same name again is a set of its own, with its own palette.
    EXPECT_EQ(j[4].settings.paletteSetName, "one");
    EXPECT_NE(j[4].settings.paletteSet, j[0].settings.paletteSet);
    EXPECT_EQ(j[5].settings.sharing, PaletteSharing::Own);
    EXPECT_EQ(j[5].settings.bank, -1);
}

TEST(CommandLine, PaletteOptionsOutsideTheirChoicesAreRefused) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"--bank", "128", "a"}, "--bank needs a whole number from 0 to 127, not '128'"},
        {{"--bank", "-1", "a"}, "not '-1'"},
        {{"--reserve", "5-3", "a"}, "--reserve needs palette entries A-B"},
        {{"--reserve", "0-256", "a"}, "not '0-256'"},
        {{"--reserve", "1-", "a"}, "not '1-'"},
        {{"--palette-out", "png", "a"}, "--palette-out needs gpl, pal, act or none"},
        {{"--shared-clut", "gfx/pal", "a"}, "a file name without folders"},
        {{"--banks", "", "a"}, "--banks needs a file name"},
        {{"--palette", "no such palette.gpl", "a"}, "--palette 'no such palette.gpl': "},
        {{"--clut", "--shared-clut", "s", "a", "-cry", "b"},
         "a and b (--shared-clut s) share a palette but not a colour model"},
        {{"--shared-clut", "s", "a"}, "--shared-clut s: no picture after it is a colour map"},
        {{"--clut", "--banks", "b", "--bank", "2", "a"}, "a: --bank and --banks both"},
    };
    for (const auto& [args, message] : bad) {
        const CommandLine line = parse(args);
        EXPECT_NE(line.error.find(message), std::string::npos) << line.error;
        EXPECT_TRUE(line.jobs.empty());
    }
}
