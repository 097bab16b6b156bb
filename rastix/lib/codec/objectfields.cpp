#include "codec/objectfields.h"

namespace rastix {

int depthField(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
        return 0;
    case 2:
        return 1;
    case 4:
        return 2;
    case 8:
        return 3;
    default:
        return 4;
    }
}

ObjectFields objectFields(const EncodedPicture& p, bool ownPalette) {
    ObjectFields f;
    f.width = p.width;
    f.height = p.height;
    f.bitsPerPixel = p.bitsPerPixel;
    f.depth = depthField(p.bitsPerPixel);
    f.phrases = p.phrasesPerRow();
    f.dwidth = f.phrases;
    f.iwidth = f.phrases;
    f.index = p.clutStart >= 0 ? p.indexField() : 0;
    // Index 0 of a map is transparent exactly when the picture has transparent pixels or its
    // rows are padded; then the object must skip value 0. True colour skips word 0 unless an
    // opaque pixel (black, in a picture without transparent pixels) was written as it.
    f.trans = p.isColourMap() ? p.transparentIndexZero : p.zeroWordsTransparent;
    f.dataBytes = static_cast<long long>(p.rowBytes) * p.dataRows();
    if (p.isColourMap() && ownPalette) {
        f.paletteEntries = static_cast<int>(p.palette.size());
        f.paletteBytes = 2LL * f.paletteEntries;
    }
    return f;
}

BitmapObject bitmapObject(const ObjectFields& f) {
    BitmapObject o;
    // Phrase 0: DATA 63-43, LINK 42-24, HEIGHT 23-14, YPOS 13-3, TYPE 2-0 (0: bitmap).
    o.phrase0 = static_cast<std::uint64_t>(f.height & 0x3FF) << 14;
    // Phrase 1: TRANS 47, INDEX 44-38, IWIDTH 37-28, DWIDTH 27-18, PITCH 17-15, DEPTH 14-12,
    // XPOS 11-0.
    o.phrase1 = (static_cast<std::uint64_t>(f.trans ? 1 : 0) << 47) |
                (static_cast<std::uint64_t>(f.index & 0x7F) << 38) |
                (static_cast<std::uint64_t>(f.iwidth & 0x3FF) << 28) |
                (static_cast<std::uint64_t>(f.dwidth & 0x3FF) << 18) |
                (static_cast<std::uint64_t>(f.pitch & 7) << 15) |
                (static_cast<std::uint64_t>(f.depth & 7) << 12);
    return o;
}

std::array<std::uint8_t, 16> bitmapObjectBytes(const BitmapObject& o) {
    std::array<std::uint8_t, 16> bytes{};
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<std::uint8_t>(o.phrase0 >> (56 - 8 * i));
        bytes[8 + i] = static_cast<std::uint8_t>(o.phrase1 >> (56 - 8 * i));
    }
    return bytes;
}

} // namespace rastix
