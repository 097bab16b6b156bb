#pragma once

#include "codec/pixelcodec.h"
#include "image/image.h"
#include "settings.h"

#include <cstdint>
#include <vector>

namespace rastix {

// Whether the settings ask for dithering that can be done: relative CRY is left alone, since
// the colour it shows depends on what lies beneath it in the line buffer.
bool dithers(const Settings& settings);

// The colour the console shows for a word of RGB16 or absolute CRY.
Rgb shownColour(std::uint16_t word, const Settings& settings);

// True colour with dithering: writes the big-endian words of rows [firstRow, lastRow) of the
// picture into data (rowBytes apart), leaving transparent pixels and padding untouched.
// Ordered dithering depends only on each pixel and its place, so bands may run on several
// threads; diffusion carries error from row to row and must be given the whole picture.
void ditherTrueColourRows(const ImageView& image, const Settings& settings,
                          const PixelEncoder& encoder, int firstRow, int lastRow,
                          std::uint8_t* data, int rowBytes);

// Colour map with dithering: the palette index of every pixel, row after row (width apart);
// transparent pixels get index 0. Only entries from firstColour on are chosen.
std::vector<std::uint8_t> ditherToPalette(const ImageView& image, const Settings& settings,
                                          const std::vector<std::uint16_t>& palette,
                                          std::size_t firstColour);

} // namespace rastix
