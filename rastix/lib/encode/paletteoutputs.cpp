#include "encode/paletteoutputs.h"

#include "output/assemblysource.h"
#include "output/csource.h"
#include "output/outputnames.h"
#include "palette/dither.h"
#include "palette/palettefile.h"

namespace rastix {

OutputFile paletteCopyFile(const std::vector<std::uint16_t>& words, const Settings& settings,
                           const std::string& path, const std::string& name) {
    // Relative CRY holds changes, not colours: its words are shown as absolute CRY would
    // show them, which is what a painter can work with.
    Settings shown = settings;
    shown.cryEncoding = CryEncoding::Normal;
    std::vector<RgbColour> colours;
    for (const std::uint16_t w : words) {
        const Rgb c = shownColour(w, shown);
        colours.push_back({static_cast<std::uint8_t>(c.red), static_cast<std::uint8_t>(c.green),
                           static_cast<std::uint8_t>(c.blue)});
    }
    PaletteFileFormat format = PaletteFileFormat::Gpl;
    if (settings.paletteCopy == PaletteCopy::JascPal)
        format = PaletteFileFormat::JascPal;
    else if (settings.paletteCopy == PaletteCopy::Act)
        format = PaletteFileFormat::Act;
    const std::vector<std::uint8_t> bytes = writePaletteFile(format, colours, name);
    return {path, ByteBuffer(bytes.begin(), bytes.end()), nullptr};
}

std::vector<OutputFile> paletteSetFiles(const std::vector<std::uint16_t>& words, const Settings& s,
                                        const std::string& description) {
    const std::vector<std::string> paths = paletteSetPaths(s);
    std::vector<OutputFile> files;
    const std::string label = sourceLabel(s, s.paletteSetName);
    const auto textFile = [&](const std::string& path, const std::string& text) {
        files.push_back({path, ByteBuffer(text.begin(), text.end()), nullptr});
    };
    if (s.format == OutputFormat::Assembly) {
        textFile(paths[0], paletteSetAssembly(words, s, description, label));
    } else if (s.format == OutputFormat::C) {
        textFile(paths[0], paletteSetCSource(words, s, description, label, fileName(paths[1])));
        textFile(paths[1], paletteSetCHeader(words, s, description, label));
    } else {
        ByteBuffer clut;
        for (const std::uint16_t w : words) {
            clut.push_back(static_cast<std::uint8_t>(w >> 8));
            clut.push_back(static_cast<std::uint8_t>(w));
        }
        files.push_back({paths[0], std::move(clut), nullptr});
    }
    if (s.paletteCopy != PaletteCopy::None)
        files.push_back(paletteCopyFile(words, s, paths.back(), s.paletteSetName));
    return files;
}

} // namespace rastix
