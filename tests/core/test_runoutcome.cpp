#include "runoutcome.h"

#include <gtest/gtest.h>

using namespace glyphmill;

namespace {

using How = ProcessEnd::How;

struct Case {
    const char* name;
    std::optional<std::string> output;
    std::optional<std::string> errors;
    std::size_t pictures;
    ProcessEnd end;
    std::string summary;
};

const Case kCases[] = {
    {"all written",
     "wrote a.s (RGB16)\nwrote b.s (RGB16)\nwrote c.s (RGB16)\n",
     "",
     3,
     {How::Exited, 0},
     "3 files written"},
    {"one written", "wrote a.bin (CRY16)\n", "", 1, {How::Exited, 0}, "1 file written"},
    {"warning is no failure",
     "wrote a.s (x)\n",
     "rastix: a.bmp: warning: colours merged\n",
     1,
     {How::Exited, 0},
     "1 file written"},
    {"one of four failed",
     "wrote a.s (x)\r\nwrote b.s (x)\r\nwrote d.s (x)\r\n",
     "rastix: c.bmp: cannot read the picture\r\n",
     4,
     {How::Exited, 1},
     "1 of 4 pictures failed"},
    {"skipped counts as failed",
     "",
     "rastix: a.s: exists already, not overwritten (use --overwrite); a.bmp skipped\n",
     1,
     {How::Exited, 1},
     "1 of 1 picture failed"},
    {"end unknown, failures seen",
     "",
     "rastix: a.bmp: bad\n",
     2,
     {How::Unknown, 0},
     "1 of 2 pictures failed"},
    {"end unknown, none failed", "wrote a.s (x)\n", "", 1, {How::Unknown, 0}, "1 file written"},
    {"command refused",
     "",
     "rastix: no picture given\n",
     0,
     {How::Exited, 2},
     "the converter failed (exit code 2)"},
    {"refused although pictures given",
     "",
     "rastix: a.s: written twice\n",
     2,
     {How::Exited, 2},
     "the converter failed (exit code 2)"},
    {"crashed",
     "wrote a.s (x)\n",
     "",
     2,
     {How::Crashed, 0},
     "the converter stopped abnormally; 1 file written"},
    {"report lost",
     std::nullopt,
     "",
     1,
     {How::Exited, 0},
     "the converter's report could not be read"},
};

} // namespace

TEST(RunOutcome, SummaryLine) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(summariseRun(c.output, c.errors, c.pictures, c.end).summary, c.summary);
    }
}

TEST(RunOutcome, KeepsTheConvertersLinesWordForWordWrittenFilesFirst) {
    const RunOutcome outcome = summariseRun("wrote a.s (RGB16 8x8)\r\n\nwrote b.s (RGB16 8x8)",
                                            "rastix: c.bmp: cannot read\n", 3, {How::Exited, 1});
    EXPECT_EQ(outcome.lines,
              (std::vector<std::string>{"wrote a.s (RGB16 8x8)", "wrote b.s (RGB16 8x8)",
                                        "rastix: c.bmp: cannot read"}));
}
