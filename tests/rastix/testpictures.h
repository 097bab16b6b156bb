#pragma once

#include "image/image.h"

#include <cstdint>

namespace rastix::testing {

// Pixels as loaders hand them over: 0xAARRGGBB, not premultiplied.
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kClear = 0x00000000;

inline Image filled(int w, int h, std::uint32_t colour) {
    return Image(w, h, colour);
}

} // namespace rastix::testing
