#include "output/output.h"

#include "codec/objectfields.h"
#include "output/csource.h"
#include "output/sourcetext.h"

#include <optional>

namespace rastix {

namespace {

// With a writer the text goes to its staged file piece by piece and is never held whole: a
// file that cannot be made or written fails at once, with the system's reason, rather than
// after the text was made in memory for nothing. Without one it is kept in memory, still
// without a second copy.
std::optional<OutputFile> sourceFile(const EncodedPicture& p, const Settings& s,
                                     const std::string& picturePath, const std::string& path,
                                     AtomicFileWriter* writer, int threads, std::string& error) {
    const std::string label = sourceLabel(s, baseName(picturePath));
    OutputFile file{path, {}, nullptr};
    if (writer) {
        std::shared_ptr<StagedFile> staged = writer->stage(path, error);
        if (!staged)
            return std::nullopt;
        const auto toFile = [&](const std::string& piece) {
            return staged->append(reinterpret_cast<const std::uint8_t*>(piece.data()),
                                  piece.size());
        };
        if (!writeSourceText(p, s, picturePath, label, toFile, threads)) {
            if (staged->finish(error))
                error = "cannot write '" + path + "'";
            return std::nullopt;
        }
        file.staged = std::move(staged);
        return file;
    }
    writeSourceText(p, s, picturePath, label, [&](const std::string& piece) {
        file.bytes.insert(file.bytes.end(), piece.begin(), piece.end());
        return true;
    });
    return file;
}

} // namespace

std::vector<OutputFile> shapeOutputs(const EncodedPicture& shape, const Settings& s,
                                     const std::string& picturePath) {
    std::vector<OutputFile> files;
    if (s.format == OutputFormat::C) {
        const std::string text =
            cHeaderFile(shape, s, picturePath, sourceLabel(s, baseName(picturePath)));
        files.push_back({outputPaths(s, picturePath)[1], {text.begin(), text.end()}, {}});
    }
    if (s.format == OutputFormat::Binary && s.objectHeader) {
        const std::array<std::uint8_t, 16> object =
            bitmapObjectBytes(bitmapObject(objectFields(shape, writesOwnPalette(s))));
        std::vector<std::string> paths = outputPaths(s, picturePath);
        files.push_back({paths[writesOwnPalette(s) ? 2 : 1], {object.begin(), object.end()}, {}});
    }
    return files;
}

std::vector<OutputFile> outputsFor(EncodedPicture p, const Settings& s,
                                   const std::string& picturePath, AtomicFileWriter* writer,
                                   int threads, std::string* error) {
    std::vector<std::string> paths = outputPaths(s, picturePath);
    std::vector<OutputFile> files;
    if (s.format != OutputFormat::Binary) {
        std::vector<OutputFile> companions = shapeOutputs(p, s, picturePath);
        std::string failure;
        if (std::optional<OutputFile> file =
                sourceFile(p, s, picturePath, paths[0], writer, threads, failure)) {
            files.push_back(std::move(*file));
            for (OutputFile& companion : companions)
                files.push_back(std::move(companion));
        } else if (error) {
            *error = failure;
        }
        return files;
    }
    std::vector<OutputFile> others = outputsAfterData(p, s, picturePath);
    files.push_back({paths[0], std::move(p.data), nullptr});
    for (OutputFile& file : others)
        files.push_back(std::move(file));
    return files;
}

std::vector<OutputFile> outputsAfterData(const EncodedPicture& p, const Settings& s,
                                         const std::string& picturePath) {
    std::vector<OutputFile> files;
    if (s.format == OutputFormat::Binary && writesOwnPalette(s)) {
        ByteBuffer clut;
        for (const std::uint16_t w : p.palette) {
            clut.push_back(static_cast<std::uint8_t>(w >> 8));
            clut.push_back(static_cast<std::uint8_t>(w));
        }
        files.push_back({outputPaths(s, picturePath)[1], std::move(clut), nullptr});
    }
    for (OutputFile& file : shapeOutputs(p, s, picturePath))
        files.push_back(std::move(file));
    return files;
}

} // namespace rastix
