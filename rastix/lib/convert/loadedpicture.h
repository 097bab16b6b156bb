#pragma once

#include "image/image.h"
#include "image/rowsink.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rastix {

// What a loader tells of a picture from its header, before it allocates anything for it.
struct Admission {
    int width = 0;
    int height = 0;
    // What the loader holds for the picture decoded whole: the reader's own format and, unless
    // that is 32-bit ARGB, the copy made from it. Not held when the rows are streamed.
    std::uint64_t decodedBytes = 0;
    // What the decoder holds besides while it decodes, streamed or not: a progressive or
    // multi-scan JPEG keeps the coefficients of the whole picture until its last scan.
    std::uint64_t decoderBytes = 0;
    // The rows go to the row sink as they are decoded.
    bool streamed = false;
    // The pixel format has no alpha, so no pixel can be transparent: decoded whole, such a
    // picture is still encoded as a stream (see RowSink).
    bool opaque = false;
};

// A decoded picture; keepAlive owns whatever the view points into.
struct LoadedPicture {
    ImageView view;
    std::shared_ptr<const void> keepAlive;
    // An animation (GIF, WebP, APNG) of more than one frame: view holds its frames composed as
    // a viewer shows them, stacked top to bottom, frame k being rows k * frameHeight to
    // (k + 1) * frameHeight - 1. 0 for a still picture.
    int frameHeight = 0;
    // How long each frame shows, in milliseconds; empty for a still picture.
    std::vector<int> frameDelaysMs;
    // Set by the caller before loading, optional: a loader that decodes row by row may hand
    // the rows to it instead of keeping them. It sets rowsStreamed only when the sink took the
    // whole picture (its end() returned true); view then gives the size but no pixels.
    RowSink* rowSink = nullptr;
    bool rowsStreamed = false;
    // Set by the caller before loading, optional: the loader calls it with what the header says
    // before it allocates the picture, and streams only when it asked as streamed; false and a
    // message stop the loading. It is called a second time, with more, only when streaming
    // fails part-way and the picture is decoded whole after all, or when the decoded picture
    // turns out larger than its header said.
    std::function<bool(const Admission& admission, std::string& error)> admit;
};

// Must be safe to call from several threads at once; threads is how many cores the loader may
// use for this one picture.
using PictureLoader = std::function<bool(const std::string& path, LoadedPicture& picture,
                                         std::string& error, int threads)>;

} // namespace rastix
