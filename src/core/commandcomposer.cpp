#include "commandcomposer.h"

namespace glyphmill {

std::vector<std::string> ComposedCommand::arguments() const {
    std::vector<std::string> result;
    result.reserve(m_arguments.size());
    for (const Span span : m_arguments)
        result.push_back(slice(span));
    return result;
}

std::string_view ComposedCommand::argument(std::size_t index) const {
    const Span span = m_arguments.at(index);
    return std::string_view(m_text).substr(span.offset, span.length);
}

// Appends the pieces of the text and records where each argument lies inside it.
class CommandBuilder {
public:
    CommandBuilder(std::size_t expectedSize, std::size_t expectedArguments) {
        m_command.m_text.reserve(expectedSize);
        m_command.m_arguments.reserve(expectedArguments);
    }

    void program(std::string_view prefixWithBlank) {
        m_command.m_program = span(text().size(), prefixWithBlank.size() - 1);
        text() += prefixWithBlank;
    }

    // A flag piece " --name ": the argument is the flag without its blanks.
    void flag(std::string_view piece) {
        m_command.m_arguments.push_back(span(text().size() + 1, piece.size() - 2));
        text() += piece;
    }

    // Raw text that is one argument by itself (a value or a file name).
    void value(std::string_view raw) {
        m_command.m_arguments.push_back(span(text().size(), raw.size()));
        text() += raw;
    }

    void literal(std::string_view raw) { text() += raw; }

    // Starts an argument that is assembled from several pieces (the cut rectangle).
    void beginValue() { m_valueStart = text().size(); }
    void endValue() {
        m_command.m_arguments.push_back(span(m_valueStart, text().size() - m_valueStart));
    }

    ComposedCommand take() { return std::move(m_command); }

private:
    std::string& text() { return m_command.m_text; }
    static ComposedCommand::Span span(std::size_t offset, std::size_t length) {
        return {static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)};
    }

    ComposedCommand m_command;
    std::size_t m_valueStart = 0;
};

namespace {

std::size_t expectedLength(const CommandInput& in) {
    std::size_t length = in.appFolder.size() + in.convention.converterName.size() + 256 +
                         in.settings.targetDir.size() + in.settings.rotateDegrees.size() +
                         in.settings.cutX.size() + in.settings.cutY.size() +
                         in.settings.cutWidth.size() + in.settings.cutHeight.size() +
                         in.settings.mapColours.size() + in.settings.paletteFile.size() +
                         in.settings.sharedClutName.size() + in.settings.bankNumber.size() +
                         in.settings.frameLayout.size() + in.settings.depfileName.size();
    for (const auto& name : in.selectedFiles)
        length += name.size() + 1;
    return length;
}

// " --name VALUE ": an option with its value, when it is asked for and has one.
void optionWithValue(CommandBuilder& b, bool wanted, std::string_view piece,
                     std::string_view value) {
    if (!wanted || value.empty())
        return;
    b.flag(piece);
    b.value(value);
    b.literal(" ");
}

// Empty for the converter's default, which is not written.
std::string_view ditherName(ConversionSettings::Dither dither) {
    switch (dither) {
    case ConversionSettings::Dither::Ordered:
        return "ordered";
    case ConversionSettings::Dither::Diffusion:
        return "diffusion";
    case ConversionSettings::Dither::None:
        break;
    }
    return {};
}

// The converter's later features: each written only when it differs from the converter's
// default, so that a command without them stays as it always was. They come before the
// pictures, since the converter applies an option to the pictures named after it.
void appendFeatures(CommandBuilder& b, const ConversionSettings& s) {
    if (s.cSource)
        b.flag(" --c ");
    if (s.objectHeader)
        b.flag(" --object-header ");
    if (s.exportEquates)
        b.flag(" --export-equates ");
    optionWithValue(b, true, " --dither ", ditherName(s.dither));
    // Palette choices mean nothing to true colour, and the converter refuses a shared palette
    // that no map uses: written only for a map, as the CRY choices only for CRY.
    if (s.colourMode == ConversionSettings::ColourMode::ColourMap) {
        optionWithValue(b, s.limitColours, " --colours ", s.mapColours);
        optionWithValue(b, s.givenPalette, " --palette ", s.paletteFile);
        optionWithValue(b, s.sharedClut, " --shared-clut ", s.sharedClutName);
        optionWithValue(b, s.bank, " --bank ", s.bankNumber);
    }
    optionWithValue(b, s.frames, " --frames ", s.frameLayout);
    if (s.mirrorFrames)
        b.flag(" --mirror-frames ");
    if (s.dropEmptyFrames)
        b.flag(" --drop-empty-frames ");
    if (s.metadata)
        b.flag(" --metadata ");
    if (s.showPng)
        b.flag(" --show-png ");
    optionWithValue(b, s.depfile, " --depfile ", s.depfileName);
}

} // namespace

ComposedCommand composeCommand(const CommandInput& in) {
    using S = ConversionSettings;
    const S& s = in.settings;
    // At most 42 flags and values come before the file names.
    CommandBuilder b(expectedLength(in), in.selectedFiles.size() + 42);

    b.program(in.convention.converterCommandPrefix(in.appFolder));
    if (s.colourSpace == S::ColourSpace::Rgb)
        b.flag(" -rgb ");
    if (s.outputFormat == S::OutputFormat::Binary)
        b.flag(" --binary ");
    if (s.outputFormat == S::OutputFormat::Assembly)
        b.flag(" --assembly ");
    if (s.colourMode == S::ColourMode::ColourMap)
        b.flag(" --clut ");
    b.flag(s.optimiseColourMap ? " --opt-clut " : " --no-opt-clut ");
    if (s.colourMode == S::ColourMode::TrueColour)
        b.flag(s.trueColourBits == S::TrueColourBits::Bits16 ? " --16-bits " : " --15-bits ");
    b.flag(s.overwrite ? " --overwrite " : " --no-overwrite ");

    if (!s.targetDir.empty() && in.isDirectory && in.isDirectory(s.targetDir)) {
        b.flag(" --target-dir ");
        b.value(s.targetDir);
    }

    if (s.colourSpace == S::ColourSpace::Cry) {
        b.flag(" -cry ");
        if (s.cryEncoding == S::CryEncoding::Normal)
            b.flag(" --normal ");
        if (s.cryEncoding == S::CryEncoding::Glass) {
            b.flag(" --glass ");
            if (s.relativeIntensitiesOnly)
                b.flag(" --gray ");
            switch (s.keptValues) {
            case S::KeptValues::Positive:
                b.flag(" --positive ");
                break;
            case S::KeptValues::Negative:
                b.flag(" --negative ");
                break;
            case S::KeptValues::Both:
                b.flag(" --both ");
                break;
            }
        }
    }

    if (s.rotate) {
        b.flag(" --rotate ");
        b.value(s.rotateDegrees);
        b.literal(" ");
    }

    if (s.cut) {
        b.flag(" --cut ");
        b.beginValue();
        b.literal(s.cutX);
        b.literal(",");
        b.literal(s.cutY);
        b.literal(":");
        b.literal(s.cutWidth);
        b.literal("x");
        b.literal(s.cutHeight);
        b.endValue();
        b.literal(" ");
    }

    appendFeatures(b, s);

    for (const auto& name : in.selectedFiles) {
        b.literal(" ");
        b.value(name);
    }
    return b.take();
}

} // namespace glyphmill
