#include "cli/argumentfiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

using namespace rastix;

namespace {

// "f3" from "f" and 3, appended: GCC 12 at -O3 warns (-Wrestrict, falsely) on "f" + a string.
std::string numbered(const char* prefix, int n) {
    std::string name = prefix;
    name += std::to_string(n);
    return name;
}

using Files = std::map<std::string, std::string>;
using Args = std::vector<std::string>;

ExpandedArguments expand(const Args& args, const Files& files) {
    return expandArgumentFiles(
        args, [&files](const std::string& path, std::string& text, std::string& error) {
            const auto it = files.find(path);
            if (it == files.end()) {
                error = "No such file or directory";
                return false;
            }
            text = it->second;
            return true;
        });
}

struct Expanded {
    const char* what;
    Args args;
    Files files;
    Args expected;
};

} // namespace

TEST(ArgumentFiles, ExpandWhereTheyAreNamed) {
    const Expanded cases[] = {
        {"one argument a line, in place",
         {"-cry", "@a", "z.png"},
         {{"a", "--clut\nx.png\n"}},
         {"-cry", "--clut", "x.png", "z.png"}},
        {"blanks, CR and a last line without newline",
         {"@a"},
         {{"a", "  --clut \r\n\tmy pic.png\t\r\nlast.png"}},
         {"--clut", "my pic.png", "last.png"}},
        {"empty lines and comments skipped",
         {"@a"},
         {{"a", "# the title\n\n   \n  # indented\nx.png\n"}},
         {"x.png"}},
        {"a byte order mark is not part of the first line",
         {"@a"},
         {{"a", "\xEF\xBB\xBFx.png"}},
         {"x.png"}},
        {"nested files, named as on the command line",
         {"@a", "z.png"},
         {{"a", "@sub/b\nx.png\n"}, {"sub/b", "-cry\n"}},
         {"-cry", "x.png", "z.png"}},
        {"one file twice, not nested", {"@a", "@a"}, {{"a", "x.png"}}, {"x.png", "x.png"}},
        {"@@ stands for @", {"@@x.png"}, {}, {"@x.png"}},
        {"@ alone is a picture", {"@"}, {}, {"@"}},
        {"after -- everything is a picture", {"--", "@a", "@@b"}, {}, {"--", "@a", "@@b"}},
        {"-- inside a file ends the options after it too",
         {"@a", "@b"},
         {{"a", "--"}},
         {"--", "@b"}},
        {"an option's value is not expanded",
         {"--target-dir", "@out", "--shared-clut", "@@s", "@a"},
         {{"a", "x.png"}},
         {"--target-dir", "@out", "--shared-clut", "@@s", "x.png"}},
        {"a value on the line after its option, in a file",
         {"@a", "x.png"},
         {{"a", "--target-dir\n@out\n"}},
         {"--target-dir", "@out", "x.png"}},
        {"an empty file adds nothing", {"@a", "x.png"}, {{"a", ""}}, {"x.png"}},
    };
    for (const Expanded& c : cases) {
        const ExpandedArguments result = expand(c.args, c.files);
        EXPECT_EQ(result.error, "") << c.what;
        EXPECT_EQ(result.args, c.expected) << c.what;
    }
}

TEST(ArgumentFiles, ListEveryFileRead) {
    const ExpandedArguments result =
        expand({"@a", "@c"}, {{"a", "@b\n"}, {"b", "x.png"}, {"c", "y.png"}});
    EXPECT_EQ(result.filesRead, (Args{"a", "b", "c"}));
}

TEST(ArgumentFiles, RefuseWhatCannotBeRead) {
    struct Refused {
        Args args;
        Files files;
        std::string error;
    };
    Files deep;
    for (int i = 0; i < kMostNestedArgumentFiles; ++i)
        deep[numbered("f", i)] = numbered("@f", i + 1);
    deep[numbered("f", kMostNestedArgumentFiles)] = "x.png";
    const Refused cases[] = {
        {{"x.png", "@missing"}, {}, "@missing: No such file or directory"},
        {{"@a"}, {{"a", "@a"}}, "@a: reads itself"},
        {{"@a"}, {{"a", "@b"}, {"b", "@a"}}, "@a: reads itself through @b"},
        {{"@a"}, {{"a", "@b"}}, "@b: No such file or directory"},
        {{"@f0"},
         deep,
         numbered("@f", kMostNestedArgumentFiles) + ": argument files nested more than " +
             std::to_string(kMostNestedArgumentFiles) + " deep"},
    };
    for (const Refused& c : cases) {
        const ExpandedArguments result = expand(c.args, c.files);
        EXPECT_EQ(result.error, c.error);
        EXPECT_TRUE(result.args.empty()) << c.error;
    }
}

TEST(ArgumentFiles, NestedAsDeepAsAllowed) {
    Files files;
    for (int i = 0; i + 1 < kMostNestedArgumentFiles; ++i)
        files[numbered("f", i)] = numbered("@f", i + 1);
    files[numbered("f", kMostNestedArgumentFiles - 1)] = "x.png";
    const ExpandedArguments result = expand({"@f0"}, files);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.args, Args{"x.png"});
}

TEST(ArgumentFiles, TheProgramsReaderGivesTheSystemsReason) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "rastix-argfiles";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "a.args").string();
    std::ofstream(file, std::ios::binary) << "x.png\r\n";
    std::string text;
    std::string error;
    EXPECT_TRUE(readWholeFile(file, text, error));
    EXPECT_EQ(text, "x.png\r\n");
    EXPECT_FALSE(readWholeFile((dir / "none.args").string(), text, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(readWholeFile(dir.string(), text, error));
    EXPECT_EQ(error, "Is a directory");
    std::filesystem::remove_all(dir);
}
