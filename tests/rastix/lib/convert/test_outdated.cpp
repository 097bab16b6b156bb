#include "convert/outdated.h"

#include <gtest/gtest.h>

#include <map>

using namespace rastix;

namespace {

using Times = std::map<std::string, int>; // seconds; a file not named does not exist

std::vector<std::string> converted(const std::vector<std::string>& args, const Times& times,
                                   const std::vector<std::string>& argumentFiles = {}) {
    const CommandLine line =
        parseCommandLine(args, [](const std::string&) { return std::string(); });
    EXPECT_EQ(line.error, "");
    const auto modified =
        [&times](const std::string& path) -> std::optional<std::filesystem::file_time_type> {
        const auto it = times.find(path);
        if (it == times.end())
            return std::nullopt;
        return std::filesystem::file_time_type(std::chrono::seconds(it->second));
    };
    std::vector<std::string> pictures;
    for (const Job& job : outdatedJobs(line.jobs, argumentFiles, modified))
        pictures.push_back(job.picture);
    return pictures;
}

using Names = std::vector<std::string>;

} // namespace

TEST(Outdated, OnlyPicturesGivenUpdateAreLeftOut) {
    const Times fresh = {{"a.png", 1}, {"a.s", 2}, {"b.png", 1}, {"b.s", 2}};
    EXPECT_EQ(converted({"a.png", "b.png"}, fresh), (Names{"a.png", "b.png"}));
    EXPECT_EQ(converted({"a.png", "--update", "b.png"}, fresh), (Names{"a.png"}));
    EXPECT_EQ(converted({"--update", "a.png", "--no-update", "b.png"}, fresh), (Names{"b.png"}));
}

TEST(Outdated, APictureIsConvertedWhenAnOutputIsMissingOrOlder) {
    struct Case {
        const char* what;
        Times times;
        bool converted;
    };
    const Case cases[] = {
        {"outputs newer", {{"a.png", 1}, {"a.map", 2}, {"a.clut", 2}, {"a.args", 1}}, false},
        {"made in the same instant",
         {{"a.png", 2}, {"a.map", 2}, {"a.clut", 2}, {"a.args", 2}},
         false},
        {"picture newer", {{"a.png", 3}, {"a.map", 2}, {"a.clut", 2}, {"a.args", 1}}, true},
        {"one output older", {{"a.png", 2}, {"a.map", 3}, {"a.clut", 1}, {"a.args", 1}}, true},
        {"one output missing", {{"a.png", 1}, {"a.map", 2}, {"a.args", 1}}, true},
        {"argument file newer", {{"a.png", 1}, {"a.map", 2}, {"a.clut", 2}, {"a.args", 3}}, true},
        {"picture missing", {{"a.map", 2}, {"a.clut", 2}, {"a.args", 1}}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(converted({"--update", "--binary", "--clut", "a.png"}, c.times, {"a.args"}),
                  c.converted ? Names{"a.png"} : Names{})
            << c.what;
}

TEST(Outdated, ASetIsConvertedWholeOrNotAtAll) {
    const Names args = {"--update", "--clut", "--shared-clut",    "pal",
                        "a.png",    "b.png",  "--no-shared-clut", "c.png"};
    const Times fresh = {{"a.png", 1}, {"b.png", 1}, {"c.png", 1}, {"a.s", 2},
                         {"b.s", 2},   {"c.s", 2},   {"pal.s", 2}};
    EXPECT_EQ(converted(args, fresh), Names{});
    Times bChanged = fresh;
    bChanged["b.png"] = 3;
    EXPECT_EQ(converted(args, bChanged), (Names{"a.png", "b.png"}));
    Times paletteGone = fresh;
    paletteGone.erase("pal.s");
    EXPECT_EQ(converted(args, paletteGone), (Names{"a.png", "b.png"}));
    // One of the set without --update takes the others along.
    EXPECT_EQ(converted({"--clut", "--shared-clut", "pal", "a.png", "--update", "b.png"}, fresh),
              (Names{"a.png", "b.png"}));
}
