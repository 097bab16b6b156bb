#include "encode/sheetframes.h"

#include "codec/pixelcodec.h"
#include "image/rowbands.h"

#include <algorithm>
#include <atomic>
#include <optional>

namespace rastix {

namespace {

// A frame of at least this many pixels is worth the threads on its own (see rowBandCount).
constexpr int kFrameWorthBands = 1 << 18;

// Enough frames to a batch that starting its threads costs little beside encoding them, few
// enough that the batch's encoded frames stay small beside the sheet.
constexpr int kBatchPixels = 1 << 22;

} // namespace

SheetFrames::SheetFrames(const ImageView& sheet, const FrameGrid& grid, const Settings& s,
                         int quarterTurn)
    : m_sheet(sheet)
    , m_grid(grid)
    , m_degrees(s.rotateDegrees)
    , m_turnFirst(quarterTurn % 360 == 0 && s.rotateDegrees % 360 != 0) {}

ImageView SheetFrames::frame(int k, Image& canvas) const {
    if (!m_turnFirst)
        return unturned(k);
    canvas = rotateClockwise(unturned(k), m_degrees);
    return canvas.view();
}

bool SheetFrames::hasTransparentPixels(int k, Image& canvas) const {
    // A quarter turn moves the pixels and makes none; any other angle leaves corners clear.
    if (!m_turnFirst || m_degrees % 90 == 0)
        return rastix::hasTransparentPixels(unturned(k));
    return rastix::hasTransparentPixels(frame(k, canvas));
}

void forFrames(const SheetFrames& frames, int first, int last, int threads,
               const std::function<void(int k, int slot, int threads)>& work) {
    threads = std::max(1, threads);
    if (frames.framePixels() >= kFrameWorthBands) {
        for (int k = first; k < last; ++k)
            work(k, 0, threads);
        return;
    }
    // The frames as the rows of a picture, each row a frame's pixels: banded as a picture is.
    const ImageView asRows{nullptr, std::max(1, frames.framePixels()), last - first, 0};
    inRowBands(asRows, threads, [&](int top, int bottom, int band) {
        for (int k = first + top; k < first + bottom; ++k)
            work(k, band, 1);
    });
}

FrameBatches::FrameBatches(const SheetFrames& frames, int count, int threads, Encode encode)
    : m_frames(frames)
    , m_count(count)
    , m_threads(std::max(1, threads))
    , m_encode(std::move(encode)) {
    if (frames.framePixels() < kFrameWorthBands)
        m_batchSize = std::max(m_threads, kBatchPixels / std::max(1, frames.framePixels()));
}

EncodedPicture FrameBatches::next() {
    if (m_taken == m_first + static_cast<int>(m_batch.size())) {
        m_first = m_taken;
        const int last = std::min(m_count, m_first + m_batchSize);
        m_batch.assign(static_cast<std::size_t>(last - m_first), EncodedPicture{});
        forFrames(m_frames, m_first, last, m_threads, [&](int i, int slot, int threads) {
            m_batch[static_cast<std::size_t>(i - m_first)] = m_encode(i, slot, threads);
        });
    }
    return std::move(m_batch[static_cast<std::size_t>(m_taken++ - m_first)]);
}

ColourCensus censusOfFrames(const SheetFrames& frames, const Settings& settings, int threads) {
    threads = std::clamp(threads, 1, 16);
    // One census a thread, each frame counted into its thread's: a census is too large to be
    // made afresh for each small frame.
    struct Counter {
        ColourCensus census;
        std::optional<CensusTaker> taker; // every frame is as wide as the first
        Image canvas;
    };
    std::vector<Counter> counters(static_cast<std::size_t>(threads));
    forFrames(frames, 0, frames.count(), threads, [&](int k, int slot, int frameThreads) {
        Counter& c = counters[static_cast<std::size_t>(slot)];
        const ImageView frame = frames.frame(k, c.canvas);
        if (frameThreads > 1) {
            c.census.add(takeCensus(frame, settings, frameThreads));
            return;
        }
        if (!c.taker)
            c.taker.emplace(settings, frame.width);
        c.taker->addRows(frame.pixels, frame.stride, frame.height, c.census);
    });
    for (std::size_t t = 1; t < counters.size(); ++t)
        counters[0].census.add(counters[t].census);
    return std::move(counters[0].census);
}

bool anyTransparentFrame(const SheetFrames& frames, int threads) {
    std::atomic<bool> found = false;
    std::vector<Image> canvases(static_cast<std::size_t>(std::max(1, threads)));
    forFrames(frames, 0, frames.count(), threads, [&](int k, int slot, int) {
        if (!found.load(std::memory_order_relaxed) &&
            frames.hasTransparentPixels(k, canvases[static_cast<std::size_t>(slot)]))
            found = true;
    });
    return found;
}

} // namespace rastix
