#pragma once

#include "pictureencoder.h"
#include "settings.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace rastix {

struct OutputFile {
    std::string path;
    ByteBuffer bytes;
};

// File name without folders and without its last extension ("dir/logo.big.bmp" -> "logo.big").
std::string baseName(const std::string& picturePath);
// An assembler identifier from a base name: letters, digits and '_', not starting with a digit.
std::string labelFor(const std::string& base);
// Target folder joined with a file name.
std::string joinPath(const std::string& dir, const std::string& name);

// Describes the encoding for headers and messages, e.g. "CRY16 glass (both)".
std::string modelDescription(const Settings& settings);

std::string assemblySource(const EncodedPicture& picture, const Settings& settings,
                           const std::string& sourceName, const std::string& label);

// Every file one picture produces, in the order they are written: "base.s"; or "base.rgb" /
// "base.cry"; or "base.map" then "base.clut".
std::vector<OutputFile> outputsFor(EncodedPicture picture, const Settings& settings,
                                   const std::string& picturePath);

// Writes through a temporary file in the destination folder that is renamed over the target
// only once everything is on disk, so a failure never leaves a half-written or clobbered file.
class AtomicFileWriter {
public:
    virtual ~AtomicFileWriter() = default;
    bool write(const std::string& path, const ByteBuffer& bytes, std::string& error);

protected:
    // Seam for tests that need the disk to fail part-way.
    virtual bool writeChunk(std::FILE* file, const std::uint8_t* data, std::size_t size);
};

} // namespace rastix
