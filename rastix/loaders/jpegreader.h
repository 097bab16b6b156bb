#pragma once

#include "image/rowsink.h"
#include "loaders/rowstream.h"

#include <string>

namespace rastix {

// Whether this build streams JPEGs at all (it needs libjpeg-turbo's 32-bit pixel layouts);
// without, streamJpeg never takes a picture and JPEGs are decoded whole by Qt.
bool jpegStreamingAvailable();

// Decodes a JPEG (greyscale, YCbCr or RGB; baseline or progressive) row by row into sink with
// libjpeg, giving exactly the pixels Qt's reader gives. Damaged data (which libjpeg would only
// warn about) stops the stream, so that the caller's other reader decides what to make of it.
RowStreamResult streamJpeg(const std::string& path, RowSink& sink, int& width, int& height);

} // namespace rastix
