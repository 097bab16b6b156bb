#pragma once

#include "encode/pictureencoder.h"

#include <cstddef>
#include <cstdint>

namespace rastix {

// A pixel of an encoded picture read back: the big-endian word of true colour, or the map index.
inline unsigned wordAt(const EncodedPicture& p, int x, int y) {
    const std::uint8_t* row = p.data.data() + static_cast<std::size_t>(y) * p.rowBytes;
    return static_cast<unsigned>(row[2 * x] << 8 | row[2 * x + 1]);
}

inline unsigned indexAt(const EncodedPicture& p, int x, int y) {
    const std::uint8_t* row = p.data.data() + static_cast<std::size_t>(y) * p.rowBytes;
    const int bit = x * p.bitsPerPixel;
    return (row[bit / 8] >> (8 - p.bitsPerPixel - bit % 8)) & ((1u << p.bitsPerPixel) - 1);
}

} // namespace rastix
