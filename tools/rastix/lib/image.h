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

} // namespace rastix
