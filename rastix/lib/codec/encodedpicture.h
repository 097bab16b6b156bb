#pragma once

#include "image/largeblock.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rastix {

// The console-ready form of one picture: rows of big-endian pixel data, each padded to a whole
// phrase (8 bytes) with transparent pixels, plus the palette of a colour map.
struct EncodedPicture {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 16;
    int rowBytes = 0;
    ByteBuffer data;
    std::vector<std::uint16_t> palette; // empty for true colour
    bool transparentIndexZero = false;
    // True colour: word 0 stands only for transparent pixels and the row padding, never for an
    // opaque pixel (see PixelEncoder), so an object may skip it.
    bool zeroWordsTransparent = false;
    bool quantised = false;
    std::size_t sourceColours = 0; // distinct words before any reduction (colour map only)
    // The CLUT entry index 0 addresses, for a map meant for a bank of the CLUT; -1 otherwise.
    int clutStart = -1;
    // A sheet of frames: width, height and rowBytes are those of one frame, and frame k starts
    // frameOffsets[k] bytes into data, where storedFrames frames lie one after another (frames
    // with the same bytes are stored once). Empty for a picture that is not split into frames.
    std::vector<long long> frameOffsets;
    // An animation's frame durations in milliseconds, one a frame; empty for a sheet.
    std::vector<int> frameDelaysMs;
    int storedFrames = 1;
    // With mirrored frames found: 1 where frame k is its stored frame mirrored left to right
    // (shown with REFLECT), 0 elsewhere; empty when they are not looked for.
    std::vector<std::uint8_t> frameReflect;
    // Where the one empty frame lies that every fully transparent frame points at, when they
    // are made to; -1 when no frame is empty.
    long long emptyFrameOffset = -1;
    // How many frames lay side by side in the sheet they were cut from (1 for an animation).
    int frameColumns = 1;

    bool isColourMap() const { return !palette.empty(); }
    int phrasesPerRow() const { return rowBytes / 8; }
    bool framed() const { return !frameOffsets.empty(); }
    long long frameBytes() const { return static_cast<long long>(rowBytes) * height; }
    // The rows data holds: every stored frame's.
    int dataRows() const { return height * storedFrames; }
    int paddedWidth() const { return rowBytes * 8 / bitsPerPixel; }
    // The value of the object's INDEX field for the map's bank: its first CLUT entry / 2.
    int indexField() const { return clutStart / 2; }
};

// Bytes in a row of width pixels of that depth, padded to a whole phrase.
inline int phraseAlignedRowBytes(int width, int bitsPerPixel) {
    const long long bits = static_cast<long long>(width) * bitsPerPixel;
    return static_cast<int>((bits + 63) / 64 * 8);
}

} // namespace rastix
