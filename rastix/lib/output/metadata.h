#pragma once

#include "codec/encodedpicture.h"
#include "settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace rastix {

// Text as a JSON string, quotes included. JSON must be UTF-8: a byte that is not part of a
// UTF-8 character (a file name in Latin-1, "caf\xe9.png") is written as \u00XX of that byte, so
// that a reader can still tell the bytes apart and a Latin-1 name shows as meant.
std::string jsonString(std::string_view text);

// The description of a picture's output for build scripts and a game's loader (--metadata):
// its source, the files written (named as in the JSON's folder), the object's fields and the
// sizes, each on a line of its own, keys always in the same order. Every number is the one the
// assembly's equates give (see objectFields).
std::string metadataJson(const EncodedPicture& picture, const Settings& settings,
                         const std::string& picturePath, const std::vector<std::string>& outputs,
                         const std::vector<std::string>& warnings);

} // namespace rastix
