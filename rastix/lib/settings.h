#pragma once

#include <optional>
#include <string>

namespace rastix {

enum class ColourModel { Rgb16, Cry16 };
enum class OutputFormat { Assembly, Binary };
enum class CryEncoding { Normal, Glass };
enum class KeptDeltas { Positive, Negative, Both };
// Dialect of assembly source: MADMAC-style (Atari's assembler and its descendants) or GNU as.
enum class AsmSyntax { Madmac, Gas };
// How the error left by fewer colours is spread: not at all, by a fixed threshold pattern (stable
// from one animation frame to the next), or by diffusing it to the neighbours.
enum class Dither { None, Ordered, Diffusion };

// A rectangle taken from the source picture before any rotation.
struct CutFrame {
    int x = 0;
    int y = 0;
    int width = 1;
    int height = 1;
    bool operator==(const CutFrame&) const = default;
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
    int rotateDegrees = 0;
    std::optional<CutFrame> cut;
    std::string targetDir; // empty: the current folder
    bool operator==(const Settings&) const = default;
};

// Relative CRY: the words hold changes to what the line buffer has, not colours.
inline bool glassCry(const Settings& s) {
    return s.model == ColourModel::Cry16 && s.cryEncoding == CryEncoding::Glass;
}

} // namespace rastix
