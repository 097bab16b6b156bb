#include "encode/frameencoder.h"

#include "encode/mapshape.h"
#include "encode/pictureencoder.h"
#include "palette/colourcensus.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace rastix {

namespace {

// The palette every frame of a map is made with: the one planned for the set the sheet belongs
// to, the file's, or one chosen for the colours of the whole sheet.
PlannedPalette sheetPalette(const ColourCensus& census, int frameWidth, const Settings& s,
                            bool& quantised) {
    if (s.planned)
        return *s.planned;
    const MapRules rules =
        mapRulesFor(s, frameWidth, census.pixels(ColourCensus::kTransparent) != 0);
    if (s.givenPalette)
        return givenPalettePlan(*s.givenPalette, s, rules);
    ChosenPalette chosen = choosePalette(census, rules, s);
    quantised = chosen.quantised;
    return std::move(chosen.palette);
}

// Whether any pixel of the frame shows at all.
bool hasOpaquePixels(const ImageView& frame) {
    for (int y = 0; y < frame.height; ++y) {
        const std::uint32_t* row = frame.row(y);
        if (std::any_of(row, row + frame.width, [](std::uint32_t p) { return p >> 24 != 0; }))
            return true;
    }
    return false;
}

std::size_t distinctWords(const ColourCensus& census) {
    std::size_t count = 0;
    for (std::uint32_t w = 0; w < ColourCensus::kTransparent; ++w)
        count += census.pixels(w) != 0 ? 1 : 0;
    return count;
}

} // namespace

ColourCensus framesCensus(const ImageView& sheet, const FrameGrid& grid, const Settings& settings,
                          int threads, int quarterTurn) {
    return censusOfFrames(SheetFrames(sheet, grid, settings, quarterTurn), settings, threads);
}

FramesEncoder::FramesEncoder(const ImageView& sheet, const FrameGrid& grid,
                             const Settings& settings, int threads, int quarterTurn)
    : m_frames(sheet, grid, settings, quarterTurn)
    , m_settings(settings)
    , m_frameSettings(settings)
    , m_threads(threads)
    , m_quarterTurn(quarterTurn)
    , m_workspaces(static_cast<std::size_t>(std::max(threads, 1))) {}

EncodedPicture FramesEncoder::encodeFrame(int k, Workspace& workspace, int threads) const {
    const ImageView view = m_frames.frame(k, workspace.canvas);
    if (!m_settings.colourMap)
        return encodeTrueColour(view, m_frameSettings, threads, m_quarterTurn, m_transparent);
    // A frame worth several threads is made in bands of them.
    return threads > 1 ? encodeColourMap(view, m_frameSettings, threads, nullptr, m_quarterTurn)
                       : m_mapEncoder->encode(view, m_quarterTurn, workspace.map);
}

// Frames whose pixels are the same make the same bytes; others are encoded again to be sure.
bool FramesEncoder::sameBytes(int stored, int candidate, const ByteBuffer& bytes) const {
    const int madeFrom = m_store.madeFrom()[static_cast<std::size_t>(stored)];
    if (candidate >= 0) {
        const ImageView a = m_frames.unturned(madeFrom);
        const ImageView b = m_frames.unturned(candidate);
        bool samePixels = true;
        for (int y = 0; y < a.height && samePixels; ++y)
            samePixels = std::equal(a.row(y), a.row(y) + a.width, b.row(y));
        if (samePixels)
            return true;
    }
    return encodeFrame(madeFrom, m_workspaces.front(), m_threads).data == bytes;
}

std::optional<EncodedPicture> FramesEncoder::encode(const FrameBytesSink& sink) {
    bool quantised = false;
    std::size_t sourceColours = 0;
    if (m_settings.colourMap) {
        const ColourCensus census = censusOfFrames(m_frames, m_settings, m_threads);
        sourceColours = distinctWords(census);
        Image canvas;
        const QuarterTurnRows shape(m_frames.frame(0, canvas), m_quarterTurn);
        m_frameSettings.planned = std::make_shared<const PlannedPalette>(
            sheetPalette(census, shape.width(), m_settings, quantised));
        m_mapEncoder.emplace(m_frameSettings);
    } else {
        m_transparent = anyTransparentFrame(m_frames, m_threads);
    }
    if (sink)
        m_store = FrameStore(sink, [this](int stored, int candidate, const ByteBuffer& bytes) {
            return sameBytes(stored, candidate, bytes);
        });
    else
        m_store = FrameStore();
    FrameBatches frames(
        m_frames, m_frames.count(), m_threads, [this](int k, int slot, int threads) {
            return encodeFrame(k, m_workspaces[static_cast<std::size_t>(slot)], threads);
        });
    EncodedPicture out;
    const auto framesInAll = static_cast<std::size_t>(m_frames.count());
    for (int k = 0; k < m_frames.count(); ++k) {
        EncodedPicture frame = frames.next();
        if (out.frameOffsets.empty()) {
            out = frame;
            out.data.clear();
            out.storedFrames = 0;
        }
        out.zeroWordsTransparent = out.zeroWordsTransparent && frame.zeroWordsTransparent;
        out.quantised = out.quantised || frame.quantised;
        if (m_settings.mirrorFrames)
            out.frameReflect.push_back(0);
        if (m_settings.dropEmptyFrames && !hasOpaquePixels(m_frames.unturned(k))) {
            m_store.setAsideEmpty(frame, k);
            out.frameOffsets.push_back(-1); // set when the empty frame is stored, last
            continue;
        }
        const std::optional<FrameStore::Placed> placed =
            m_store.place(frame, k, framesInAll, m_settings.mirrorFrames);
        if (!placed)
            return std::nullopt;
        out.frameOffsets.push_back(static_cast<long long>(placed->stored) * out.frameBytes());
        if (placed->reflected)
            out.frameReflect.back() = 1;
    }
    const std::optional<int> empty = m_store.storeEmpty(framesInAll);
    if (!empty)
        return std::nullopt;
    if (*empty >= 0) {
        out.emptyFrameOffset = static_cast<long long>(*empty) * out.frameBytes();
        std::replace(out.frameOffsets.begin(), out.frameOffsets.end(), -1LL, out.emptyFrameOffset);
    }
    out.storedFrames = m_store.count();
    out.data = m_store.takeData();
    out.quantised = out.quantised || quantised;
    out.frameDelaysMs = m_frames.delaysMs();
    out.frameColumns = m_frames.columns();
    if (m_settings.colourMap)
        out.sourceColours = sourceColours;
    return out;
}

bool FramesEncoder::encodeStoredAgain(const FrameBytesSink& sink) {
    const std::vector<int>& madeFrom = m_store.madeFrom();
    FrameBatches frames(
        m_frames, static_cast<int>(madeFrom.size()), m_threads, [&](int i, int slot, int threads) {
            return encodeFrame(madeFrom[static_cast<std::size_t>(i)],
                               m_workspaces[static_cast<std::size_t>(slot)], threads);
        });
    for (std::size_t i = 0; i < madeFrom.size(); ++i) {
        const EncodedPicture frame = frames.next();
        if (!sink(frame.data.data(), frame.data.size()))
            return false;
    }
    return true;
}

EncodedPicture encodeFrames(const ImageView& sheet, const FrameGrid& grid, const Settings& settings,
                            int threads, int quarterTurn) {
    return *FramesEncoder(sheet, grid, settings, threads, quarterTurn).encode();
}

} // namespace rastix
