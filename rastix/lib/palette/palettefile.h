#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rastix {

struct RgbColour {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const RgbColour&) const = default;
};

// What a palette file holds: either the console words of a .clut that rastix wrote (big-endian
// 16-bit words, kept exactly; which colour model they are in is the caller's to know), or RGB
// colours (every other format).
struct PaletteFileContents {
    bool holdsWords = false;
    std::vector<std::uint16_t> words; // when holdsWords
    std::vector<RgbColour> colours;   // otherwise
};

// The most colours (or words) a palette holds: the console's colour lookup has 256 entries.
constexpr std::size_t kMostPaletteColours = 256;

// The most of a file readPaletteFile reads: far more than any palette needs, but an indexed PNG
// may put large chunks (a colour profile, text) before its palette.
constexpr std::uint64_t kMostPaletteFileBytes = std::uint64_t{16} << 20;

// From the bytes of a file and its name (a path or a bare name: only its extension is used).
// The formats without a signature go by extension and size: ".act" (Adobe colour table, 768
// bytes, or 772 with the count of colours in use) and ".clut" (the words rastix writes, 2 to
// 512 bytes). The others go by content: an indexed PNG (its PLTE chunk), a GIF (its global
// colour table, else the first image's local one), a GIMP palette ("GIMP Palette"), a JASC-PAL
// palette (PaintShop Pro). On success out is replaced and error cleared; on failure out is left
// as it was and error says why in one line, without the file's name (the caller puts it in
// front).
bool parsePaletteFile(const std::string& name, const std::vector<std::uint8_t>& bytes,
                      PaletteFileContents& out, std::string& error);

// Reads the file at a UTF-8 path and parses it. Only regular files are opened (a pipe would
// wait, a device would not end); of a PNG only the chunks up to its palette are read, of other
// files all of it: either within kMostPaletteFileBytes.
bool readPaletteFile(const std::string& path, PaletteFileContents& out, std::string& error);

enum class PaletteFileFormat { Gpl, JascPal, Act };

// The bytes of a palette file holding colours (up to kMostPaletteColours: any further ones are
// not written); name goes into the .gpl "Name:" line. The .act is the 772-byte form, with the
// count of colours and no transparent entry (0xFFFF), so that fewer than 256 colours come back
// as they were.
std::vector<std::uint8_t> writePaletteFile(PaletteFileFormat format,
                                           const std::vector<RgbColour>& colours,
                                           const std::string& name);

// "gpl", "pal", "act" -> format; false for anything else.
bool paletteFileFormatFromName(const std::string& text, PaletteFileFormat& format);

// ".gpl", ".pal", ".act".
std::string paletteFileExtension(PaletteFileFormat format);

} // namespace rastix
