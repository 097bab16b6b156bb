#include "image.h"

#include <cmath>
#include <numbers>

namespace rastix {

Image::Image(int w, int h, std::uint32_t fill)
    : width(w)
    , height(h)
    , pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

bool cutFrame(const ImageView& source, const CutFrame& frame, Image& result, std::string& error) {
    const long long right = static_cast<long long>(frame.x) + frame.width;
    const long long bottom = static_cast<long long>(frame.y) + frame.height;
    if (frame.x < 0 || frame.y < 0 || frame.width < 1 || frame.height < 1 || right > source.width ||
        bottom > source.height) {
        error = "cut " + std::to_string(frame.x) + "," + std::to_string(frame.y) + ":" +
                std::to_string(frame.width) + "x" + std::to_string(frame.height) +
                " reaches outside the " + std::to_string(source.width) + "x" +
                std::to_string(source.height) + " picture";
        return false;
    }
    result = Image(frame.width, frame.height);
    for (int y = 0; y < frame.height; ++y) {
        const std::uint32_t* from = source.row(frame.y + y) + frame.x;
        std::copy(from, from + frame.width, &result.at(0, y));
    }
    return true;
}

Image rotateClockwise(const ImageView& source, int degrees) {
    const int turn = ((degrees % 360) + 360) % 360;
    const int w = source.width;
    const int h = source.height;
    if (turn == 0 || turn == 180) {
        Image out(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out.at(turn == 0 ? x : w - 1 - x, turn == 0 ? y : h - 1 - y) = source.row(y)[x];
        return out;
    }
    if (turn == 90 || turn == 270) {
        Image out(h, w);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // Clockwise: the left column becomes the top row.
                const int nx = turn == 90 ? h - 1 - y : y;
                const int ny = turn == 90 ? x : w - 1 - x;
                out.at(nx, ny) = source.row(y)[x];
            }
        return out;
    }

    const double angle = turn * std::numbers::pi / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    // Bounding box of the turned picture; a small tolerance keeps an exact fit from gaining a
    // column through rounding noise.
    const int outW = static_cast<int>(std::ceil(std::abs(w * c) + std::abs(h * s) - 1e-9));
    const int outH = static_cast<int>(std::ceil(std::abs(w * s) + std::abs(h * c) - 1e-9));
    Image out(outW, outH, 0);
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    const double ocx = outW / 2.0;
    const double ocy = outH / 2.0;
    for (int y = 0; y < outH; ++y) {
        for (int x = 0; x < outW; ++x) {
            // Inverse mapping from the centre of each target pixel (y grows downwards, so a
            // clockwise turn on screen is the usual positive angle in these coordinates).
            const double dx = x + 0.5 - ocx;
            const double dy = y + 0.5 - ocy;
            const double sx = c * dx + s * dy + cx;
            const double sy = -s * dx + c * dy + cy;
            const int ix = static_cast<int>(std::floor(sx));
            const int iy = static_cast<int>(std::floor(sy));
            if (ix >= 0 && iy >= 0 && ix < w && iy < h)
                out.at(x, y) = source.row(iy)[ix];
        }
    }
    return out;
}

} // namespace rastix
