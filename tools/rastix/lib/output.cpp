#include "output.h"

#include "assemblysource.h"

namespace rastix {

std::vector<OutputFile> outputsFor(EncodedPicture p, const Settings& s,
                                   const std::string& picturePath) {
    std::vector<std::string> paths = outputPaths(s, picturePath);
    std::vector<OutputFile> files;
    if (s.format == OutputFormat::Assembly) {
        std::string src = assemblySource(p, s, picturePath, labelFor(baseName(picturePath)));
        files.push_back({paths[0], ByteBuffer(src.begin(), src.end()), nullptr});
        return files;
    }
    files.push_back({paths[0], std::move(p.data), nullptr});
    if (paths.size() > 1) {
        ByteBuffer clut;
        for (const std::uint16_t w : p.palette) {
            clut.push_back(static_cast<std::uint8_t>(w >> 8));
            clut.push_back(static_cast<std::uint8_t>(w));
        }
        files.push_back({paths[1], std::move(clut), nullptr});
    }
    return files;
}

} // namespace rastix
