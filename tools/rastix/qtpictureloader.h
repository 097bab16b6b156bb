#pragma once

#include "converter.h"

namespace rastix {

// Decodes any format Qt's image readers know into 32-bit ARGB, without a copy when the decoder
// already produces that layout.
bool loadPictureWithQt(const std::string& path, LoadedPicture& picture, std::string& error);

} // namespace rastix
