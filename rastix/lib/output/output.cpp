#include "output/output.h"

#include "output/assemblysource.h"

namespace rastix {

namespace {

// The text goes to a staged file piece by piece when there is a writer, and there is no
// reason to hold it; otherwise into memory, still without a second copy.
OutputFile assemblyFile(const EncodedPicture& p, const Settings& s, const std::string& picturePath,
                        const std::string& path, AtomicFileWriter* writer, int threads) {
    const std::string label = labelFor(baseName(picturePath));
    OutputFile file{path, {}, nullptr};
    std::string ignored; // without a staged file the text is kept in memory instead
    std::shared_ptr<StagedFile> staged = writer ? writer->stage(path, ignored) : nullptr;
    const auto toFile = [&](const std::string& piece) {
        return staged->append(reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size());
    };
    if (staged && writeAssemblySource(p, s, picturePath, label, toFile, threads)) {
        file.staged = std::move(staged);
        return file;
    }
    writeAssemblySource(p, s, picturePath, label, [&](const std::string& piece) {
        file.bytes.insert(file.bytes.end(), piece.begin(), piece.end());
        return true;
    });
    return file;
}

} // namespace

std::vector<OutputFile> outputsFor(EncodedPicture p, const Settings& s,
                                   const std::string& picturePath, AtomicFileWriter* writer,
                                   int threads) {
    std::vector<std::string> paths = outputPaths(s, picturePath);
    std::vector<OutputFile> files;
    if (s.format == OutputFormat::Assembly) {
        files.push_back(assemblyFile(p, s, picturePath, paths[0], writer, threads));
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
