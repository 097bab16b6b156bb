#pragma once

#include "codec/encodedpicture.h"
#include "output/filestaging.h"
#include "output/outputnames.h"
#include "settings.h"

#include <memory>
#include <string>
#include <vector>

namespace rastix {

struct OutputFile {
    std::string path;
    ByteBuffer bytes;
    // When set, bytes are already on disk under a temporary name and only need committing.
    std::shared_ptr<StagedFile> staged;
};

// Every file one picture produces, in the order they are written (see outputPaths). Given a
// writer, the text of assembly or C source is staged on disk as it is made instead of being
// held in memory, on up to `threads` threads; when its file cannot be made or written there
// are no files, and error (if given) says why.
std::vector<OutputFile> outputsFor(EncodedPicture picture, const Settings& settings,
                                   const std::string& picturePath,
                                   AtomicFileWriter* writer = nullptr, int threads = 1,
                                   std::string* error = nullptr);

// The files after the first (and a map's palette) that need only the picture's shape, not its
// data: "base.h" of C, "base.obj" with --object-header. A picture whose data went to disk as it was
// encoded gets them from here.
std::vector<OutputFile> shapeOutputs(const EncodedPicture& shape, const Settings& settings,
                                     const std::string& picturePath);

// The files after the first for a picture whose data is already on disk in the first: the
// shape's, and the palette of a binary map that writes its own.
std::vector<OutputFile> outputsAfterData(const EncodedPicture& picture, const Settings& settings,
                                         const std::string& picturePath);

} // namespace rastix
