#pragma once

#include "settings.h"

namespace rastix {

// How a picture's pixels travel from its loader to their encoded words.
enum class Travel {
    // Row by row from the loader into the stream encoder while the picture is decoded: neither
    // the decoded nor the encoded picture is ever held whole.
    RowsToStream,
    // Decoded whole, then handed row by row to the stream encoder, through a view of the cut and
    // turned as the rows are read: the encoded picture is not held whole.
    DecodedToStream,
    // Row by row from the loader into the map collector, which counts the colours meanwhile.
    RowsToCollector,
    // Decoded whole, cut and turned into copies of their own, then encoded.
    DecodedWhole,
};

// How a picture is turned.
enum class Turn {
    None,          // by a whole number of full turns, so not at all
    WhileEncoding, // by quarters, read from the unturned picture while it is encoded
    CanvasFirst,   // the turned picture is made whole before it is encoded
};

struct Route {
    Travel travel = Travel::DecodedWhole;
    Turn turn = Turn::None;
    bool operator==(const Route&) const = default;
};

// The way a picture converted with these settings goes. A route that streams still ends in
// encoding the picture whole when its loader decodes it whole, or when its pixels turn out not to
// suit (see RowSink), so every route gives the bytes DecodedWhole would.
Route chooseRoute(const Settings& settings);

// The quarter turn for the encoder to read while encoding: 0 unless the route turns that way.
int quarterTurnWhileEncoding(const Route& route, const Settings& settings);

} // namespace rastix
