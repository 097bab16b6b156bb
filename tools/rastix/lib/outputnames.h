#pragma once

#include "settings.h"

#include <string>

namespace rastix {

// File name without folders and without its last extension ("dir/logo.big.bmp" -> "logo.big").
std::string baseName(const std::string& picturePath);
// An assembler identifier from a base name: letters, digits and '_', not starting with a digit.
std::string labelFor(const std::string& base);
// Target folder joined with a file name.
std::string joinPath(const std::string& dir, const std::string& name);

// Describes the encoding for headers and messages, e.g. "CRY16 glass (both)".
std::string modelDescription(const Settings& settings);

// Where the binary output of a true-colour picture goes ("base.rgb" or "base.cry").
std::string trueColourBinaryPath(const Settings& settings, const std::string& picturePath);

} // namespace rastix
