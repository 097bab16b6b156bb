#pragma once

#include "loaders/framestrip.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rastix {

// One frame of an animation cut out of its file as a picture of its own (a GIF or PNG stream of
// just that frame, at its own size), with where it goes and how long it shows.
struct CutOutFrame {
    std::string stream;
    FramePlacement placement;
    int delayMs = 0;
};

struct CutOutAnimation {
    int canvasWidth = 0;
    int canvasHeight = 0;
    std::vector<CutOutFrame> frames; // empty: not an animation
};

// Splits a GIF into its frames. A frame's delay is in hundredths of a second; under two (none
// given, or 10 ms) is taken as 100 ms, as browsers show it. False and a one-line message when
// the file is damaged, with the frames read whole before the damage; no frames for a file that
// is no GIF.
bool cutOutGifFrames(const std::string& file, CutOutAnimation& animation, std::string& error);

// Splits an animated PNG (acTL, fcTL and fdAT chunks) into its frames, each a standalone PNG
// with the file's IHDR at the frame's size, its PLTE and tRNS and the frame's data as IDAT. The
// default image is a frame only when an fcTL precedes its IDAT. Every chunk's length and
// checksum, the sequence numbers and each frame's area are checked. A delay is
// delay_num / delay_den seconds (a denominator of 0 means 100), 0 kept as 0. False and a
// one-line message when the file is damaged; no frames for a PNG without acTL, or not a PNG.
bool cutOutApngFrames(const std::string& file, CutOutAnimation& animation, std::string& error);

// Splits an animated WebP (VP8X with the animation flag, ANMF chunks) into its frames, each a
// standalone WebP; a delay is the frame's duration in milliseconds, 0 kept as 0. False and a
// one-line message when the file is damaged; no frames for a file that is no animated WebP.
bool cutOutWebpFrames(const std::string& file, CutOutAnimation& animation, std::string& error);

// Whether a PNG file has an acTL chunk before its image data, read chunk by chunk from the
// file without loading it.
bool isAnimatedPng(const std::string& path);

// PNG's chunk checksum (CRC-32) of length bytes, continuing crc.
std::uint32_t pngCrc32(const char* data, std::size_t length, std::uint32_t crc = 0);

} // namespace rastix
