#pragma once

#include "image/image.h"
#include "settings.h"

#include <string>
#include <vector>

namespace rastix {

// A sprite sheet as frames of width x height pixels, `columns` across and `rows` down, read
// left to right and top to bottom. An animation decoded as frames stacked top to bottom is a
// grid of one column.
struct FrameGrid {
    int width = 0;
    int height = 0;
    int columns = 1;
    int rows = 1;
    // An animation's frame durations in milliseconds, one a frame; empty for a sheet.
    std::vector<int> delaysMs;
    int count() const { return columns * rows; }
    // Frame k of the sheet, in place.
    ImageView frame(const ImageView& sheet, int k) const {
        const int x = k % columns * width;
        const int y = k / columns * height;
        return {sheet.row(y) + x, width, height, sheet.stride};
    }
    bool operator==(const FrameGrid&) const = default;
};

// The grid `size` makes of a sheet of that size; false and a message when the sheet is not a
// whole number of such frames.
bool frameGridOf(int sheetWidth, int sheetHeight, const FrameSize& size, FrameGrid& grid,
                 std::string& error);

} // namespace rastix
