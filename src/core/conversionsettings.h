#pragma once

#include <string>

namespace glyphmill {

// Every choice the converter's command line is composed from. The windows own the values;
// this record is filled from their controls each time the command is rebuilt.
struct ConversionSettings {
    enum class OutputFormat { Binary, Assembly };
    enum class ColourSpace { Rgb, Cry };
    enum class ColourMode { TrueColour, ColourMap };
    enum class TrueColourBits { Bits16, Bits15 };
    enum class CryEncoding { Normal, Glass };
    enum class KeptValues { Positive, Negative, Both };

    // Main window
    OutputFormat outputFormat = OutputFormat::Binary;
    ColourSpace colourSpace = ColourSpace::Rgb;
    ColourMode colourMode = ColourMode::TrueColour;
    TrueColourBits trueColourBits = TrueColourBits::Bits16;
    bool optimiseColourMap = false;
    bool overwrite = false;
    std::string targetDir;

    // Options dialog
    CryEncoding cryEncoding = CryEncoding::Normal;
    bool relativeIntensitiesOnly = false;
    KeptValues keptValues = KeptValues::Positive;
    bool rotate = false;
    std::string rotateDegrees = "0";
    bool cut = false;
    std::string cutX = "0";
    std::string cutY = "0";
    std::string cutWidth = "1";
    std::string cutHeight = "1";

    bool operator==(const ConversionSettings&) const = default;
};

} // namespace glyphmill
