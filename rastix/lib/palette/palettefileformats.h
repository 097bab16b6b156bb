#pragma once

// The readers of each palette file format, behind parsePaletteFile (palettefile.h), which
// chooses among them. Each fills colours and returns true, or says in error, in one line and
// without the file's name, why the file cannot be read; it checks the format but not the count
// of colours, which parsePaletteFile judges alike for all.

#include "palette/palettefile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rastix::palettefiles {

// Text formats, from their first line on (a byte order mark already passed over).
bool parseGimpPalette(std::string_view text, std::vector<RgbColour>& colours, std::string& error);
bool parseJascPalette(std::string_view text, std::vector<RgbColour>& colours, std::string& error);

// Pictures, whole files that start with their signatures.
bool parsePngPalette(const std::vector<std::uint8_t>& bytes, std::vector<RgbColour>& colours,
                     std::string& error);
bool parseGifPalette(const std::vector<std::uint8_t>& bytes, std::vector<RgbColour>& colours,
                     std::string& error);

// The eight bytes every PNG file starts with.
bool startsAsPng(const std::vector<std::uint8_t>& bytes);

// Whether a PNG chunk of this type (four bytes) is one after which parsePngPalette reads no
// further: the palette, or the image data or end that a palette has to come before.
bool pngChunkEndsPaletteSearch(const std::uint8_t* type);

} // namespace rastix::palettefiles
