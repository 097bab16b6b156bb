#pragma once

#include "commandcomposer.h"

#include <string>

namespace glyphmill {

// What the console view needs to show one picture with the window's current choices.
struct ConsoleViewInput {
    const ConversionSettings& settings;
    std::string_view appFolder;
    // The bare name of the previewed picture; the run starts in its folder.
    std::string_view picture;
    const PathConvention& convention;
    // A private, empty folder of the view's own that takes every file the run writes.
    std::string_view outputFolder;
};

// The window's command for the previewed picture alone, changed only where it must be for a
// run nobody asked for: every output goes to `outputFolder` (never the user's target folder,
// and nothing is replaced there), the console's picture and the cost figures are written, and
// no make rules land in the picture's folder. Everything that decides what the console shows
// (model, bits, map, palette, dithering, cut, turn, frames, glass) is as the window composes it.
ComposedCommand composeConsoleViewCommand(const ConsoleViewInput& input);

} // namespace glyphmill
