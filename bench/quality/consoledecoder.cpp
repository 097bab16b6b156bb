#include "consoledecoder.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace quality {

namespace {

constexpr std::size_t kPhraseBytes = 8;

std::size_t paddedRowBytes(int width, int bitsPerPixel) {
    const std::size_t bits =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel);
    const std::size_t bytes = (bits + 7) / 8;
    return (bytes + kPhraseBytes - 1) / kPhraseBytes * kPhraseBytes;
}

void requireSize(const Bytes& data, int width, int height, int bitsPerPixel, const char* what) {
    const std::size_t expected =
        paddedRowBytes(width, bitsPerPixel) * static_cast<std::size_t>(height);
    if (data.size() != expected)
        throw std::runtime_error(std::string(what) + " holds " + std::to_string(data.size()) +
                                 " bytes, not the " + std::to_string(expected) + " of " +
                                 std::to_string(width) + "x" + std::to_string(height) +
                                 " pixels of " + std::to_string(bitsPerPixel) +
                                 " bits in rows of whole phrases");
}

std::uint16_t bigEndianWord(const Bytes& data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]);
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

CryTable readCryTable(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    CryTable table{};
    std::array<bool, 256> seen{};
    std::string line;
    std::getline(in, line); // the column names
    int lineNumber = 1;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.empty())
            continue;
        std::istringstream fields(line);
        int index = -1;
        Colour c{-1, -1, -1};
        char comma1 = 0, comma2 = 0, comma3 = 0;
        fields >> index >> comma1 >> c.red >> comma2 >> c.green >> comma3 >> c.blue;
        const auto inByte = [](int v) {
            return v >= 0 && v <= 255;
        };
        if (!fields || comma1 != ',' || comma2 != ',' || comma3 != ',' || !inByte(index) ||
            !inByte(c.red) || !inByte(c.green) || !inByte(c.blue) || seen[index])
            throw std::runtime_error(path + ":" + std::to_string(lineNumber) +
                                     ": not a new index,red,green,blue line of bytes");
        seen[index] = true;
        table[index] = c;
    }
    for (int i = 0; i < 256; ++i)
        if (!seen[i])
            throw std::runtime_error(path + ": no line for colour byte " + std::to_string(i));
    return table;
}

Colour shownRgb16(std::uint16_t word) {
    return {(word >> 11) << 3, (word & 0x3F) << 2, ((word >> 6) & 0x1F) << 3};
}

Colour shownCry16(std::uint16_t word, const CryTable& table) {
    const Colour& full = table[word >> 8];
    const int y = word & 0xFF;
    return {full.red * y >> 8, full.green * y >> 8, full.blue * y >> 8};
}

Words readTrueColour(const Bytes& data, int width, int height) {
    requireSize(data, width, height, 16, "the true-colour file");
    const std::size_t rowBytes = paddedRowBytes(width, 16);
    Words words{width, height, {}};
    words.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            words.pixels.push_back(bigEndianWord(data, static_cast<std::size_t>(y) * rowBytes +
                                                           2 * static_cast<std::size_t>(x)));
    return words;
}

Words readMap(const Bytes& map, const Bytes& palette, int width, int height, int bitsPerPixel) {
    if (bitsPerPixel != 1 && bitsPerPixel != 2 && bitsPerPixel != 4 && bitsPerPixel != 8)
        throw std::runtime_error("a map has 1, 2, 4 or 8 bits per pixel, not " +
                                 std::to_string(bitsPerPixel));
    requireSize(map, width, height, bitsPerPixel, "the map");
    if (palette.empty() || palette.size() % 2 != 0 || palette.size() > 2 * 256)
        throw std::runtime_error("the palette holds " + std::to_string(palette.size()) +
                                 " bytes, not 1 to 256 words");
    const std::size_t entries = palette.size() / 2;
    const std::size_t rowBytes = paddedRowBytes(width, bitsPerPixel);
    const unsigned mask = (1u << bitsPerPixel) - 1;
    Words words{width, height, {}};
    words.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t bit =
                static_cast<std::size_t>(x) * static_cast<std::size_t>(bitsPerPixel);
            const std::uint8_t byte = map[static_cast<std::size_t>(y) * rowBytes + bit / 8];
            // The leftmost pixel sits in the most significant bits of its byte.
            const unsigned index = byte >> (8 - bitsPerPixel - bit % 8) & mask;
            if (index >= entries)
                throw std::runtime_error("pixel " + std::to_string(x) + "," + std::to_string(y) +
                                         " takes palette entry " + std::to_string(index) + " of " +
                                         std::to_string(entries));
            words.pixels.push_back(bigEndianWord(palette, 2 * index));
        }
    return words;
}

int mapBitsFor(std::size_t mapBytes, int width, int height) {
    int found = 0;
    for (const int bits : {1, 2, 4, 8})
        if (paddedRowBytes(width, bits) * static_cast<std::size_t>(height) == mapBytes) {
            if (found != 0)
                throw std::runtime_error("a map of " + std::to_string(mapBytes) + " bytes fits " +
                                         std::to_string(found) + " and " + std::to_string(bits) +
                                         " bits per pixel alike");
            found = bits;
        }
    if (found == 0)
        throw std::runtime_error("a map of " + std::to_string(mapBytes) + " bytes fits no " +
                                 std::to_string(width) + "x" + std::to_string(height) +
                                 " picture of 1, 2, 4 or 8 bits per pixel");
    return found;
}

std::vector<Colour> shown(const Words& words, WordModel model, const CryTable& table) {
    std::vector<Colour> colours;
    colours.reserve(words.pixels.size());
    for (const std::uint16_t w : words.pixels)
        colours.push_back(model == WordModel::Rgb16 ? shownRgb16(w) : shownCry16(w, table));
    return colours;
}

Words readConversion(const std::string& path, int width, int height,
                     const std::string& palettePath) {
    if (!palettePath.empty() && !endsWith(path, ".map"))
        throw std::runtime_error("a palette is given, but " + path + " is no NAME.map");
    if (endsWith(path, ".rgb") || endsWith(path, ".cry"))
        return readTrueColour(readFile(path), width, height);
    if (endsWith(path, ".map")) {
        const Bytes map = readFile(path);
        const std::string besideMap = path.substr(0, path.size() - 4) + ".clut";
        return readMap(map, readFile(palettePath.empty() ? besideMap : palettePath), width, height,
                       mapBitsFor(map.size(), width, height));
    }
    throw std::runtime_error(path + " is none of NAME.rgb, NAME.cry or NAME.map");
}

} // namespace quality
