#pragma once

#include "codec/encodedpicture.h"
#include "settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rastix {

// The most text one byte of data makes: a byte of a map in GNU as syntax takes ",0xXX" and its
// share of the line's "\t.byte\t", 87 characters for every 16 bytes.
constexpr std::uint64_t kMostTextPerByte = 6;

// The picture as assembly source: a comment header, equates for the object's fields, the pixel
// rows and, for a colour map, the palette.
std::string assemblySource(const EncodedPicture& picture, const Settings& settings,
                           const std::string& sourceName, const std::string& label);

// The parts, for text written while the rows are still being encoded. The header and the
// trailer need only the picture's shape (size, depth, row bytes) and palette, not its data.
std::string assemblyHeader(const EncodedPicture& shape, const Settings& settings,
                           const std::string& sourceName, const std::string& label);
// Appends the text of `count` rows of shape.rowBytes bytes each.
void appendAssemblyRows(std::string& out, const std::uint8_t* rows, int count,
                        const EncodedPicture& shape, const Settings& settings);
// The palette of a --shared-clut or --banks set as assembly source: a comment, the equate
// LABEL_colours and the global table LABEL_clut.
std::string paletteSetAssembly(const std::vector<std::uint16_t>& words, const Settings& settings,
                               const std::string& description, const std::string& label);
std::string assemblyTrailer(const EncodedPicture& shape, const Settings& settings,
                            const std::string& label);

} // namespace rastix
