#pragma once

#include <cstdint>

namespace rastix {

// Takes the rows of a picture from a loader as they are decoded, top to bottom, so that they
// can be encoded (and written) while the rest is still being decoded, and the whole picture
// never has to be held in memory. All calls come from the loader's one thread, in this order:
// begin, then rowsToFill and rowsFilled for each chunk of rows, then end (only if begin
// accepted the picture).
// Only pictures without transparent pixels may be streamed: how an opaque pixel is encoded can
// depend on whether the picture has any (see PixelEncoder), which is known only at its end.
class RowSink {
public:
    // Loaders hand over rows in chunks of at most this many.
    static constexpr int kChunkRows = 16;

    virtual ~RowSink() = default;
    // The size of the picture about to be decoded; false when the sink cannot take it.
    virtual bool begin(int width, int height) = 0;
    // Room for rows [top, top + count), each `width` pixels (0xAARRGGBB, not premultiplied)
    // after the other; may wait until room comes free. Null when the sink has failed and the
    // loader should stop.
    virtual std::uint32_t* rowsToFill(int top, int count) = 0;
    // The rows asked for last are decoded.
    virtual void rowsFilled() = 0;
    // No more rows: every row was filled (allRows) or decoding stopped early. Returns true
    // when the sink did all it needed with every row of the picture.
    virtual bool end(bool allRows) = 0;
};

} // namespace rastix
