#pragma once

#include <cstdint>
#include <string>

namespace rastix {

// What a JPEG's frame header and first scan tell before it is decoded. All 0 for a file that
// is no JPEG, or is cut short before its first scan.
struct JpegLayout {
    int components = 0; // 1 grey, 3 colour, 4 CMYK (which libjpeg does not stream)
    // What libjpeg holds besides the rows while it decodes: a progressive picture, or one whose
    // first scan leaves components for later ones, keeps the coefficients of every 8 x 8 block
    // of the whole picture (128 bytes each, the blocks of each component rounded up to whole
    // units of its sampling) until its last scan. 0 for a picture of one scan, which keeps
    // only a row of blocks.
    std::uint64_t coefficientBytes = 0;
};

JpegLayout readJpegLayout(const std::string& path);

} // namespace rastix
