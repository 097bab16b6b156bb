#include "bandencoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace rastix {

namespace {

// Small enough that the other thread can take a fair share of the last band and that a chunk
// of encoded rows stays in cache until it is written, large enough that the queue and the
// system calls cost nothing next to the encoding.
constexpr int kRowsPerChunk = 32;

} // namespace

BandEncoder::BandEncoder(const Settings& settings)
    : m_encoder(settings) {}

bool BandEncoder::prepare(const ImageView& picture) {
    if (m_prepared)
        return !m_failed;
    m_prepared = true;
    m_picture = picture;
    m_out.width = picture.width;
    m_out.height = picture.height;
    m_out.bitsPerPixel = 16;
    m_out.rowBytes = phraseAlignedRowBytes(picture.width, 16);
    if (m_file)
        return true;
    try {
        // Left uninitialised: every byte is written when its row is encoded, and filling 50 MB
        // with zeros first would cost as much as encoding them.
        m_out.data.resize(static_cast<std::size_t>(m_out.rowBytes) *
                          static_cast<std::size_t>(m_out.height));
    } catch (const std::bad_alloc&) {
        m_failed = true;
    }
    return !m_failed;
}

void BandEncoder::rowsDone(const ImageView& picture, int top, int height, bool decoded) {
    {
        std::lock_guard lock(m_mutex);
        const bool usable = prepare(picture) && decoded && picture.pixels == m_picture.pixels;
        if (!usable)
            m_failed = true;
        else
            for (int y = top; y < top + height; y += kRowsPerChunk)
                m_queue.emplace_back(y, std::min(top + height, y + kRowsPerChunk));
        m_rowsSettled += height;
    }
    m_changed.notify_all();
    try {
        encodeQueuedRows();
    } catch (const std::bad_alloc&) {
        std::lock_guard lock(m_mutex);
        m_failed = true;
    }
}

void BandEncoder::encodeQueuedRows() {
    const auto rowBytes = static_cast<std::size_t>(m_out.rowBytes);
    const std::size_t padding = rowBytes - static_cast<std::size_t>(m_out.width) * 2;
    std::vector<std::uint8_t> scratch(m_file ? rowBytes * kRowsPerChunk : 0);
    for (;;) {
        std::pair<int, int> rows;
        {
            std::unique_lock lock(m_mutex);
            // Waiting here is waiting for the other decoding threads, which the loader would
            // do anyway; the rows they finish are shared out from this queue.
            m_changed.wait(lock, [&] {
                return !m_queue.empty() || m_rowsSettled >= m_out.height || m_failed;
            });
            if (m_failed || m_queue.empty())
                return;
            rows = m_queue.front();
            m_queue.pop_front();
        }
        std::uint8_t* const first =
            m_file ? scratch.data() : m_out.data.data() + rowBytes * std::size_t(rows.first);
        std::uint8_t* dest = first;
        for (int y = rows.first; y < rows.second; ++y, dest += rowBytes) {
            m_encoder.encodeRow(m_picture.row(y), m_out.width, dest);
            if (padding != 0)
                std::memset(dest + rowBytes - padding, 0, padding);
        }
        const bool written = !m_file || m_file->writeAt(rowBytes * std::size_t(rows.first), first,
                                                        static_cast<std::size_t>(dest - first));
        std::lock_guard lock(m_mutex);
        m_rowsEncoded += rows.second - rows.first;
        m_failed = m_failed || !written;
    }
}

bool BandEncoder::complete() const {
    std::lock_guard lock(m_mutex);
    return m_prepared && !m_failed && m_rowsEncoded == m_out.height;
}

EncodedPicture BandEncoder::take() {
    std::lock_guard lock(m_mutex);
    return std::move(m_out);
}

} // namespace rastix
