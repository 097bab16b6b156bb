#pragma once

#include "convert/loadedpicture.h"

#include <cstdint>
#include <string>

namespace rastix {

// Whether a file is to be read as a Truevision TGA picture: TGA has no signature at its start,
// so this goes by the name (.tga, .tpic, .icb, .vda, .vst; unless the file starts with another
// format's signature) or by the TGA 2.0 footer.
bool isTgaPicture(const std::string& path);

// Decodes a TGA picture (colour-mapped, true colour or grey; 8 to 32 bits; uncompressed or
// run-length encoded; any origin) into 0xAARRGGBB pixels. A file that ends before its pixel
// data does, or whose header asks for more than maxPixelBytes of decoded pixels (0: no limit),
// is refused before anything is allocated for it; so is one the caller's admission refuses
// (see LoadedPicture::admit), which is asked once the file is known to be whole.
bool loadTga(const std::string& path, LoadedPicture& picture, std::string& error,
             std::uint64_t maxPixelBytes);

} // namespace rastix
