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

// Whether a file of this name and size is read as an .act or a .clut, whatever its bytes say:
// these formats have no signature, and their first colours may spell another format's.
bool goesByExtension(const std::string& name, std::uint64_t fileSize);

// parsePaletteFile for the first bytes of a file of fileSize bytes, all that readPaletteFile
// reads of a large PNG: the size of the whole file decides, as it does for any file, whether
// its name makes it an .act or a .clut.
bool parsePaletteStart(const std::string& name, const std::vector<std::uint8_t>& bytes,
                       std::uint64_t fileSize, PaletteFileContents& out, std::string& error);

// The eight bytes every PNG file starts with.
bool startsAsPng(const std::vector<std::uint8_t>& bytes);

// Whether a PNG chunk of this type (four bytes) is one after which parsePngPalette reads no
// further: the palette, or the image data or end that a palette has to come before.
bool pngChunkEndsPaletteSearch(const std::uint8_t* type);

} // namespace rastix::palettefiles
