// Palettes kept in pictures: the PLTE chunk of an indexed PNG, the colour table of a GIF. Only
// the blocks before the palette are walked; pixels are never decoded.
#include "palette/palettefileformats.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

namespace rastix::palettefiles {

namespace {

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

bool isType(const std::uint8_t* type, const char* name) {
    return std::memcmp(type, name, 4) == 0;
}

// "its tEXt chunk", naming the type only when it is four letters, as a valid one is: anything
// else could put a line break into the message.
std::string chunkName(const std::uint8_t* type) {
    for (int i = 0; i < 4; ++i) {
        const bool letter =
            (type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z');
        if (!letter)
            return "a chunk";
    }
    return "its " + std::string(reinterpret_cast<const char*>(type), 4) + " chunk";
}

std::vector<RgbColour> coloursAt(const std::uint8_t* p, std::size_t count) {
    std::vector<RgbColour> colours(count);
    for (std::size_t i = 0; i < count; ++i)
        colours[i] = {p[3 * i], p[3 * i + 1], p[3 * i + 2]};
    return colours;
}

// What an indexed PNG's IHDR (13 bytes) says; false with the reason for any other.
bool readPngHeader(const std::uint8_t* data, std::uint32_t length, unsigned& bitDepth,
                   std::string& error) {
    if (length != 13) {
        error = "has an IHDR chunk of " + std::to_string(length) + " bytes, not 13";
        return false;
    }
    const unsigned colourType = data[9];
    bitDepth = data[8];
    if (colourType != 3) {
        error = "is not an indexed PNG (its colour type is " + std::to_string(colourType) + ")";
        return false;
    }
    if (bitDepth != 1 && bitDepth != 2 && bitDepth != 4 && bitDepth != 8) {
        error = "is an indexed PNG of bit depth " + std::to_string(bitDepth) +
                ", which the format does not have";
        return false;
    }
    if (bigEndian32(data) == 0 || bigEndian32(data + 4) == 0) {
        error = "is a PNG without pixels (its IHDR gives a width or height of 0)";
        return false;
    }
    return true;
}

bool readPngPalette(const std::uint8_t* data, std::uint32_t length, unsigned bitDepth,
                    std::vector<RgbColour>& colours, std::string& error) {
    if (length % 3 != 0) {
        error = "has a PLTE chunk of " + std::to_string(length) + " bytes, not whole colours";
        return false;
    }
    const std::size_t count = length / 3;
    if (count == 0 || count > kMostPaletteColours) {
        error = "has a PLTE chunk of " + std::to_string(count) + " colours, not 1 to 256";
        return false;
    }
    // Entries past what the bit depth can index are never shown; libpng drops them too.
    colours = coloursAt(data, std::min<std::size_t>(count, std::size_t{1} << bitDepth));
    return true;
}

} // namespace

bool startsAsPng(const std::vector<std::uint8_t>& bytes) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

bool pngChunkEndsPaletteSearch(const std::uint8_t* type) {
    return isType(type, "PLTE") || isType(type, "IDAT") || isType(type, "IEND");
}

// Chunks are walked by their lengths, each held to what is left of the file; their CRCs are not
// checked: only IHDR and PLTE are read, and both are checked for sense on their own.
bool parsePngPalette(const std::vector<std::uint8_t>& bytes, std::vector<RgbColour>& colours,
                     std::string& error) {
    unsigned bitDepth = 0;
    bool headerSeen = false;
    for (std::size_t at = 8;;) {
        if (bytes.size() - at < 8) {
            error = at == bytes.size() ? "ends before its palette (PLTE chunk)"
                                       : "ends inside a chunk's header";
            return false;
        }
        const std::uint32_t length = bigEndian32(&bytes[at]);
        const std::uint8_t* type = &bytes[at + 4];
        if (!headerSeen && !isType(type, "IHDR")) {
            error = "is a PNG that does not start with its IHDR chunk";
            return false;
        }
        if (headerSeen && (isType(type, "IDAT") || isType(type, "IEND"))) {
            error = "is an indexed PNG without a palette (no PLTE chunk before its pixels)";
            return false;
        }
        at += 8;
        if (length > 0x7FFFFFFFu) {
            error = "declares a chunk longer than a PNG chunk can be";
            return false;
        }
        if (bytes.size() - at < std::size_t{length} + 4) {
            error = "ends inside " + chunkName(type);
            return false;
        }
        const std::uint8_t* data = &bytes[at];
        if (!headerSeen) {
            if (!readPngHeader(data, length, bitDepth, error))
                return false;
            headerSeen = true;
        } else if (isType(type, "IHDR")) {
            error = "is a PNG with a second IHDR chunk";
            return false;
        } else if (isType(type, "PLTE")) {
            return readPngPalette(data, length, bitDepth, colours, error);
        }
        at += std::size_t{length} + 4;
    }
}

// The GIF89a layout: a 6-byte signature, a 7-byte logical screen descriptor whose flags (byte 10)
// tell of a global colour table of 2^(n+1) entries right after it; then extensions (0x21, a
// label, data sub-blocks up to an empty one) and images (0x2C, a 9-byte descriptor whose last
// byte flags a local colour table the same way) up to the trailer (0x3B).
bool parseGifPalette(const std::vector<std::uint8_t>& bytes, std::vector<RgbColour>& colours,
                     std::string& error) {
    const auto tableSize = [](std::uint8_t flags) {
        return (flags & 0x80) ? std::size_t{2} << (flags & 7) : std::size_t{0};
    };
    const std::size_t size = bytes.size();
    if (size < 13) {
        error = "ends inside its screen descriptor";
        return false;
    }
    if (const std::size_t global = tableSize(bytes[10])) {
        if (size - 13 < 3 * global) {
            error = "ends inside its global colour table";
            return false;
        }
        colours = coloursAt(&bytes[13], global);
        return true;
    }
    for (std::size_t at = 13;;) {
        if (at >= size) {
            error = "ends before its first image";
            return false;
        }
        const std::uint8_t block = bytes[at];
        if (block == 0x21) {
            at += 2; // the introducer and the label
            for (;;) {
                if (at >= size) {
                    error = "ends inside an extension block";
                    return false;
                }
                const std::size_t subBlock = bytes[at];
                at += 1 + subBlock;
                if (subBlock == 0)
                    break;
            }
        } else if (block == 0x2C) {
            if (size - at < 10) {
                error = "ends inside its first image's descriptor";
                return false;
            }
            const std::size_t local = tableSize(bytes[at + 9]);
            if (local == 0) {
                error = "is a GIF without a colour table (neither a global one nor one of its "
                        "first image)";
                return false;
            }
            if (size - at - 10 < 3 * local) {
                error = "ends inside its first image's colour table";
                return false;
            }
            colours = coloursAt(&bytes[at + 10], local);
            return true;
        } else if (block == 0x3B) {
            error = "is a GIF that holds no image and no global colour table";
            return false;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", unsigned(block));
            error =
                "holds a block of unknown kind (" + std::string(code) + ") before its first image";
            return false;
        }
    }
}

} // namespace rastix::palettefiles
