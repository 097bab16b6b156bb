#pragma once

#include "image/rowsink.h"
#include "loaders/rowstream.h"

#include <string>

namespace rastix {

// Whether this build streams PNGs at all (it needs libpng); without, PNGs are decoded whole by
// Qt's reader.
bool pngStreamingAvailable();

// Whether streamPng would take the picture at path by its header, so that the memory it asks
// for is that of the way it will be decoded; a picture damaged further on can still fail.
bool pngStreamable(const std::string& path);

// Decodes an opaque 8-bit PNG (grey or RGB, without a transparent colour, not interlaced) row
// by row into sink with libpng, giving exactly the pixels Qt's reader gives. Anything else,
// and any damage libpng notices (which Qt's reader would judge), is left to the caller's other
// reader: NotTaken before the sink was begun, Incomplete after.
RowStreamResult streamPng(const std::string& path, RowSink& sink, int& width, int& height);

} // namespace rastix
