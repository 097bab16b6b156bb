#pragma once

#include "image/image.h"
#include "image/rowsink.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace rastix {

// A decoded picture; keepAlive owns whatever the view points into.
struct LoadedPicture {
    ImageView view;
    std::shared_ptr<const void> keepAlive;
    // Set by the caller before loading, optional: a loader that decodes row by row may hand
    // the rows to it instead of keeping them. It sets rowsStreamed only when the sink took the
    // whole picture (its end() returned true); view then gives the size but no pixels.
    RowSink* rowSink = nullptr;
    bool rowsStreamed = false;
    // Set by the caller before loading, optional: the loader calls it with the size its header
    // gives and the bytes it will hold for the decoded pixels (whether it streams them to the
    // row sink instead) before allocating the picture; false and a message stop the loading.
    // It may be called a second time, with more, when streaming fails and the picture is
    // decoded whole after all.
    std::function<bool(int width, int height, std::uint64_t decodedBytes, bool streamed,
                       std::string& error)>
        admit;
};

// Must be safe to call from several threads at once; threads is how many cores the loader may
// use for this one picture.
using PictureLoader = std::function<bool(const std::string& path, LoadedPicture& picture,
                                         std::string& error, int threads)>;

} // namespace rastix
