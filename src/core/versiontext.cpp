#include "versiontext.h"

#include <glyphmill/version.h>

namespace glyphmill {

std::string versionText(int major, int minor, int revision) {
    return std::to_string(major) + '.' + std::to_string(minor) + '.' + std::to_string(revision);
}

std::string programVersionText() {
    return versionText(kVersionMajor, kVersionMinor, kVersionPatch);
}

} // namespace glyphmill
