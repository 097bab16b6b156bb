#include "output.h"

#include "assemblysource.h"

namespace rastix {

std::vector<OutputFile> outputsFor(EncodedPicture p, const Settings& s,
                                   const std::string& picturePath) {
    const std::string base = baseName(picturePath);
    std::vector<OutputFile> files;
    if (s.format == OutputFormat::Assembly) {
        std::string src = assemblySource(p, s, picturePath, labelFor(base));
        files.push_back(
            {joinPath(s.targetDir, base + ".s"), ByteBuffer(src.begin(), src.end()), nullptr});
        return files;
    }
    if (!p.isColourMap()) {
        files.push_back({trueColourBinaryPath(s, picturePath), std::move(p.data), nullptr});
        return files;
    }
    files.push_back({joinPath(s.targetDir, base + ".map"), std::move(p.data), nullptr});
    ByteBuffer clut;
    for (const std::uint16_t w : p.palette) {
        clut.push_back(static_cast<std::uint8_t>(w >> 8));
        clut.push_back(static_cast<std::uint8_t>(w));
    }
    files.push_back({joinPath(s.targetDir, base + ".clut"), std::move(clut), nullptr});
    return files;
}

} // namespace rastix
