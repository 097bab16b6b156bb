#include "image/framegrid.h"

namespace rastix {

bool frameGridOf(int sheetWidth, int sheetHeight, const FrameSize& size, FrameGrid& grid,
                 std::string& error) {
    const std::string sheet = std::to_string(sheetWidth) + "x" + std::to_string(sheetHeight);
    if (size.count > 0) {
        if (sheetWidth % size.count != 0 || sheetWidth < size.count) {
            error = "the picture is " + sheet + " pixels: its width does not split into " +
                    std::to_string(size.count) + " frames side by side";
            return false;
        }
        grid = {sheetWidth / size.count, sheetHeight, size.count, 1, {}};
        return true;
    }
    if (size.width <= 0 || size.height <= 0 || sheetWidth % size.width != 0 ||
        sheetHeight % size.height != 0 || sheetWidth < size.width || sheetHeight < size.height) {
        error = "the picture is " + sheet + " pixels, not a whole number of " +
                std::to_string(size.width) + "x" + std::to_string(size.height) + " frames";
        return false;
    }
    grid = {size.width, size.height, sheetWidth / size.width, sheetHeight / size.height, {}};
    return true;
}

} // namespace rastix
