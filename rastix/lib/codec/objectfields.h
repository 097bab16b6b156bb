#pragma once

#include "codec/encodedpicture.h"

#include <array>
#include <cstdint>

namespace rastix {

// What a bitmap object of the object processor needs to show an encoded picture: the values of
// its fields, and the sizes a build script or a game's loader asks for. Every output (assembly
// equates, C constants, the metadata, the ready object) takes them from here, so they agree.
struct ObjectFields {
    int width = 0;  // pixels
    int height = 0; // lines: the object's HEIGHT
    int bitsPerPixel = 16;
    int depth = 4;   // DEPTH: 0 = 1 bit ... 4 = 16 bits
    int phrases = 0; // phrases per line: DWIDTH and IWIDTH
    int dwidth = 0;
    int iwidth = 0;
    int pitch = 1;           // PITCH: phrases are contiguous
    int index = 0;           // INDEX: a bank's first CLUT entry / 2, else 0
    bool trans = false;      // TRANS: pixels of value 0 are not drawn
    long long dataBytes = 0; // the pixel rows, padding included
    int paletteEntries = 0;  // words of the palette written with the picture (0: none)
    long long paletteBytes = 0;
};

ObjectFields objectFields(const EncodedPicture& picture, bool ownPalette);

// The object's DEPTH field for a number of bits per pixel.
int depthField(int bitsPerPixel);

// The two phrases of a bitmap object for these fields, DATA, LINK, YPOS and XPOS left 0 for the
// game to fill in: phrase 0 holds HEIGHT and TYPE 0, phrase 1 DEPTH, PITCH, DWIDTH, IWIDTH,
// INDEX and TRANS.
struct BitmapObject {
    std::uint64_t phrase0 = 0;
    std::uint64_t phrase1 = 0;
};
BitmapObject bitmapObject(const ObjectFields& fields);
// The object as the console reads it from memory: phrase 0 then phrase 1, each big-endian.
std::array<std::uint8_t, 16> bitmapObjectBytes(const BitmapObject& object);

} // namespace rastix
