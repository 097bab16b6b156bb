#include "encode/mapcollector.h"

#include "palette/dither.h"

#include <new>

namespace rastix {

namespace {

// Waking the counting thread for every chunk costs the loader's thread dearly on virtual
// machines (see streamencoder.cpp); a few chunks at a time still stay in the caches.
constexpr int kWakeRows = 6 * RowSink::kChunkRows;

} // namespace

MapCollector::MapCollector(const Settings& settings, bool ownThread)
    : m_settings(settings)
    , m_ownThread(ownThread)
    , m_keepWords(!dithers(settings)) {}

MapCollector::~MapCollector() {
    // A loader that never ended the picture: the worker stops at once.
    m_sync.finish(false);
}

bool MapCollector::begin(int width, int height) {
    if (width <= 0 || height <= 0 || !m_pixels.empty())
        return false;
    try {
        // Left uninitialised: the loader fills every row before it is read.
        m_pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_width = width;
    m_height = height;
    m_taker.emplace(m_settings, width);
    // Without a thread of its own, each chunk is counted on the loader's thread.
    if (m_ownThread)
        m_sync.start([this] { work(); });
    return true;
}

std::uint32_t* MapCollector::rowsToFill(int top, int count) {
    {
        std::lock_guard lock(m_sync.mutex);
        if (m_sync.failed || m_sync.ended || m_pixels.empty() || top != m_nextRow || count <= 0 ||
            count > kChunkRows || count > m_height - top) {
            m_sync.failed = true;
            return nullptr;
        }
    }
    m_fillingTop = top;
    m_nextRow = top + count;
    return m_pixels.data() + static_cast<std::size_t>(top) * static_cast<std::size_t>(m_width);
}

void MapCollector::rowsFilled() {
    if (!m_sync.running()) {
        count(m_fillingTop, m_nextRow);
        std::lock_guard lock(m_sync.mutex);
        m_filledRows = m_countedRows = m_nextRow;
        return;
    }
    bool wake = false;
    {
        std::lock_guard lock(m_sync.mutex);
        m_filledRows = m_nextRow;
        wake = m_filledRows - m_countedRows >= kWakeRows || m_filledRows == m_height;
    }
    if (wake)
        m_sync.changed.notify_all();
}

void MapCollector::work() {
    for (;;) {
        int first = 0;
        int last = 0;
        {
            std::unique_lock lock(m_sync.mutex);
            m_sync.changed.wait(lock, [&] {
                return m_sync.failed || m_sync.ended || m_filledRows - m_countedRows >= kWakeRows ||
                       m_filledRows == m_height;
            });
            if (m_sync.failed || m_filledRows == m_countedRows)
                return;
            first = m_countedRows;
            last = m_filledRows;
        }
        // Rows below m_filledRows are the loader's no more.
        count(first, last);
        std::lock_guard lock(m_sync.mutex);
        m_countedRows = last;
    }
}

void MapCollector::count(int first, int last) {
    std::uint32_t* rows = m_pixels.data() + static_cast<std::size_t>(first) * m_width;
    if (m_keepWords)
        m_taker->addRowsKeepingWords(rows, m_width, last - first, m_census);
    else
        m_taker->addRows(rows, m_width, last - first, m_census);
}

EncodedPicture MapCollector::encode(int threads) const {
    return encode(threads, m_settings);
}

EncodedPicture MapCollector::encode(int threads, const Settings& settings) const {
    const int turn = m_settings.rotateDegrees;
    return m_keepWords ? encodeColourMapOfWords(view(), settings, threads, m_census, turn)
                       : encodeColourMap(view(), settings, threads, &m_census, turn);
}

bool MapCollector::end(bool allRows) {
    m_sync.finish(allRows);
    return complete();
}

bool MapCollector::complete() const {
    std::lock_guard lock(m_sync.mutex);
    return m_sync.ended && !m_sync.failed && m_height > 0 && m_countedRows == m_height;
}

} // namespace rastix
