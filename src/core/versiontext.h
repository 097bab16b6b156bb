#pragma once

#include <string>

namespace glyphmill {

// "major.minor.revision", each number in plain decimal.
std::string versionText(int major, int minor, int revision);

// This program's own version, from the project version the build was configured with.
std::string programVersionText();

} // namespace glyphmill
