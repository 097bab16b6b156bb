#pragma once

#include "codec/encodedpicture.h"
#include "encode/framestore.h"
#include "encode/pictureencoder.h"
#include "encode/sheetframes.h"
#include "image/framegrid.h"
#include "image/image.h"
#include "palette/colourcensus.h"
#include "settings.h"

#include <optional>
#include <vector>

namespace rastix {

// The frames of a sprite sheet, each encoded as a picture of its own (turned on its own, as the
// settings say) and laid out one after another, phrase-aligned, so that an object shows a
// frame by pointing its DATA at it. The sheet is one picture for what the object needs to
// agree on for every frame: a colour map's palette is chosen from all of the sheet's colours,
// and transparency (TRANS) is the sheet's. Frames whose bytes are the same are stored once.
// quarterTurn is the turn read while encoding (see Route); any other turn the settings ask for
// is made on each frame first.
class FramesEncoder {
public:
    FramesEncoder(const ImageView& sheet, const FrameGrid& grid, const Settings& settings,
                  int threads, int quarterTurn);
    // Every frame. With a sink, the bytes of each frame stored go to it as soon as it is found
    // and the picture's data stays empty, so that they need not be held beside the sheet;
    // empty when the sink did not take them.
    std::optional<EncodedPicture> encode(const FrameBytesSink& sink = {});
    // After encode: the stored frames' bytes once more, in the same order (for source text,
    // which tells how many there are before them).
    bool encodeStoredAgain(const FrameBytesSink& sink);

private:
    // What encoding a frame works with, one a thread.
    struct Workspace {
        Image canvas;
        PlannedMapEncoder::Scratch map;
    };
    EncodedPicture encodeFrame(int k, Workspace& workspace, int threads) const;
    bool sameBytes(int stored, int candidate, const ByteBuffer& bytes) const;

    const SheetFrames m_frames;
    const Settings m_settings;
    Settings m_frameSettings;
    const int m_threads;
    const int m_quarterTurn;
    std::optional<bool> m_transparent;
    std::optional<PlannedMapEncoder> m_mapEncoder;
    mutable std::vector<Workspace> m_workspaces;
    FrameStore m_store;
};

// Every frame, the stored ones kept in the picture's data.
EncodedPicture encodeFrames(const ImageView& sheet, const FrameGrid& grid, const Settings& settings,
                            int threads, int quarterTurn);

// The colours of the frames as encodeFrames turns them: what a palette shared with other
// pictures is chosen from.
ColourCensus framesCensus(const ImageView& sheet, const FrameGrid& grid, const Settings& settings,
                          int threads, int quarterTurn);

} // namespace rastix
