#pragma once

#include "settings.h"

#include <cstddef>
#include <string>
#include <vector>

namespace rastix {

// File name without folders ("dir/logo.big.bmp" -> "logo.big.bmp"), '/' or '\\' between them.
std::string fileName(const std::string& path);
// File name without folders and without its last extension ("dir/logo.big.bmp" -> "logo.big").
std::string baseName(const std::string& picturePath);
// An assembler identifier from a base name: ASCII letters and digits stay, other ASCII becomes
// '_', a Latin letter with a diacritic becomes its ASCII letter ("e" for e-acute, "ss" for the
// sharp s), any other character becomes uXXXX (its code point in hex, at least 4 digits) and a
// byte that is not UTF-8 becomes xHH; then a '_' goes in front of a name that is empty, starts
// with a digit or is a name the 68000 assemblers reserve (a register such as d0, sp, vbr or
// fp0, or a keyword such as equ or set, in any case). A label longer than kLongestLabel (a
// name of hundreds of characters outside ASCII) keeps its start and ends in '_' and 8 hex
// digits of a hash of the whole name.
constexpr std::size_t kLongestLabel = 800;
std::string labelFor(const std::string& base);
// What can define global names: a picture's own file, or the palette file of the --shared-clut
// or --banks set the picture is the first colour map of.
enum class NamedOutput { Picture, PaletteSet };
// Every global name an output defines under these settings, for finding two that would clash
// when linked: LABEL, LABEL_end and, for a map with its own palette, LABEL_clut and
// LABEL_clut_end; a set's NAME_clut and NAME_clut_end; and with --export-equates its equates
// (LABEL_index wherever a bank may be chosen); a sheet's or (animated) an animation's tables.
// Binary files define none.
std::vector<std::string> globalNames(const Settings& settings, const std::string& picturePath,
                                     NamedOutput output, bool animated = false);
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
// then the copy of its own palette for paint programs; then with --show-png "base.shown.png";
// then with --metadata "base.json", which describes the others.
std::vector<std::string> outputPaths(const Settings& settings, const std::string& picturePath);
std::string shownPngPath(const Settings& settings, const std::string& picturePath);
std::string metadataPath(const Settings& settings, const std::string& picturePath);
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
