#include "convert/conversionpeak.h"

#include "encode/pictureencoder.h"
#include "encode/streamencoder.h"
#include "image/framegrid.h"
#include "image/image.h"
#include "output/assemblysource.h"
#include "palette/dither.h"

#include <algorithm>
#include <limits>

namespace rastix {

namespace {

using Bytes = std::uint64_t;

Bytes pixelBytes(Bytes width, Bytes height) {
    return width * height * 4;
}

// Rows of encoded data, each padded to whole phrases.
Bytes encodedBytes(Bytes width, Bytes height, int bitsPerPixel) {
    return (width * static_cast<Bytes>(bitsPerPixel) + 63) / 64 * 8 * height;
}

// The deepest map the settings can give: 8 bits, or with --opt-clut the depth a map of the
// most entries allowed is reduced to (the palette, and so the depth, is known only later).
int deepestMap(const Settings& s) {
    if (!s.optimiseMapDepth)
        return 8;
    bool reserveZero = false;
    return chooseMapDepth(std::numeric_limits<std::size_t>::max(), true, 0, false, reserveZero,
                          static_cast<std::size_t>(std::clamp(s.mapColours, 2, 256)));
}

// What each thread encoding a whole picture works with at most: the remembered colours of
// ordered dithering (2^18 of 20 bytes), a census of every word (65537 of 32 bytes), the rows a
// quarter turn gathers (16 of them), a piece of assembly text (1 MB). A map is made in at most
// 16 bands.
constexpr Bytes kWorkingPerThread = Bytes{8} << 20;

Bytes workingBytes(const Settings& s, int threads) {
    return kWorkingPerThread *
           static_cast<Bytes>(std::clamp(threads, 1, s.colourMap ? 16 : 1 << 16));
}

struct Size {
    Bytes width = 0;
    Bytes height = 0;
};

Size quarterTurned(Size size, const Route& route, const Settings& s) {
    if (quarterTurnWhileEncoding(route, s) % 180 != 0)
        std::swap(size.width, size.height);
    return size;
}

Size cutSize(const Admission& a, const Settings& s) {
    Size size{static_cast<Bytes>(std::max(a.width, 0)), static_cast<Bytes>(std::max(a.height, 0))};
    if (s.cut) {
        size.width = std::min(size.width, static_cast<Bytes>(std::max(s.cut->width, 0)));
        size.height = std::min(size.height, static_cast<Bytes>(std::max(s.cut->height, 0)));
    }
    return size;
}

Size canvasSize(Size size, const Route& route, const Settings& s) {
    if (route.turn != Turn::CanvasFirst)
        return size;
    const RotatedSize canvas = rotatedSize(size.width, size.height, s.rotateDegrees);
    return {canvas.width, canvas.height};
}

// The encoded data the outputs are made from.
Bytes outputDataBytes(const Admission& a, const Route& route, const Settings& s) {
    const Size size = quarterTurned(canvasSize(cutSize(a, s), route, s), route, s);
    return encodedBytes(size.width, size.height, s.colourMap ? deepestMap(s) : 16);
}

// The picture the console shows, made from the encoded data once the pixels are gone: three
// bytes a pixel, and its PNG, which takes no more than about as much again.
Bytes shownPictureBytes(const Admission& a, const Route& route, const Settings& s) {
    const Size size = canvasSize(cutSize(a, s), route, s);
    return size.width * size.height * 3 * 2;
}

// Whether the encoded data is held whole even where a stream could write it to disk.
bool dataHeld(const Settings& s, bool toDisk) {
    return !toDisk || s.showPng;
}

// The stages from a picture held whole as 32-bit pixels to its encoded data, each made from
// the one before, which is let go once the next exists; stream: what a stream encoder holds.
Bytes wholePicturePeak(const Admission& a, const Route& route, const Settings& s, Bytes stream,
                       bool toDisk, int threads) {
    Bytes held = pixelBytes(static_cast<Bytes>(std::max(a.width, 0)),
                            static_cast<Bytes>(std::max(a.height, 0)));
    const Size cut = cutSize(a, s);
    const bool toStream =
        route.travel == Travel::RowsToStream || route.travel == Travel::DecodedToStream;
    // Without transparent pixels, read through a view of the cut and the quarter turn into the
    // stream encoder.
    if (toStream && a.opaque)
        return held + stream + (dataHeld(s, toDisk) ? outputDataBytes(a, route, s) : 0);
    Bytes peak = held;
    const auto make = [&](Bytes next) {
        peak = std::max(peak, held + next);
        held = next;
    };
    if (s.cut)
        make(pixelBytes(cut.width, cut.height));
    const Size canvas = canvasSize(cut, route, s);
    if (route.turn == Turn::CanvasFirst)
        make(pixelBytes(canvas.width, canvas.height));
    // A reduced, dithered map holds a palette index for each pixel before it packs them.
    const Bytes indices = s.colourMap && dithers(s) ? canvas.width * canvas.height : 0;
    return std::max(peak, held + indices + outputDataBytes(a, route, s) + workingBytes(s, threads));
}

// A sheet is held whole while its frames are encoded a batch at a time, each turned on a canvas of
// its own (one a thread); their data go to disk as they are stored, or are held.
Bytes sheetPeak(const Admission& a, const Route& route, const Settings& s, bool toDisk,
                int threads) {
    Bytes held = pixelBytes(static_cast<Bytes>(std::max(a.width, 0)),
                            static_cast<Bytes>(std::max(a.height, 0)));
    const Size cut = cutSize(a, s);
    Bytes peak = held;
    if (s.cut) {
        const Bytes cutBytes = pixelBytes(cut.width, cut.height);
        peak = held + cutBytes;
        held = cutBytes;
    }
    FrameGrid grid;
    std::string unused; // a sheet that is no whole number of frames fails before it is encoded
    if (!frameGridOf(static_cast<int>(cut.width), static_cast<int>(cut.height), *s.frames, grid,
                     unused))
        return peak;
    const Size canvas = quarterTurned(
        canvasSize({static_cast<Bytes>(grid.width), static_cast<Bytes>(grid.height)}, route, s),
        route, s);
    const Bytes canvases =
        route.turn == Turn::CanvasFirst
            ? pixelBytes(canvas.width, canvas.height) * static_cast<Bytes>(std::max(threads, 1))
            : 0;
    const Bytes data =
        toDisk ? 0
               : static_cast<Bytes>(grid.count()) *
                     encodedBytes(canvas.width, canvas.height, s.colourMap ? deepestMap(s) : 16);
    return std::max(peak, held + canvases + data + workingBytes(s, threads));
}

} // namespace

std::uint64_t conversionPeakBytes(const Admission& a, const Route& route, const Settings& s,
                                  bool toDisk, int threads) {
    const bool text = s.format != OutputFormat::Binary;
    const Size rows = quarterTurned(cutSize(a, s), route, s); // as the stream encoder gets them
    const Bytes stream =
        StreamEncoder::heldBytes(static_cast<int>(rows.width), threads > 1, text && toDisk);
    const Bytes data = outputDataBytes(a, route, s);
    Bytes peak = 0;
    if (a.streamed && route.travel == Travel::RowsToStream) {
        // Neither the decoded nor, on disk, the encoded picture is ever held whole.
        peak = a.decoderBytes + stream + (dataHeld(s, toDisk) ? data : 0);
    } else if (a.streamed) {
        // The map collector keeps the picture whole as it is decoded, then makes the map.
        const Bytes pixels = pixelBytes(static_cast<Bytes>(std::max(a.width, 0)),
                                        static_cast<Bytes>(std::max(a.height, 0)));
        const Bytes indices = dithers(s) ? pixels / 4 : 0;
        peak =
            std::max(a.decoderBytes + pixels, pixels + indices + data + workingBytes(s, threads));
    } else if (s.frames) {
        peak = std::max(a.decoderBytes + a.decodedBytes, sheetPeak(a, route, s, toDisk, threads));
    } else {
        // Decoded whole: the reader's own format and its 32-bit copy, then each stage.
        peak = std::max(a.decoderBytes + a.decodedBytes,
                        wholePicturePeak(a, route, s, stream, toDisk, threads));
    }
    // Without a file to write it to, source text is made whole from the encoded data, once
    // the pixels are gone.
    if (text && !toDisk)
        peak = std::max(peak, data + data * kMostTextPerByte);
    if (s.showPng)
        peak = std::max(peak, data + shownPictureBytes(a, route, s));
    return peak;
}

} // namespace rastix
