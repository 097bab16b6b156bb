#pragma once

#include "output/output.h"
#include "settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rastix {

// The copy of a palette for paint programs (settings.paletteCopy), at path: each word as the
// colour the console shows for it.
OutputFile paletteCopyFile(const std::vector<std::uint16_t>& words, const Settings& settings,
                           const std::string& path, const std::string& name);

// The files of a --shared-clut or --banks set's palette (see paletteSetPaths), made under the
// settings of the set's first colour map: NAME.clut or NAME.s, and its copy.
std::vector<OutputFile> paletteSetFiles(const std::vector<std::uint16_t>& words,
                                        const Settings& firstOfSet, const std::string& description);

} // namespace rastix
