#pragma once

#include "image/rowsink.h"

#include <string>

namespace rastix {

// What became of a picture a reader tried to decode row by row into a sink.
enum class RowStreamResult {
    NotTaken,   // nothing reached the sink: not a picture of a kind the reader streams, or declined
    Complete,   // every row reached the sink, and its end() returned true
    Incomplete, // the sink was begun but did not get or keep every row
};

// A reader that decodes the picture at path row by row into sink, giving its size.
using RowStreamer = RowStreamResult (*)(const std::string& path, RowSink& sink, int& width,
                                        int& height);

} // namespace rastix
