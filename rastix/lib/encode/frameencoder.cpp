#include "encode/frameencoder.h"

#include "encode/mapshape.h"
#include "encode/pictureencoder.h"
#include "palette/colourcensus.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace rastix {

namespace {

// The frames as they are encoded: in place, or each turned first onto a canvas of its own (an
// angle that is no quarter, or a quarter that is dithered along the turned rows).
struct SheetFrames {
    std::vector<Image> turned;
    std::vector<ImageView> views;
};

SheetFrames sheetFrames(const ImageView& sheet, const FrameGrid& grid, const Settings& s,
                        int quarterTurn) {
    SheetFrames frames;
    const bool turnFirst = quarterTurn % 360 == 0 && s.rotateDegrees % 360 != 0;
    for (int k = 0; k < grid.count(); ++k) {
        if (turnFirst)
            frames.turned.push_back(rotateClockwise(grid.frame(sheet, k), s.rotateDegrees));
        else
            frames.views.push_back(grid.frame(sheet, k));
    }
    for (const Image& frame : frames.turned)
        frames.views.push_back(frame.view());
    return frames;
}

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

// The frame's rows with their pixels in the opposite order, the padding left where it is: what
// the frame's data must be for the object to show it as this one with REFLECT.
ByteBuffer mirrored(const ByteBuffer& frame, int width, int rowBytes, int bitsPerPixel) {
    ByteBuffer out = frame;
    const auto rowSize = static_cast<std::size_t>(rowBytes);
    for (std::size_t at = 0; at + rowSize <= frame.size(); at += rowSize) {
        const std::uint8_t* in = frame.data() + at;
        std::uint8_t* row = out.data() + at;
        if (bitsPerPixel >= 8) {
            const int bytes = bitsPerPixel / 8;
            for (int x = 0; x < width; ++x)
                std::copy_n(in + (width - 1 - x) * bytes, bytes, row + x * bytes);
            continue;
        }
        // Pixels of 1, 2 or 4 bits, the first in the high bits of a byte.
        const int mask = (1 << bitsPerPixel) - 1;
        const auto shiftOf = [&](int x) {
            return 8 - bitsPerPixel - x * bitsPerPixel % 8;
        };
        for (int x = 0; x < width; ++x) {
            const int from = width - 1 - x;
            const int pixel = in[from * bitsPerPixel / 8] >> shiftOf(from) & mask;
            std::uint8_t& to = row[x * bitsPerPixel / 8];
            to = static_cast<std::uint8_t>((to & ~(mask << shiftOf(x))) | pixel << shiftOf(x));
        }
    }
    return out;
}

std::size_t hashOf(const ByteBuffer& bytes) {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Lays the frames out one after another, each distinct frame once: a frame with the bytes of
// one stored before points at that one, and so (when asked) does a frame that is one stored
// before mirrored, marked to be shown reflected. Empty frames set aside all point at one,
// stored after the others so the frames that show stay together.
class FrameStore {
public:
    FrameStore(EncodedPicture& out, bool findMirrors)
        : m_out(out)
        , m_findMirrors(findMirrors) {}

    void add(const ByteBuffer& frame) {
        int stored = find(frame);
        bool reflect = false;
        if (stored < 0 && m_findMirrors) {
            stored = find(mirrored(frame, m_out.width, m_out.rowBytes, m_out.bitsPerPixel));
            reflect = stored >= 0;
        }
        if (stored < 0) {
            stored = m_out.storedFrames++;
            m_storedByHash.emplace(hashOf(frame), stored);
            m_out.data.insert(m_out.data.end(), frame.begin(), frame.end());
        }
        m_out.frameOffsets.push_back(static_cast<long long>(stored) * m_out.frameBytes());
        if (m_findMirrors)
            m_out.frameReflect.push_back(reflect ? 1 : 0);
    }

    void addEmpty(const ByteBuffer& frame) {
        if (m_emptySlots.empty())
            m_empty = frame;
        m_emptySlots.push_back(m_out.frameOffsets.size());
        m_out.frameOffsets.push_back(-1);
        if (m_findMirrors)
            m_out.frameReflect.push_back(0);
    }

    void finish() {
        if (m_emptySlots.empty())
            return;
        m_out.emptyFrameOffset = static_cast<long long>(m_out.storedFrames++) * m_out.frameBytes();
        m_out.data.insert(m_out.data.end(), m_empty.begin(), m_empty.end());
        for (const std::size_t slot : m_emptySlots)
            m_out.frameOffsets[slot] = m_out.emptyFrameOffset;
    }

private:
    // The stored frame with these bytes, or -1.
    int find(const ByteBuffer& frame) const {
        const auto bytes = static_cast<std::ptrdiff_t>(frame.size());
        const auto [first, last] = m_storedByHash.equal_range(hashOf(frame));
        for (auto it = first; it != last; ++it)
            if (std::equal(frame.begin(), frame.end(), m_out.data.begin() + it->second * bytes))
                return it->second;
        return -1;
    }

    EncodedPicture& m_out;
    const bool m_findMirrors;
    std::unordered_multimap<std::size_t, int> m_storedByHash;
    ByteBuffer m_empty;
    std::vector<std::size_t> m_emptySlots;
};

std::size_t distinctWords(const ColourCensus& census) {
    std::size_t count = 0;
    for (std::uint32_t w = 0; w < ColourCensus::kTransparent; ++w)
        count += census.pixels(w) != 0 ? 1 : 0;
    return count;
}

} // namespace

ColourCensus framesCensus(const ImageView& sheet, const FrameGrid& grid, const Settings& settings,
                          int threads, int quarterTurn) {
    const SheetFrames frames = sheetFrames(sheet, grid, settings, quarterTurn);
    ColourCensus census;
    for (const ImageView& frame : frames.views)
        census.add(takeCensus(frame, settings, threads));
    return census;
}

EncodedPicture encodeFrames(const ImageView& sheet, const FrameGrid& grid, const Settings& settings,
                            int threads, int quarterTurn) {
    const SheetFrames frames = sheetFrames(sheet, grid, settings, quarterTurn);
    Settings frameSettings = settings;
    bool quantised = false;
    std::size_t sourceColours = 0;
    std::optional<bool> transparent;
    if (settings.colourMap) {
        ColourCensus census;
        for (const ImageView& frame : frames.views)
            census.add(takeCensus(frame, settings, threads));
        sourceColours = distinctWords(census);
        const QuarterTurnRows shape(frames.views.front(), quarterTurn);
        frameSettings.planned = std::make_shared<const PlannedPalette>(
            sheetPalette(census, shape.width(), settings, quantised));
    } else {
        transparent = std::any_of(frames.views.begin(), frames.views.end(), hasTransparentPixels);
    }
    EncodedPicture out;
    FrameStore store(out, settings.mirrorFrames);
    for (const ImageView& view : frames.views) {
        EncodedPicture frame =
            settings.colourMap
                ? encodeColourMap(view, frameSettings, threads, nullptr, quarterTurn)
                : encodeTrueColour(view, frameSettings, threads, quarterTurn, transparent);
        if (out.frameOffsets.empty()) {
            out = frame;
            out.data.clear();
            out.storedFrames = 0;
        }
        out.zeroWordsTransparent = out.zeroWordsTransparent && frame.zeroWordsTransparent;
        out.quantised = out.quantised || frame.quantised;
        if (settings.dropEmptyFrames && !hasOpaquePixels(view))
            store.addEmpty(frame.data);
        else
            store.add(frame.data);
    }
    store.finish();
    out.quantised = out.quantised || quantised;
    out.frameDelaysMs = grid.delaysMs;
    out.frameColumns = grid.columns;
    if (settings.colourMap)
        out.sourceColours = sourceColours;
    return out;
}

} // namespace rastix
