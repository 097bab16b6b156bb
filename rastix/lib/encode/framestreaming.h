#pragma once

#include "codec/encodedpicture.h"
#include "encode/frameencoder.h"
#include "output/filestaging.h"
#include "settings.h"

#include <optional>
#include <string>

namespace rastix {

// Encodes a sheet's frames straight into the staged first output of its picture, binary data
// or, given the names for its header and label, source text, so that the encoded frames are
// never held beside the sheet; the picture comes back with its data empty. Source text begins
// by telling how many frames are stored, so its frames are encoded twice: once to find them,
// once for their text. Empty and a message when the file cannot be written.
struct FrameSourceNames {
    std::string sourceName;
    std::string label;
};
std::optional<EncodedPicture> encodeFramesToFile(FramesEncoder& frames, const Settings& settings,
                                                 StagedFile& file,
                                                 const std::optional<FrameSourceNames>& source,
                                                 std::string& error);

} // namespace rastix
