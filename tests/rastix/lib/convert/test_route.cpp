// Which way a picture goes through the converter follows from its settings alone.
#include "convert/route.h"

#include <gtest/gtest.h>

using namespace rastix;

TEST(Route, FollowsFromTheSettings) {
    using enum Travel;
    using enum Turn;
    constexpr Dither kPlain = Dither::None;
    constexpr Dither kOrdered = Dither::Ordered;
    constexpr Dither kDiffused = Dither::Diffusion;
    const struct {
        const char* what;
        bool map;
        Dither dither;
        int degrees;
        bool cut;
        bool glass;
        Route route;
    } cases[] = {
        {"true colour", false, kPlain, 0, false, false, {RowsToStream, None}},
        {"a full turn", false, kPlain, 360, false, false, {RowsToStream, None}},
        {"cut", false, kPlain, 0, true, false, {DecodedToStream, None}},
        {"quarter turn", false, kPlain, 90, false, false, {DecodedToStream, WhileEncoding}},
        {"quarter turn back", false, kPlain, -90, false, false, {DecodedToStream, WhileEncoding}},
        {"cut, half turn", false, kPlain, 180, true, false, {DecodedToStream, WhileEncoding}},
        {"odd angle", false, kPlain, 33, false, false, {DecodedWhole, CanvasFirst}},
        {"dithered", false, kOrdered, 0, false, false, {DecodedWhole, None}},
        {"dithered, quarter turn",
         false,
         kDiffused,
         270,
         false,
         false,
         {DecodedWhole, CanvasFirst}},
        {"glass, dithering asked", false, kOrdered, 90, false, true, {DecodedWhole, WhileEncoding}},
        {"map", true, kPlain, 0, false, false, {RowsToCollector, None}},
        {"map, quarter turn", true, kPlain, 270, false, false, {RowsToCollector, WhileEncoding}},
        {"dithered map", true, kDiffused, 0, false, false, {RowsToCollector, None}},
        {"dithered map, turned", true, kOrdered, 90, false, false, {DecodedWhole, CanvasFirst}},
        {"map, cut", true, kPlain, 0, true, false, {DecodedWhole, None}},
        {"map, odd angle", true, kPlain, 31, false, false, {DecodedWhole, CanvasFirst}},
    };
    for (const auto& c : cases) {
        Settings s;
        s.colourMap = c.map;
        s.dither = c.dither;
        s.rotateDegrees = c.degrees;
        if (c.cut)
            s.cut = CutFrame{4, 2, 16, 20};
        if (c.glass) {
            s.model = ColourModel::Cry16;
            s.cryEncoding = CryEncoding::Glass;
        }
        const Route route = chooseRoute(s);
        EXPECT_EQ(route.travel, c.route.travel) << c.what;
        EXPECT_EQ(route.turn, c.route.turn) << c.what;
    }
}
