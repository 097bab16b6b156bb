#include "versiontext.h"

#include <glyphmill/version.h>

#include <gtest/gtest.h>

using glyphmill::versionText;

TEST(VersionText, JoinsTheThreeNumbersWithDots) {
    EXPECT_EQ(versionText(0, 2, 0), "0.2.0");
    EXPECT_EQ(versionText(1, 0, 15), "1.0.15");
}

TEST(VersionText, PlainDecimalWithoutPaddingOrSign) {
    EXPECT_EQ(versionText(10, 0, 7), "10.0.7");
    EXPECT_EQ(versionText(0, 0, 0), "0.0.0");
    EXPECT_EQ(versionText(2024, 100, 9), "2024.100.9");
}

TEST(VersionText, ProgramVersionComesFromTheBuild) {
    // One source for the version: the project version the build was configured with.
    EXPECT_EQ(glyphmill::programVersionText(), glyphmill::kVersionText);
    EXPECT_EQ(
        glyphmill::programVersionText(),
        versionText(glyphmill::kVersionMajor, glyphmill::kVersionMinor, glyphmill::kVersionPatch));
}
