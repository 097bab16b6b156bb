#pragma once

#include "pictureencoder.h"
#include "settings.h"

#include <string>

namespace rastix {

// The picture as assembly source: a comment header, equates for the object's fields, the pixel
// rows and, for a colour map, the palette.
std::string assemblySource(const EncodedPicture& picture, const Settings& settings,
                           const std::string& sourceName, const std::string& label);

} // namespace rastix
