#include "convert/route.h"

#include "palette/dither.h"

namespace rastix {

namespace {

Turn chooseTurn(const Settings& s) {
    if (s.rotateDegrees % 360 == 0)
        return Turn::None;
    // Dithering runs along the turned rows, so it needs them whole; any other angle than a
    // quarter makes a larger canvas with transparent corners.
    if (s.rotateDegrees % 90 == 0 && !dithers(s))
        return Turn::WhileEncoding;
    return Turn::CanvasFirst;
}

Travel chooseTravel(const Settings& s, Turn turn) {
    // A sheet's frames are taken from the whole picture, and each is encoded on its own.
    if (turn == Turn::CanvasFirst || s.frames)
        return Travel::DecodedWhole; // the canvas is made from the whole picture
    if (!s.colourMap) {
        // Dithering carries a pixel's error to its neighbours, so it needs the picture whole;
        // so does any dithering asked for, even the kind glass CRY leaves out, as the memory
        // estimate (conversionPeakBytes) reckons with.
        if (s.dither != Dither::None)
            return Travel::DecodedWhole;
        // A true-colour pixel's word depends on that pixel alone. Loaders can neither cut nor
        // turn, so a cut or turned picture reaches the encoder once it is decoded.
        return !s.cut && turn == Turn::None ? Travel::RowsToStream : Travel::DecodedToStream;
    }
    // A colour map needs every pixel before its palette is known, but its colours can be
    // counted while it is decoded: not those of a cut, which the loader does not make.
    return s.cut ? Travel::DecodedWhole : Travel::RowsToCollector;
}

} // namespace

Route chooseRoute(const Settings& settings) {
    const Turn turn = chooseTurn(settings);
    return {chooseTravel(settings, turn), turn};
}

int quarterTurnWhileEncoding(const Route& route, const Settings& settings) {
    return route.turn == Turn::WhileEncoding ? settings.rotateDegrees : 0;
}

} // namespace rastix
