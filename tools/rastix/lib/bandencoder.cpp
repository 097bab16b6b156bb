#include "bandencoder.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace rastix {

namespace {

// Small enough that the other thread can take a fair share of the last band, large enough that
// the queue costs nothing next to the encoding.
constexpr int kRowsPerChunk = 64;

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
    try {
        // Left uninitialised: every byte is written when its row is encoded, and filling 50 MB
        // with zeros first would cost as much as encoding them.
        m_out.data.resize(static_cast<std::size_t>(m_out.rowBytes) *
                          static_cast<std::size_t>(m_out.height));
        if (m_file)
            m_rowEncoded.assign(static_cast<std::size_t>(m_out.height), 0);
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
    encodeQueuedRows();
}

void BandEncoder::encodeQueuedRows() {
    const std::size_t padding =
        static_cast<std::size_t>(m_out.rowBytes) - static_cast<std::size_t>(m_out.width) * 2;
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
        for (int y = rows.first; y < rows.second; ++y) {
            std::uint8_t* dest = m_out.data.data() + static_cast<std::size_t>(y) * m_out.rowBytes;
            m_encoder.encodeRow(m_picture.row(y), m_out.width, dest);
            if (padding != 0)
                std::memset(dest + m_out.rowBytes - padding, 0, padding);
        }
        std::unique_lock lock(m_mutex);
        m_rowsEncoded += rows.second - rows.first;
        if (m_file) {
            std::fill(m_rowEncoded.begin() + rows.first, m_rowEncoded.begin() + rows.second, 1);
            while (m_encodedPrefix < m_out.height && m_rowEncoded[m_encodedPrefix])
                ++m_encodedPrefix;
            writeEncodedRows(lock);
        }
    }
}

void BandEncoder::writeEncodedRows(std::unique_lock<std::mutex>& lock) {
    if (m_writing || m_streamFailed)
        return; // whoever is writing picks these rows up before it stops
    m_writing = true;
    while (m_rowsWritten < m_encodedPrefix && !m_streamFailed) {
        const int first = m_rowsWritten;
        const int last = m_encodedPrefix;
        lock.unlock();
        const std::size_t rowBytes = static_cast<std::size_t>(m_out.rowBytes);
        const bool ok =
            m_file->append(m_out.data.data() + rowBytes * static_cast<std::size_t>(first),
                           rowBytes * static_cast<std::size_t>(last - first));
        lock.lock();
        m_rowsWritten = last;
        m_streamFailed = !ok;
    }
    m_writing = false;
}

bool BandEncoder::streamComplete() const {
    std::lock_guard lock(m_mutex);
    return m_file && !m_failed && !m_streamFailed && !m_writing && m_rowsWritten == m_out.height;
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
