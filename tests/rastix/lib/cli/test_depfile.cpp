#include "cli/commandline.h"
#include "cli/depfile.h"

#include <gtest/gtest.h>

using namespace rastix;

namespace {

std::vector<Job> jobsOf(const std::vector<std::string>& args) {
    const CommandLine line =
        parseCommandLine(args, [](const std::string&) { return std::string(); });
    EXPECT_EQ(line.error, "");
    return line.jobs;
}

std::string rulesOf(const std::vector<std::string>& args,
                    const std::vector<std::string>& argumentFiles = {}) {
    std::string rules;
    std::string error;
    EXPECT_TRUE(dependencyRules(jobsOf(args), argumentFiles, rules, error)) << error;
    return rules;
}

} // namespace

TEST(MakeEscaped, WritesWhatMakeReadsBackAsThePath) {
    const std::pair<const char*, const char*> cases[] = {
        {"gfx/ship.png", "gfx/ship.png"},
        {"my ship.png", "my\\ ship.png"},
        {"tab\there", "tab\\\there"},
        {"cost$5.png", "cost$$5.png"},
        {"no#1.png", "no\\#1.png"},
        {"a:b.png", "a\\:b.png"},
        {"C:/gfx/a.png", "C:/gfx/a.png"},
        {"C:\\gfx\\a.png", "C:\\gfx\\a.png"},
        {"x/C:/a.png", "x/C\\:/a.png"},
        {"dir\\ x.png", "dir\\\\\\ x.png"},
        {"odd\\", "odd\\\\"},
        {"caf\xe9.png", "caf\xe9.png"},
    };
    for (const auto& [path, expected] : cases) {
        std::string escaped;
        EXPECT_TRUE(makeEscaped(path, escaped)) << path;
        EXPECT_EQ(escaped, expected) << path;
    }
    std::string escaped;
    EXPECT_FALSE(makeEscaped("two\nlines.png", escaped));
}

TEST(DependencyRules, APicturesOutputsDependOnItItsPaletteAndTheArgumentFiles) {
    EXPECT_EQ(rulesOf({"--target-dir", "out", "a.png", "--binary", "--clut", "--metadata",
                       "--palette-out", "gpl", "b b.png"},
                      {"assets.args"}),
              "out/a.s: a.png assets.args\n"
              "out/b\\ b.map out/b\\ b.clut out/b\\ b.gpl out/b\\ b.json: b\\ b.png assets.args\n"
              "\na.png:\n\nassets.args:\n\nb\\ b.png:\n");
}

TEST(DependencyRules, ASetsFilesDependOnAllItsPictures) {
    EXPECT_EQ(rulesOf({"t.png", "--clut", "--shared-clut", "pal", "a.png", "b.png",
                       "--no-shared-clut", "c.png"}),
              "t.s: t.png\n"
              "pal.s: a.png b.png\n"
              "a.s: a.png b.png\n"
              "b.s: a.png b.png\n"
              "c.s: c.png\n"
              "\nt.png:\n\na.png:\n\nb.png:\n\nc.png:\n");
}

TEST(DependencyRules, ANameMakeCannotHoldIsRefused) {
    std::string rules;
    std::string error;
    EXPECT_FALSE(dependencyRules(jobsOf({"two\nlines.png"}), {}, rules, error));
    EXPECT_EQ(error, "--depfile: a make rule cannot name 'two\nlines.s' (a line break in it)");
}

TEST(DependencyRules, ADepfileMayNotReplaceAPictureOrAnOutput) {
    const std::vector<Job> jobs = jobsOf({"a.png", "--clut", "--banks", "pal", "b.png"});
    const auto same = [](const std::string& path) {
        return path;
    };
    EXPECT_EQ(depfileClash("assets.d", jobs, same), "");
    EXPECT_EQ(depfileClash("b.png", jobs, same), "--depfile b.png would replace the picture b.png");
    EXPECT_EQ(depfileClash("pal.s", jobs, same), "--depfile pal.s would replace pal.s, an output");
    EXPECT_EQ(depfileClash("a.s", jobs, same), "--depfile a.s would replace a.s, an output");
}
