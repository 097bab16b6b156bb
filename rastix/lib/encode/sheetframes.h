#pragma once

#include "codec/encodedpicture.h"
#include "image/framegrid.h"
#include "image/image.h"
#include "palette/colourcensus.h"
#include "settings.h"

#include <functional>
#include <vector>

namespace rastix {

// The frames of a sheet as they are encoded: in place, or each turned first onto a canvas of
// its own (an angle that is no quarter, or a quarter that is dithered along the turned rows).
// A frame is turned only when it is wanted, onto a canvas of the thread that wants it, so the
// turned frames of a large sheet never exist all at once beside it.
class SheetFrames {
public:
    SheetFrames(const ImageView& sheet, const FrameGrid& grid, const Settings& settings,
                int quarterTurn);
    int count() const { return m_grid.count(); }
    int framePixels() const { return m_grid.width * m_grid.height; }
    const std::vector<int>& delaysMs() const { return m_grid.delaysMs; }
    int columns() const { return m_grid.columns; }
    // Frame k as the sheet holds it.
    ImageView unturned(int k) const { return m_grid.frame(m_sheet, k); }
    // Frame k as it is encoded; turned onto canvas where it has to be.
    ImageView frame(int k, Image& canvas) const;
    // Whether frame k's encoding may hold transparent pixels apart from opaque ones.
    bool hasTransparentPixels(int k, Image& canvas) const;

private:
    ImageView m_sheet;
    FrameGrid m_grid;
    int m_degrees = 0;
    bool m_turnFirst = false;
};

// Runs work(k, slot, threads) for frames first to last - 1: small frames spread over up to
// `threads` threads, slot (below threads) telling which one; a frame large enough to be worth
// several threads by itself one after another in slot 0, with all of them.
void forFrames(const SheetFrames& frames, int first, int last, int threads,
               const std::function<void(int k, int slot, int threads)>& work);

// Encodes frames on several threads a batch at a time for a loop that takes them in order, so
// that at most one batch of encoded frames is held: next() gives frame 0, 1, 2, ... of
// `count`, encode(i, slot, threads) making frame i (slot as forFrames gives it).
class FrameBatches {
public:
    using Encode = std::function<EncodedPicture(int i, int slot, int threads)>;
    FrameBatches(const SheetFrames& frames, int count, int threads, Encode encode);
    EncodedPicture next();

private:
    const SheetFrames& m_frames;
    const int m_count;
    const int m_threads;
    const Encode m_encode;
    int m_batchSize = 1;
    int m_first = 0; // the index of m_batch[0]
    int m_taken = 0;
    std::vector<EncodedPicture> m_batch;
};

// How often each colour occurs in the frames as they are encoded.
ColourCensus censusOfFrames(const SheetFrames& frames, const Settings& settings, int threads);

// Whether any frame as it is encoded has transparent pixels.
bool anyTransparentFrame(const SheetFrames& frames, int threads);

} // namespace rastix
