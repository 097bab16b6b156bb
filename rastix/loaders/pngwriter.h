#pragma once

#include "codec/consoleview.h"
#include "image/largeblock.h"

#include <string>

namespace rastix {

// A PngEncoder through Qt's PNG writer: the picture as 8-bit RGB, no alpha.
bool encodePng(const ShownPicture& picture, ByteBuffer& png, std::string& error);

} // namespace rastix
