#pragma once

#include "loaders/rowstream.h"

#include <string>

namespace fuzzing {

// Streams the picture at path with streamer as loadPicture does, once the size its header gives
// has been admitted (within kDecodeBudget), and fails when the reader uses its sink against the
// order RowSink lays down or reports a result the sink did not see.
void streamChecked(const std::string& path, rastix::RowStreamer streamer);

} // namespace fuzzing
