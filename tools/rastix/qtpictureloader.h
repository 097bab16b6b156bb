#pragma once

#include "converter.h"

namespace rastix {

// Decodes any format Qt's image readers know into 32-bit ARGB, without a copy when the decoder
// already produces that layout. Given a row sink, a JPEG is streamed into it row by row instead
// (see jpegstream.h), and only its size is kept.
bool loadPictureWithQt(const std::string& path, LoadedPicture& picture, std::string& error,
                       int threads = 1);

} // namespace rastix
