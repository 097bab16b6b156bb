#include "previewgeometry.h"

#include "files/pictureformats.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

using namespace glyphmill;

namespace {

const TwipSize kBox{4455, 3375};
const TwipSize kFrame{4695, 3735};

} // namespace

TEST(FitIntoBox, TallPictureTouchesTopAndBottom) {
    const TwipSize fitted = fitIntoBox(100, 1000, kBox);
    EXPECT_EQ(fitted.height, 3375);
    EXPECT_EQ(fitted.width, 337); // 337.5 rounded down
    const PreviewPlacement p = placeInFrame(fitted, kFrame);
    EXPECT_DOUBLE_EQ(p.left, 2179.0);
    EXPECT_DOUBLE_EQ(p.top, 240.0);
}

TEST(FitIntoBox, SameAspectTakesTheWidthBranch) {
    // 297 x 225 has the box's aspect exactly (4455 / 3375 = 1.32); the height is computed.
    const TwipSize fitted = fitIntoBox(297, 225, kBox);
    EXPECT_EQ(fitted.width, 4455);
    EXPECT_EQ(fitted.height, 3375);
    const TwipSize bigger = fitIntoBox(1320, 1000, kBox);
    EXPECT_EQ(bigger.width, 4455);
    EXPECT_EQ(bigger.height, 3375);
    // A hair narrower than the box goes the other way: full height, width rounded down.
    const TwipSize narrower = fitIntoBox(1319, 1000, kBox);
    EXPECT_EQ(narrower.height, 3375);
    EXPECT_EQ(narrower.width, 4451); // floor(3375 * 1319 / 1000) = 4451.6 -> 4451
}

TEST(FitIntoBox, WidePictureTouchesTheSides) {
    const TwipSize fitted = fitIntoBox(6000, 1000, kBox);
    EXPECT_EQ(fitted.width, 4455);
    EXPECT_EQ(fitted.height, 742); // floor(4455 * 1000 / 6000) = 742.5 -> 742
}

TEST(FitIntoBox, SmallPictureIsEnlarged) {
    const TwipSize fitted = fitIntoBox(16, 16, kBox);
    EXPECT_EQ(fitted.width, 3375);
    EXPECT_EQ(fitted.height, 3375);
}

TEST(FitIntoBox, HugePictureDoesNotOverflow) {
    const TwipSize fitted = fitIntoBox(2'000'000'000LL, 3, kBox);
    EXPECT_EQ(fitted.width, 4455);
    EXPECT_EQ(fitted.height, 0);
}

TEST(FitIntoBox, PictureWithoutAreaGivesNothing) {
    EXPECT_EQ(fitIntoBox(0, 100, kBox).width, 0);
    EXPECT_EQ(fitIntoBox(100, 0, kBox).height, 0);
    EXPECT_EQ(fitIntoBox(-5, 100, kBox).width, 0);
}

TEST(PlaceInFrame, FullBoxLandsAtItsDesignPosition) {
    const PreviewPlacement p = placeInFrame(kBox, kFrame);
    EXPECT_DOUBLE_EQ(p.left, 120.0);
    EXPECT_DOUBLE_EQ(p.top, 240.0);
    EXPECT_EQ(p.width, 4455);
    EXPECT_EQ(p.height, 3375);
}

TEST(PlaceInFrame, TwoThirdsOfTheFreeHeightAboveAndFractionsKept) {
    const PreviewPlacement p = placeInFrame(TwipSize{4455, 742}, kFrame);
    EXPECT_DOUBLE_EQ(p.top, (3735.0 - 742.0) * 2.0 / 3.0); // 1995.33..., not half
    EXPECT_DOUBLE_EQ(p.left, 120.0);
    const PreviewPlacement odd = placeInFrame(TwipSize{338, 3375}, kFrame);
    EXPECT_DOUBLE_EQ(odd.left, 2178.5);
}

TEST(LooksLikePicture, NameTestIsASubstringTestWithoutCase) {
    EXPECT_TRUE(looksLikePicture("Photo.JPG"));
    EXPECT_TRUE(looksLikePicture("a.jpeg"));
    EXPECT_TRUE(looksLikePicture("b.Gif"));
    EXPECT_TRUE(looksLikePicture("notes.bmp.txt"));
    EXPECT_TRUE(looksLikePicture(".jpgfolder-name"));
    EXPECT_FALSE(looksLikePicture("readme.txt"));
    EXPECT_FALSE(looksLikePicture("picture.pn"));
    EXPECT_FALSE(looksLikePicture("jpg"));
    EXPECT_FALSE(looksLikePicture(""));
}

TEST(LooksLikePicture, EveryFormatTheConverterReadsIsAPicture) {
    for (const rastix::PictureFormat& format : rastix::kPictureFormats) {
        for (std::string_view ending : format.endings) {
            if (ending.empty())
                continue;
            std::string upper = "A";
            upper += ending;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_TRUE(looksLikePicture(upper)) << upper;
        }
    }
}
