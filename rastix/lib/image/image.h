#pragma once

#include "settings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rastix {

// Pixels as 0xAARRGGBB, not premultiplied; rows may be longer than the width (stride), so a
// decoded picture can be used in place without a copy.
struct ImageView {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0; // in pixels
    const std::uint32_t* row(int y) const { return pixels + y * stride; }
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Image() = default;
    Image(int w, int h, std::uint32_t fill = 0);
    ImageView view() const { return {pixels.data(), width, height, width}; }
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

bool frameInside(const ImageView& source, const CutFrame& frame);
// The frame must lie inside the picture; returns false and a message otherwise.
bool cutFrame(const ImageView& source, const CutFrame& frame, Image& result, std::string& error);

struct RotatedSize {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
};
// The canvas a turn needs, known before anything is allocated (it can be far larger than the
// picture: a long thin strip turned by 30 degrees).
RotatedSize rotatedSize(std::uint64_t width, std::uint64_t height, int degrees);

// Turns the picture clockwise. Multiples of 90 degrees move pixels exactly; other angles sample
// the nearest source pixel on a canvas grown to hold the whole turned picture, and leave the
// uncovered corners transparent. A canvas wider or higher than an int can count throws
// std::length_error.
Image rotateClockwise(const ImageView& source, int degrees);

// The rows of a picture turned clockwise by a multiple of 90 degrees, gathered as they are read,
// so that a large picture can be encoded turned without the turned copy existing whole. Rows are
// gathered a block at a time: a quarter turn reads the picture's columns, and a block of rows
// reads whole cache lines of them. One reader per thread.
class QuarterTurnRows {
public:
    static constexpr int kBlockRows = 16;
    QuarterTurnRows(const ImageView& source, int degrees);
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Row y of the turned picture; valid until the next call.
    const std::uint32_t* operator()(int y);

private:
    void gather(int top);
    const ImageView m_source;
    const int m_turn;
    int m_width = 0;
    int m_height = 0;
    int m_top = -1; // the first row in m_block
    std::vector<std::uint32_t> m_block;
};

} // namespace rastix
