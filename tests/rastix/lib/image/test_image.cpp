#include "image/image.h"
#include "testpictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace rastix;
using namespace rastix::testing;

TEST(Transforms, CutTakesTheRectangleAndRefusesOutside) {
    Image img(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            img.at(x, y) = static_cast<std::uint32_t>(y * 10 + x);
    Image cut;
    std::string error;
    ASSERT_TRUE(cutFrame(img.view(), {1, 1, 3, 2}, cut, error));
    EXPECT_EQ(cut.width, 3);
    EXPECT_EQ(cut.height, 2);
    EXPECT_EQ(cut.pixels, (std::vector<std::uint32_t>{11, 12, 13, 21, 22, 23}));
    EXPECT_FALSE(cutFrame(img.view(), {1, 1, 4, 1}, cut, error));
    EXPECT_NE(error.find("outside"), std::string::npos);
    EXPECT_FALSE(cutFrame(img.view(), {0, 3, 1, 1}, cut, error));
    EXPECT_FALSE(cutFrame(img.view(), {2147483647, 0, 1, 1}, cut, error));
}

TEST(Transforms, QuarterTurnsAreExactAndClockwise) {
    Image img(3, 2);
    // 0 1 2
    // 3 4 5
    for (int i = 0; i < 6; ++i)
        img.pixels[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i);
    const Image r90 = rotateClockwise(img.view(), 90);
    EXPECT_EQ(r90.width, 2);
    EXPECT_EQ(r90.height, 3);
    EXPECT_EQ(r90.pixels, (std::vector<std::uint32_t>{3, 0, 4, 1, 5, 2}));
    const Image r180 = rotateClockwise(img.view(), 180);
    EXPECT_EQ(r180.pixels, (std::vector<std::uint32_t>{5, 4, 3, 2, 1, 0}));
    const Image r270 = rotateClockwise(img.view(), 270);
    EXPECT_EQ(r270.pixels, (std::vector<std::uint32_t>{2, 5, 1, 4, 0, 3}));
    EXPECT_EQ(rotateClockwise(img.view(), -90).pixels, r270.pixels);
    EXPECT_EQ(rotateClockwise(img.view(), 450).pixels, r90.pixels);
    EXPECT_EQ(rotateClockwise(img.view(), 360).pixels, img.pixels);
}

TEST(Transforms, OtherAnglesGrowTheCanvasWithTransparentCorners) {
    const Image img = filled(20, 10, kRed);
    const Image r = rotateClockwise(img.view(), 45);
    const int expected = static_cast<int>(std::ceil(30 / std::sqrt(2.0)));
    EXPECT_EQ(r.width, expected);
    EXPECT_EQ(r.height, expected);
    EXPECT_EQ(r.at(0, 0), kClear);
    EXPECT_EQ(r.at(r.width - 1, r.height - 1), kClear);
    EXPECT_EQ(r.at(r.width / 2, r.height / 2), kRed);
    std::size_t covered = 0;
    for (const auto p : r.pixels)
        covered += p == kRed;
    // The turned picture keeps its area to within the nearest-pixel sampling.
    EXPECT_NEAR(static_cast<double>(covered), 200.0, 20.0);

    // Clockwise: a mark at the right end of a wide bar moves down under a small turn.
    Image bar = filled(40, 2, kBlue);
    bar.at(39, 0) = kGreen;
    bar.at(39, 1) = kGreen;
    const Image t = rotateClockwise(bar.view(), 10);
    int greenY = -1;
    int blueTopY = t.height;
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x) {
            if (t.at(x, y) == kGreen)
                greenY = std::max(greenY, y);
            if (t.at(x, y) == kBlue && x < 3)
                blueTopY = std::min(blueTopY, y);
        }
    EXPECT_GT(greenY, t.height / 2);
    EXPECT_LT(blueTopY, t.height / 2);
}

TEST(Transforms, OddAnglesSampleEveryCoveredPixelOfTheCanvas) {
    // Each canvas pixel sampled from the nearest source pixel, looking at every one: the turn
    // may skip the uncovered parts of rows, but must give exactly this.
    const auto fullScan = [](const Image& src, int degrees) {
        const Image shape = rotateClockwise(src.view(), degrees);
        Image out(shape.width, shape.height, 0);
        const double angle = (((degrees % 360) + 360) % 360) * std::numbers::pi / 180.0;
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) {
                const double dx = x + 0.5 - out.width / 2.0;
                const double dy = y + 0.5 - out.height / 2.0;
                const auto ix = static_cast<int>(std::floor(c * dx + s * dy + src.width / 2.0));
                const auto iy = static_cast<int>(std::floor(-s * dx + c * dy + src.height / 2.0));
                if (ix >= 0 && iy >= 0 && ix < src.width && iy < src.height)
                    out.at(x, y) = src.at(ix, iy);
            }
        return out;
    };
    for (const auto& [w, h] : {std::pair{31, 17}, {1, 40}, {200, 2}, {9, 9}}) {
        Image src(w, h);
        for (std::size_t i = 0; i < src.pixels.size(); ++i)
            src.pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i + 1);
        for (const int degrees : {1, 30, 45, 89, 91, 135, 179, 181, 269, 271, 300, 359, -30})
            EXPECT_EQ(rotateClockwise(src.view(), degrees).pixels, fullScan(src, degrees).pixels)
                << w << "x" << h << " by " << degrees;
    }
}
