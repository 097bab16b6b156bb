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
    enum class Dither { None, Ordered, Diffusion };

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

    // Options dialog, the converter's later features. Each is off (the converter's default)
    // until asked for; the texts are written as they stand, and an empty name leaves its
    // piece out.
    bool cSource = false;
    bool objectHeader = false;
    bool exportEquates = false;
    Dither dither = Dither::None;
    // Colour maps only.
    bool limitColours = false;
    std::string mapColours = "256";
    bool givenPalette = false;
    std::string paletteFile{};
    bool sharedClut = false;
    std::string sharedClutName{};
    bool bank = false;
    std::string bankNumber = "0";
    // Sprite sheets and animations.
    bool frames = false;
    std::string frameLayout = "1";
    bool mirrorFrames = false;
    bool dropEmptyFrames = false;
    // Files beside the outputs.
    bool metadata = false;
    bool showPng = false;
    bool depfile = false;
    std::string depfileName{};

    bool operator==(const ConversionSettings&) const = default;
};

} // namespace glyphmill
