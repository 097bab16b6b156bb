#include "registryvalue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using glyphmill::decodeRegistryValue;
using glyphmill::RegistryValueType;

namespace {

// A query buffer as the registry leaves it: the value's bytes, then zeros up to its size.
std::vector<unsigned char> buffer(const std::string& bytes, std::size_t size = 1024) {
    std::vector<unsigned char> result(size, 0);
    std::copy(bytes.begin(), bytes.end(), result.begin());
    return result;
}

std::vector<unsigned char> bytes(std::initializer_list<unsigned char> list) {
    return list;
}

} // namespace

TEST(RegistryTextValue, TrailingZeroByteIsDropped) {
    const std::string stored("C:\\Tools\\msinfo32.exe\0", 22);
    const auto text = decodeRegistryValue(RegistryValueType::Text, buffer(stored), stored.size());
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "C:\\Tools\\msinfo32.exe");
}

TEST(RegistryTextValue, ValueWithoutTerminatorKeepsAllItsBytes) {
    const std::string stored = "C:\\Tools";
    const auto text = decodeRegistryValue(RegistryValueType::Text, buffer(stored), stored.size());
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "C:\\Tools");
}

TEST(RegistryTextValue, OnlyOneTrailingZeroIsDropped) {
    const std::string stored("ab\0\0", 4);
    const auto text = decodeRegistryValue(RegistryValueType::Text, buffer(stored), stored.size());
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, std::string("ab\0", 3));
}

TEST(RegistryTextValue, BytesBeyondTheReportedSizeAreIgnored) {
    // Left-overs in the buffer past the reported size must never reach the text.
    const auto text = decodeRegistryValue(RegistryValueType::Text, buffer("abcdef"), 3);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "abc");
}

TEST(RegistryTextValue, ReportedSizeLargerThanTheBufferIsClamped) {
    const auto data = bytes({'x', 'y'});
    const auto text = decodeRegistryValue(RegistryValueType::Text, data, 5000);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "xy");
}

TEST(RegistryTextValue, EmptyValuesGiveEmptyText) {
    const auto none = decodeRegistryValue(RegistryValueType::Text, buffer(""), 0);
    ASSERT_TRUE(none.has_value());
    EXPECT_EQ(*none, "");
    const auto terminatorOnly = decodeRegistryValue(RegistryValueType::Text, buffer(""), 1);
    ASSERT_TRUE(terminatorOnly.has_value());
    EXPECT_EQ(*terminatorOnly, "");
}

TEST(RegistryTextValue, ZeroBytesInsideTheValueAreKept) {
    const std::string stored("a\0b", 3);
    const auto text = decodeRegistryValue(RegistryValueType::Text, buffer(stored), 3);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, stored);
}

TEST(RegistryNumberValue, GivesHexTextStartingWithAmpersandH) {
    const auto data = bytes({0x78, 0x56, 0x34, 0x12});
    const auto text = decodeRegistryValue(RegistryValueType::Number32, data, 4);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "&h12345678");
}

TEST(RegistryNumberValue, ZeroHighByteDroppedByTheCutDoesNotChangeTheNumber) {
    const auto one = decodeRegistryValue(RegistryValueType::Number32, bytes({1, 0, 0, 0}), 4);
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(*one, "&h1");
    const auto zero = decodeRegistryValue(RegistryValueType::Number32, bytes({0, 0, 0, 0}), 4);
    ASSERT_TRUE(zero.has_value());
    EXPECT_EQ(*zero, "&h0");
}

TEST(RegistryNumberValue, AllBitsSetAndUpperCaseDigits) {
    const auto text =
        decodeRegistryValue(RegistryValueType::Number32, bytes({0xFF, 0xFF, 0xFF, 0xFF}), 4);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "&hFFFFFFFF");
    const auto mixed =
        decodeRegistryValue(RegistryValueType::Number32, bytes({0xEF, 0xBE, 0xAD, 0xDE}), 4);
    ASSERT_TRUE(mixed.has_value());
    EXPECT_EQ(*mixed, "&hDEADBEEF");
}

TEST(RegistryNumberValue, ShortOrOverlongDataIsReadWithoutOverrun) {
    const auto shortData = decodeRegistryValue(RegistryValueType::Number32, bytes({0x2A}), 1);
    ASSERT_TRUE(shortData.has_value());
    EXPECT_EQ(*shortData, "&h2A");
    // Only the first four bytes make the number.
    const auto longData = decodeRegistryValue(RegistryValueType::Number32,
                                              bytes({0x01, 0x02, 0x03, 0x04, 0x05, 0x06}), 6);
    ASSERT_TRUE(longData.has_value());
    EXPECT_EQ(*longData, "&h4030201");
}

TEST(RegistryOtherValue, GivesNoText) {
    EXPECT_FALSE(decodeRegistryValue(RegistryValueType::Other, buffer("C:\\x"), 4).has_value());
    EXPECT_FALSE(decodeRegistryValue(RegistryValueType::Other, buffer(""), 0).has_value());
}
