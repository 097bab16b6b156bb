#pragma once

#include "encode/pictureencoder.h"
#include "encode/sinkworker.h"
#include "image/largeblock.h"
#include "image/rowsink.h"
#include "palette/colourcensus.h"

#include <optional>
#include <vector>

namespace rastix {

// Keeps the rows a loader decodes, for a colour map, and takes their census as they arrive, so
// that once the picture is decoded only the palette and the map are left to make. With a thread
// of its own the counting runs on another core while the loader decodes the next rows; without,
// each chunk is counted on the loader's thread while it is still in cache.
class MapCollector final : public RowSink {
public:
    MapCollector(const Settings& settings, bool ownThread);
    ~MapCollector() override;
    MapCollector(const MapCollector&) = delete;
    MapCollector& operator=(const MapCollector&) = delete;

    bool begin(int width, int height) override;
    std::uint32_t* rowsToFill(int top, int count) override;
    void rowsFilled() override;
    bool end(bool allRows) override;

    // True when every row of the picture was decoded and counted.
    bool complete() const;
    const ColourCensus& census() const { return m_census; }
    // The map of the complete picture, turned as the settings say (by a multiple of 90 degrees).
    EncodedPicture encode(int threads) const;
    // The same with other settings of the same colour model (a palette planned for it since).
    EncodedPicture encode(int threads, const Settings& settings) const;

private:
    void work();
    void count(int first, int last);
    ImageView view() const { return {m_pixels.data(), m_width, m_height, m_width}; }

    const Settings m_settings;
    const bool m_ownThread;
    // Unless the map is dithered, each pixel gives way to its word once counted.
    const bool m_keepWords;
    std::vector<std::uint32_t, LargeBlockAllocator<std::uint32_t>> m_pixels;
    int m_width = 0;
    int m_height = 0;
    ColourCensus m_census;
    std::optional<CensusTaker> m_taker;
    int m_nextRow = 0;     // the loader's: the first row not yet handed out
    int m_fillingTop = 0;  // the loader's: the rows being filled
    int m_filledRows = 0;  // rows [0, m_filledRows) are decoded
    int m_countedRows = 0; // rows [0, m_countedRows) are in the census
    // Last, so that the worker is stopped before anything it works on goes.
    mutable SinkWorker m_sync;
};

} // namespace rastix
