#pragma once

#include "image/rowsink.h"

#include <string>

namespace rastix {

enum class JpegStreamResult {
    NotTaken,   // nothing reached the sink: not a JPEG of a kind handled here, or declined
    Complete,   // every row reached the sink, and its end() returned true
    Incomplete, // the sink was begun but did not get or keep every row
};

// Decodes a JPEG (greyscale, YCbCr or RGB; baseline or progressive) row by row into sink with
// libjpeg, giving exactly the pixels Qt's reader gives. Damaged data (which libjpeg would only
// warn about) stops the stream, so that the caller's other reader decides what to make of it.
// Whether this build streams JPEGs at all (it needs libjpeg-turbo's 32-bit pixel layouts);
// without, streamJpeg never takes a picture and JPEGs are decoded whole by Qt.
bool jpegStreamingAvailable();

JpegStreamResult streamJpeg(const std::string& path, RowSink& sink, int& width, int& height);

} // namespace rastix
