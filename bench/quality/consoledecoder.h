#pragma once
// What the console shows for the files a conversion wrote, read by the display rules of the
// hardware documentation alone. It knows nothing of the converter, so a mistake the converter
// makes in its words, or in its own idea of the colours they show, is measured, not repeated.
#include "colour.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quality {

using Bytes = std::vector<std::uint8_t>;

// The CRY colour ROMs: the full-intensity red, green and blue of each colour byte.
using CryTable = std::array<Colour, 256>;

enum class WordModel { Rgb16, Cry16 };

// A table of "index,red,green,blue" lines after one header line, every index 0-255 once.
// Throws std::runtime_error naming what is wrong.
CryTable readCryTable(const std::string& path);

// Bits 15-11 red, 10-6 blue, 5-0 green, each put in the top bits of its 8 (no replication).
Colour shownRgb16(std::uint16_t word);

// Bits 15-8 pick the ROM entry, bits 7-0 the intensity Y; the hardware keeps the top byte of
// ROM value times Y.
Colour shownCry16(std::uint16_t word, const CryTable& table);

// The 16-bit word of every pixel, row after row, the row padding dropped.
struct Words {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels;
};

// Big-endian words, each row padded to a whole phrase (8 bytes).
Words readTrueColour(const Bytes& data, int width, int height);

// Indices of bitsPerPixel (1, 2, 4 or 8) packed from the most significant bit, each row padded
// to a whole phrase, looked up in a palette of big-endian words.
Words readMap(const Bytes& map, const Bytes& palette, int width, int height, int bitsPerPixel);

// The bits per pixel whose padded rows make up a map of mapBytes; throws when none or more
// than one does (a narrow picture can fit 1 and 2 bits alike).
int mapBitsFor(std::size_t mapBytes, int width, int height);

// What the words of a conversion look like on screen.
std::vector<Colour> shown(const Words& words, WordModel model, const CryTable& table);

// The words rastix wrote for a width x height picture: NAME.rgb or NAME.cry, or NAME.map with
// its palette NAME.clut beside it, or in palettePath when given (a palette several maps share).
// Which model a map's palette holds the files do not say.
Words readConversion(const std::string& path, int width, int height,
                     const std::string& palettePath = {});

Bytes readFile(const std::string& path);

} // namespace quality
