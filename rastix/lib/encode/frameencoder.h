#pragma once

#include "codec/encodedpicture.h"
#include "image/framegrid.h"
#include "image/image.h"
#include "palette/colourcensus.h"
#include "settings.h"

namespace rastix {

// The frames of a sprite sheet, each encoded as a picture of its own (turned on its own, as the
// settings say) and laid out one after another, phrase-aligned, so that an object shows a
// frame by pointing its DATA at it. The sheet is one picture for what the object needs to
// agree on for every frame: a colour map's palette is chosen from all of the sheet's colours,
// and transparency (TRANS) is the sheet's. Frames whose bytes are the same are stored once.
// quarterTurn is the turn read while encoding (see Route); any other turn the settings ask for
// is made on each frame first.
EncodedPicture encodeFrames(const ImageView& sheet, const FrameGrid& grid, const Settings& settings,
                            int threads, int quarterTurn);

// The colours of the frames as encodeFrames turns them: what a palette shared with other
// pictures is chosen from.
ColourCensus framesCensus(const ImageView& sheet, const FrameGrid& grid, const Settings& settings,
                          int threads, int quarterTurn);

} // namespace rastix
