#include "files/messageline.h"

#include <gtest/gtest.h>

using namespace rastix;

TEST(MessageLine, ControlCharactersBecomeEscapesAndAllElseStays) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"a\nb.png", "a\\nb.png"},
        {"tab\there\r", "tab\\there\\r"},
        {"\x1b[31mred", "\\x1b[31mred"},
        {std::string("nul\0x", 5), "nul\\x00x"},
        {"del\x7f", "del\\x7f"},
        {"csi\xc2\x9b"
         "2J",
         "csi\\xc2\\x9b2J"}, // U+009B
        {"caf\xc3\xa9 \xe9 C:\\pics\\a.png", "caf\xc3\xa9 \xe9 C:\\pics\\a.png"},
        {"\xc2\xa0nbsp and a lone \xc2", "\xc2\xa0nbsp and a lone \xc2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(messageLine(c.text), c.shown) << c.shown;
}
