#include "image/image.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace rastix {

namespace {

constexpr std::uint64_t kMaxSide = std::numeric_limits<int>::max();

struct Span {
    double from;
    double to;
};

// Narrows span to the x where 0 <= slope * x + offset < limit.
Span within(Span span, double slope, double offset, int limit) {
    if (std::abs(slope) < 1e-12) {
        if (offset < 0 || offset >= limit)
            span.to = span.from;
        return span;
    }
    double a = (0 - offset) / slope;
    double b = (limit - offset) / slope;
    if (a > b)
        std::swap(a, b);
    return {std::max(span.from, a), std::min(span.to, std::max(span.from, b))};
}

} // namespace

Image::Image(int w, int h, std::uint32_t fill)
    : width(w)
    , height(h)
    , pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

bool frameInside(const ImageView& source, const CutFrame& frame) {
    const long long right = static_cast<long long>(frame.x) + frame.width;
    const long long bottom = static_cast<long long>(frame.y) + frame.height;
    return frame.x >= 0 && frame.y >= 0 && frame.width >= 1 && frame.height >= 1 &&
           right <= source.width && bottom <= source.height;
}

bool cutFrame(const ImageView& source, const CutFrame& frame, Image& result, std::string& error) {
    if (!frameInside(source, frame)) {
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

RotatedSize rotatedSize(std::uint64_t width, std::uint64_t height, int degrees) {
    const int turn = ((degrees % 360) + 360) % 360;
    if (turn == 90 || turn == 270)
        return {height, width};
    if (turn % 180 == 0)
        return {width, height};
    const double angle = turn * std::numbers::pi / 180.0;
    const double c = std::abs(std::cos(angle));
    const double s = std::abs(std::sin(angle));
    const auto w = static_cast<double>(width);
    const auto h = static_cast<double>(height);
    // Bounding box of the turned picture; a small tolerance keeps an exact fit from gaining a
    // column through rounding noise.
    return {static_cast<std::uint64_t>(std::ceil(w * c + h * s - 1e-9)),
            static_cast<std::uint64_t>(std::ceil(w * s + h * c - 1e-9))};
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

    const RotatedSize size =
        rotatedSize(static_cast<std::uint64_t>(w), static_cast<std::uint64_t>(h), turn);
    if (size.width > kMaxSide || size.height > kMaxSide)
        throw std::length_error("the turned picture would be " + std::to_string(size.width) +
                                " x " + std::to_string(size.height) + " pixels");
    const int outW = static_cast<int>(size.width);
    const int outH = static_cast<int>(size.height);
    Image out(outW, outH, 0);
    const double angle = turn * std::numbers::pi / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    const double ocx = outW / 2.0;
    const double ocy = outH / 2.0;
    for (int y = 0; y < outH; ++y) {
        const double dy = y + 0.5 - ocy;
        // Only the columns whose source lies inside the picture need sampling: for a long thin
        // strip that is a sliver of each row. The exact test below still decides each pixel.
        Span span{0.0, static_cast<double>(outW)};
        span = within(span, c, s * dy + cx + c * (0.5 - ocx), w);
        span = within(span, -s, c * dy + cy - s * (0.5 - ocx), h);
        const double end = outW;
        const int first = static_cast<int>(std::clamp(std::floor(span.from) - 1, 0.0, end));
        const int last = static_cast<int>(std::clamp(std::ceil(span.to) + 1, 0.0, end));
        for (int x = first; x < last; ++x) {
            // Inverse mapping from the centre of each target pixel (y grows downwards, so a
            // clockwise turn on screen is the usual positive angle in these coordinates).
            const double dx = x + 0.5 - ocx;
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

QuarterTurnRows::QuarterTurnRows(const ImageView& source, int degrees)
    : m_source(source)
    , m_turn(((degrees % 360) + 360) % 360) {
    const bool across = m_turn == 90 || m_turn == 270;
    m_width = across ? source.height : source.width;
    m_height = across ? source.width : source.height;
}

const std::uint32_t* QuarterTurnRows::operator()(int y) {
    if (m_turn == 0)
        return m_source.row(y);
    if (m_top < 0 || y < m_top || y >= m_top + kBlockRows)
        gather(y / kBlockRows * kBlockRows);
    return m_block.data() + static_cast<std::size_t>(y - m_top) * m_width;
}

void QuarterTurnRows::gather(int top) {
    const int rows = std::min(kBlockRows, m_height - top);
    m_block.resize(static_cast<std::size_t>(kBlockRows) * m_width);
    m_top = top;
    const auto out = [&](int row) {
        return m_block.data() + static_cast<std::size_t>(row) * m_width;
    };
    const int w = m_source.width;
    const int h = m_source.height;
    if (m_turn == 180) {
        for (int r = 0; r < rows; ++r)
            std::reverse_copy(m_source.row(h - 1 - (top + r)), m_source.row(h - 1 - (top + r)) + w,
                              out(r));
        return;
    }
    // As rotateClockwise: by 90 the left column becomes the top row, read bottom to top; by
    // 270 the right column does, read top to bottom.
    for (int x = 0; x < m_width; ++x) {
        const std::uint32_t* from = m_source.row(m_turn == 90 ? h - 1 - x : x);
        for (int r = 0; r < rows; ++r)
            out(r)[x] = from[m_turn == 90 ? top + r : w - 1 - (top + r)];
    }
}

} // namespace rastix
