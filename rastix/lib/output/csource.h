#pragma once

#include "codec/encodedpicture.h"
#include "settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rastix {

// The picture as C: PICTURE.h with its constants (the equates of the assembly, as #define) and
// the declarations of its arrays, PICTURE.c with the arrays, phrase-aligned. A compiler for
// the 68000 stores their words big-endian, as the console reads them.

// The names of the arrays the C defines: LABEL, then LABEL_clut (a map's own palette) and
// LABEL_object (with --object-header).
std::vector<std::string> cArrayNames(const EncodedPicture& shape, const Settings& settings,
                                     const std::string& label);

std::string cHeaderFile(const EncodedPicture& shape, const Settings& settings,
                        const std::string& sourceName, const std::string& label);

// PICTURE.c in parts, as sourcetext.h puts them together: the header up to the opening of the
// data's array, the rows, then the end of that array and the palette's and the object's.
std::string cSourceHeader(const EncodedPicture& shape, const Settings& settings,
                          const std::string& sourceName, const std::string& label);
void appendCRows(std::string& out, const std::uint8_t* rows, int count,
                 const EncodedPicture& shape);
std::string cSourceTrailer(const EncodedPicture& shape, const Settings& settings,
                           const std::string& label);

// The palette of a --shared-clut or --banks set: NAME.h with LABEL_colours and the declaration
// of LABEL_clut, NAME.c with the table.
std::string paletteSetCHeader(const std::vector<std::uint16_t>& words, const Settings& settings,
                              const std::string& description, const std::string& label);
std::string paletteSetCSource(const std::vector<std::uint16_t>& words, const Settings& settings,
                              const std::string& description, const std::string& label,
                              const std::string& headerFile);

} // namespace rastix
