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
    // The stored frames by the hash of their bytes, to find a frame stored before.
    std::unordered_multimap<std::size_t, int> storedByHash;
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
        const std::size_t bytes = frame.data.size();
        const std::size_t hash = std::hash<std::string_view>{}(
            std::string_view(reinterpret_cast<const char*>(frame.data.data()), bytes));
        int stored = -1;
        const auto [first, last] = storedByHash.equal_range(hash);
        for (auto it = first; it != last && stored < 0; ++it)
            if (std::equal(frame.data.begin(), frame.data.end(),
                           out.data.begin() + static_cast<std::ptrdiff_t>(it->second * bytes)))
                stored = it->second;
        if (stored < 0) {
            stored = out.storedFrames++;
            storedByHash.emplace(hash, stored);
            out.data.insert(out.data.end(), frame.data.begin(), frame.data.end());
        }
        out.frameOffsets.push_back(static_cast<long long>(stored) * out.frameBytes());
    }
    out.quantised = out.quantised || quantised;
    out.frameDelaysMs = grid.delaysMs;
    out.frameColumns = grid.columns;
    if (settings.colourMap)
        out.sourceColours = sourceColours;
    return out;
}

} // namespace rastix
