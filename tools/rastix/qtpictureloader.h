#pragma once

#include "converter.h"

namespace rastix {

// Decodes any format Qt's image readers know into 32-bit ARGB, without a copy when the decoder
// already produces that layout. A large picture whose reader can decode parts of it (JPEG) is
// decoded in horizontal bands on up to `threads` cores.
bool loadPictureWithQt(const std::string& path, LoadedPicture& picture, std::string& error,
                       int threads = 1);

} // namespace rastix
