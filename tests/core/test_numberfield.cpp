#include "numberfield.h"

#include <gtest/gtest.h>

#include <limits>

using namespace glyphmill;

namespace {

struct Case {
    const char* typed;
    std::int32_t bound;
    bool accepted;
    const char* text;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << '"' << c.typed << "\" bound " << c.bound;
}

class CheckNumberFieldCases : public ::testing::TestWithParam<Case> {};

} // namespace

TEST_P(CheckNumberFieldCases, VerdictAndText) {
    const Case c = GetParam();
    const NumberFieldVerdict verdict = CheckNumberField(c.typed, c.bound);
    EXPECT_EQ(verdict.accepted, c.accepted);
    EXPECT_EQ(verdict.text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    CanonicalTextOnly, CheckNumberFieldCases,
    ::testing::Values(
        Case{"0", 0, true, "0"}, Case{"360", 0, true, "360"}, Case{"400", 0, true, "400"},
        Case{"720", 0, true, "720"}, Case{"1", 1, true, "1"}, Case{"007", 0, false, "7"},
        Case{"+5", 0, false, "5"}, Case{"5.0", 0, false, "5"}, Case{" 5", 0, false, "5"},
        Case{"5 ", 0, false, "5"}, Case{"&H10", 0, false, "16"}, Case{"&h10", 0, false, "16"},
        Case{"&o17", 0, false, "15"}, Case{"&O17", 0, false, "15"}, Case{"&O19", 0, false, "1"},
        Case{"&Hff", 0, false, "255"}, Case{"&", 0, false, "0"}, Case{"&X1", 0, false, "0"},
        Case{"1e3", 0, false, "1000"}, Case{"1E3", 0, false, "1000"}, Case{"1e", 0, false, "1"},
        Case{"2e-1", 0, false, "0"}, Case{"12abc", 0, false, "12"}, Case{"abc", 0, false, "0"},
        Case{"", 0, false, "0"}, Case{"", 1, false, "0"}, Case{"0", 1, false, "0"},
        Case{"-5", 0, false, "-5"}, Case{"-5", -10, true, "-5"}, Case{"-0", 0, false, "0"},
        Case{".5", 0, false, "0"}, Case{"1.", 0, false, "1"}, Case{".", 0, false, "0"},
        Case{"-", 0, false, "0"}, Case{"2.5", 0, false, "2"}, Case{"3.5", 0, false, "4"},
        Case{"-2.5", -10, false, "-2"}, Case{"2.51", 0, false, "3"}, Case{"1 2", 0, false, "1"},
        Case{"\t7", 0, false, "7"}));

TEST(CheckNumberField, AnUpperBoundRejectsLargerNumbersAndKeepsTheirText) {
    EXPECT_TRUE(CheckNumberField("256", 2, 256).accepted);
    const NumberFieldVerdict above = CheckNumberField("257", 2, 256);
    EXPECT_FALSE(above.accepted);
    EXPECT_EQ(above.text, "257");
    EXPECT_EQ(CheckNumberField("0300", 2, 256).text, "300");
}

TEST(CheckNumberField, TwelveNinesDoNotFitAndKeepTheTypedText) {
    const NumberFieldVerdict verdict = CheckNumberField("999999999999", 0);
    EXPECT_FALSE(verdict.accepted);
    EXPECT_EQ(verdict.text, "999999999999");
}

TEST(CheckNumberField, RangeEdgesOfSignedThirtyTwoBits) {
    EXPECT_TRUE(CheckNumberField("2147483647", 0).accepted);
    EXPECT_FALSE(CheckNumberField("2147483648", 0).accepted);
    EXPECT_EQ(CheckNumberField("2147483648", 0).text, "2147483648");
    // Rounds up past the top, so it no longer fits.
    EXPECT_EQ(CheckNumberField("2147483647.5", 0).text, "2147483647.5");
    EXPECT_EQ(CheckNumberField("2147483647.4", 0).text, "2147483647");
    EXPECT_TRUE(CheckNumberField("-2147483648", std::numeric_limits<std::int32_t>::min()).accepted);
    EXPECT_EQ(CheckNumberField("-2147483649", std::numeric_limits<std::int32_t>::min()).text,
              "-2147483649");
    EXPECT_EQ(CheckNumberField("&H7FFFFFFF", 0).text, "2147483647");
    EXPECT_EQ(CheckNumberField("&H80000000", 0).text, "&H80000000");
    EXPECT_EQ(CheckNumberField("1e400", 0).text, "1e400");
    EXPECT_EQ(CheckNumberField("1e-400", 0).text, "0");
    EXPECT_EQ(CheckNumberField(std::string(400, '9'), 0).text, std::string(400, '9'));
    EXPECT_EQ(CheckNumberField("&H" + std::string(400, 'F'), 0).text, "&H" + std::string(400, 'F'));
}

TEST(CheckNumberField, SecondCheckOfTheOfferedTextPassesUnlessBelowTheBound) {
    for (const char* typed : {"007", "+5", "5.0", " 5", "&H10", "12abc", "1e3", "3.5"}) {
        const NumberFieldVerdict first = CheckNumberField(typed, 0);
        ASSERT_FALSE(first.accepted) << typed;
        const NumberFieldVerdict second = CheckNumberField(first.text, 0);
        EXPECT_TRUE(second.accepted) << typed;
        EXPECT_EQ(second.text, first.text) << typed;
    }
    const NumberFieldVerdict empty = CheckNumberField("", 1);
    EXPECT_FALSE(CheckNumberField(empty.text, 1).accepted) << "a width of 0 stays rejected";
}

TEST(LeadingNumber, ReadsTheFractionUnrounded) {
    EXPECT_DOUBLE_EQ(leadingNumber("  -12.75xyz"), -12.75);
    EXPECT_DOUBLE_EQ(leadingNumber("+1.5e2"), 150.0);
    EXPECT_DOUBLE_EQ(leadingNumber("&h1F"), 31.0);
    EXPECT_DOUBLE_EQ(leadingNumber("- 5"), 0.0);
    EXPECT_DOUBLE_EQ(leadingNumber("1e+2"), 100.0);
}

TEST(FormatInteger, PlainDigits) {
    EXPECT_EQ(formatInteger(0), "0");
    EXPECT_EQ(formatInteger(123456), "123456");
    EXPECT_EQ(formatInteger(-42), "-42");
    EXPECT_EQ(formatInteger(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}
