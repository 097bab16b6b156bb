#pragma once

#include <bitset>
#include <memory>
#include <optional>
#include <string>

namespace rastix {

enum class ColourModel { Rgb16, Cry16 };
enum class OutputFormat { Assembly, Binary, C };
enum class CryEncoding { Normal, Glass };
enum class KeptDeltas { Positive, Negative, Both };
// Dialect of assembly source: MADMAC-style (Atari's assembler and its descendants) or GNU as.
enum class AsmSyntax { Madmac, Gas };
// How the error left by fewer colours is spread: not at all, by a fixed threshold pattern (stable
// from one animation frame to the next), or by diffusing it to the neighbours.
enum class Dither { None, Ordered, Diffusion };

// How a colour map's palette is chosen: for the picture alone, once for a set of pictures, or
// as a bank of its own in one CLUT made for a set.
enum class PaletteSharing { Own, SharedClut, Banks };
// The copy of every written palette made for paint programs.
enum class PaletteCopy { None, Gpl, JascPal, Act };

// A palette file read for --palette (see palette/palettefile.h), and the palette a set of
// pictures was given before they are converted (see palette/plannedpalette.h).
struct PaletteFileContents;
struct PlannedPalette;

// A rectangle taken from the source picture before any rotation.
struct CutFrame {
    int x = 0;
    int y = 0;
    int width = 1;
    int height = 1;
    bool operator==(const CutFrame&) const = default;
};

// How a sprite sheet is split into frames: frames of width x height pixels, or count frames
// side by side (then width and height are 0).
struct FrameSize {
    int width = 0;
    int height = 0;
    int count = 0;
    bool operator==(const FrameSize&) const = default;
};

// The settings in force for one picture: every option seen on the command line before it.
struct Settings {
    ColourModel model = ColourModel::Rgb16;
    OutputFormat format = OutputFormat::Assembly;
    bool colourMap = false;
    bool optimiseMapDepth = false;
    int mapColours = 256; // the most palette entries, a transparent one included
    Dither dither = Dither::None;
    bool overwrite = false;
    bool fifteenBits = false;
    bool grayOnly = false;
    CryEncoding cryEncoding = CryEncoding::Normal;
    KeptDeltas kept = KeptDeltas::Both;
    AsmSyntax syntax = AsmSyntax::Madmac;
    // The equates (LABEL_width, ...) made global, for other modules to use.
    bool exportEquates = false;
    int rotateDegrees = 0;
    std::optional<CutFrame> cut;
    // The picture (after the cut) is a grid of frames, each converted as a picture of its own
    // (turned on its own) and written one after another.
    std::optional<FrameSize> frames;
    // A frame that is another frame mirrored left to right is stored once, shown with REFLECT.
    bool mirrorFrames = false;
    // Fully transparent frames all point at one empty frame, stored after the others.
    bool dropEmptyFrames = false;
    std::string targetDir; // empty: the current folder
    // CLUT entries never chosen or used.
    std::bitset<256> reservedEntries;
    // The palette to map onto instead of choosing one, and the file it came from.
    std::shared_ptr<const PaletteFileContents> givenPalette;
    std::string givenPaletteFile;
    // The bank of the CLUT a map of 1, 2 or 4 bits is meant for; -1: none.
    int bank = -1;
    PaletteSharing sharing = PaletteSharing::Own;
    // The shared palette's (or the banks' CLUT's) name, and which set of pictures it is: each
    // --shared-clut or --banks starts one.
    std::string paletteSetName;
    int paletteSet = 0;
    PaletteCopy paletteCopy = PaletteCopy::None;
    // NAME.json beside the outputs, describing them for build scripts.
    bool metadata = false;
    // NAME.shown.png beside the outputs: the picture as the console shows the words written.
    bool showPng = false;
    // Converted only when an output is missing or older than what it is made from.
    bool update = false;
    // Whether the picture's files hold a ready bitmap object for it, too.
    bool objectHeader = false;
    // Filled in by the run, for a picture whose palette was decided with others.
    std::shared_ptr<const PlannedPalette> planned;
    bool operator==(const Settings&) const = default;
};

// Relative CRY: the words hold changes to what the line buffer has, not colours.
inline bool glassCry(const Settings& s) {
    return s.model == ColourModel::Cry16 && s.cryEncoding == CryEncoding::Glass;
}

} // namespace rastix
