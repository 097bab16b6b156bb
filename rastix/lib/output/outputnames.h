#pragma once

#include "settings.h"

#include <string>
#include <vector>

namespace rastix {

// File name without folders ("dir/logo.big.bmp" -> "logo.big.bmp"), '/' or '\\' between them.
std::string fileName(const std::string& path);
// File name without folders and without its last extension ("dir/logo.big.bmp" -> "logo.big").
std::string baseName(const std::string& picturePath);
// An assembler identifier from a base name: every character other than a letter, digit or '_'
// becomes '_', and a '_' goes in front of a name that is empty, starts with a digit or is a name
// the 68000 assemblers reserve (a register such as d0, sp, vbr or fp0, or a keyword such as
// equ or set, in any case).
std::string labelFor(const std::string& base);
// The label of a picture's (or a set palette's) source under these settings: labelFor(base),
// and for C also with a '_' in front of a word of C or C++ or a type of <stdint.h>.
std::string sourceLabel(const Settings& settings, const std::string& base);
// Target folder joined with a file name.
std::string joinPath(const std::string& dir, const std::string& name);

// Describes the encoding for headers and messages, e.g. "CRY16 glass (both)".
std::string modelDescription(const Settings& settings);

// Where the binary output of a true-colour picture goes ("base.rgb" or "base.cry").
std::string trueColourBinaryPath(const Settings& settings, const std::string& picturePath);

// Every file a picture writes under these settings, in the order they are committed: "base.s";
// or "base.c" then "base.h"; or "base.rgb" / "base.cry"; or "base.map" then "base.clut" ("base.map"
// alone when its palette is written for a set of pictures), then "base.obj" with --object-header;
// then the copy of its own palette for paint programs.
std::vector<std::string> outputPaths(const Settings& settings, const std::string& picturePath);
// Whether a picture's files hold its palette (a colour map not in a --shared-clut or --banks
// set).
bool writesOwnPalette(const Settings& settings);
// The files of a set's palette, from the settings of its first colour-mapped picture:
// "NAME.clut", "NAME.s", or "NAME.c" then "NAME.h", in its target folder, then the copy for
// paint programs.
std::vector<std::string> paletteSetPaths(const Settings& firstOfSet);
// ".gpl", ".pal", ".act"; empty for none.
std::string paletteCopyExtension(PaletteCopy copy);

// The same text for two paths that name the same file (absolute, normalised, through links;
// without case on Windows), so that clashes can be found before anything is written.
std::string samePlaceKey(const std::string& path);

} // namespace rastix
