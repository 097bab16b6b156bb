// Palette files: parsePaletteFile under every name that changes how the bytes are read, and
// readPaletteFile on the same bytes as a file, which reads a PNG only up to its palette and must
// come to the same verdict. What is read is written out again in each format and read back.
#include "fuzzinput.h"
#include "palette/palettefile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

bool sameContents(const rastix::PaletteFileContents& a, const rastix::PaletteFileContents& b) {
    return a.holdsWords == b.holdsWords && a.words == b.words && a.colours == b.colours;
}

void checkVerdict(bool ok, const rastix::PaletteFileContents& out, const std::string& error) {
    if (!ok) {
        fuzzing::expectOneLine(error);
        // Of the file's bytes a refusal names at most a chunk type of four letters: never "n_m".
        if (error.find("n_m") != std::string::npos)
            fuzzing::fail("a refusal that names the file");
        if (!out.colours.empty() || !out.words.empty() || out.holdsWords)
            fuzzing::fail("a refused file changed what was read before");
        return;
    }
    const std::size_t count = out.holdsWords ? out.words.size() : out.colours.size();
    if (count == 0 || count > rastix::kMostPaletteColours)
        fuzzing::fail("a palette of no colours or of more than 256");
    if (out.holdsWords ? !out.colours.empty() : !out.words.empty())
        fuzzing::fail("a palette of both words and colours");
}

void checkRoundTrip(const std::vector<rastix::RgbColour>& colours) {
    for (const auto format : {rastix::PaletteFileFormat::Gpl, rastix::PaletteFileFormat::JascPal,
                              rastix::PaletteFileFormat::Act}) {
        rastix::PaletteFileContents back;
        std::string error;
        if (!rastix::parsePaletteFile("n_m" + rastix::paletteFileExtension(format),
                                      rastix::writePaletteFile(format, colours, "n_m"), back,
                                      error) ||
            back.colours != colours)
            fuzzing::fail("a palette written does not read back as it was");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return 0; // no Qt: palette files are read by rastix's own code
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    for (const char* name : {"n_m.clut", "n_m.gpl", "n_m.pal", "n_m.png", "n_m.gif", "n_m"}) {
        rastix::PaletteFileContents out;
        std::string error;
        checkVerdict(rastix::parsePaletteFile(name, bytes, out, error), out, error);
    }
    // The input file's name ends in .act, the remaining name that matters.
    rastix::PaletteFileContents parsed;
    std::string parseError;
    const bool parsedOk = rastix::parsePaletteFile("n_m.act", bytes, parsed, parseError);
    checkVerdict(parsedOk, parsed, parseError);
    const std::string path = fuzzing::inputFile(data, size, ".act");
    rastix::PaletteFileContents read;
    std::string readError;
    const bool readOk = rastix::readPaletteFile(path, read, readError);
    if (readOk != parsedOk || !sameContents(read, parsed) || readError != parseError)
        fuzzing::fail("reading the file and parsing its bytes disagree");
    if (parsedOk && !parsed.holdsWords)
        checkRoundTrip(parsed.colours);
    return 0;
}
