#pragma once

#include "convert/loadedpicture.h"

#include <string>

namespace rastix {

// Decodes a picture into 32-bit ARGB: TGA by stb_image (see tgareader.h), anything else by Qt's
// image readers (see qtreader.h). Given a row sink, a JPEG or an opaque PNG is streamed into it
// row by row instead by libjpeg or libpng (see jpegreader.h, pngreader.h), and only its size is
// kept. A PictureLoader: threads is not used, every reader decodes on one core.
bool loadPicture(const std::string& path, LoadedPicture& picture, std::string& error,
                 int threads = 1);

} // namespace rastix
