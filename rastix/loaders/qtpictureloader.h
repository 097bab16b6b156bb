#pragma once

#include "convert/loadedpicture.h"

namespace rastix {

// Decodes any format Qt's image readers know into 32-bit ARGB, without a copy when the decoder
// already produces that layout. Given a row sink, a JPEG or an opaque PNG is streamed into it row
// by row instead (see jpegstream.h, pngstream.h), and only its size is kept.
// Qt's readers refuse any picture above 128 MB unless told otherwise; rastix weighs each
// picture against the memory it has itself (see LoadedPicture::admit), so Qt's limit only
// guards readers that cannot tell a picture's size before decoding it. Not thread-safe: call
// before converting.
void allowDecodingUpTo(std::uint64_t bytes);

bool loadPictureWithQt(const std::string& path, LoadedPicture& picture, std::string& error,
                       int threads = 1);

} // namespace rastix
