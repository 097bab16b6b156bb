#include "encode/streamencoder.h"

#include "output/assemblysource.h"
#include "output/sourcetext.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace rastix {

namespace {

// The encoder is much faster than decoding, so it would sleep and be woken for every chunk;
// on virtual machines each wake-up costs the loader's thread dearly. Waking it for a batch of
// chunks at a time cut the cost of encoding on the side from about 11% of the decoding time to
// about 4%. The chunks in flight stay in the caches between being decoded and being encoded.
constexpr std::size_t kChunksInFlight = 12;
constexpr std::size_t kWakeBatch = 6;

} // namespace

StreamEncoder::StreamEncoder(const Settings& settings, bool ownThread)
    : m_settings(settings)
    , m_encoder(settings)
    , m_ownThread(ownThread)
    , m_glass(glassCry(settings)) {}

std::uint64_t StreamEncoder::heldBytes(int width, bool ownThread, bool text) {
    const auto w = static_cast<std::uint64_t>(std::max(width, 0));
    const std::uint64_t rows = w * kChunkRows * 4 * (ownThread ? kChunksInFlight : 1);
    const std::uint64_t words =
        static_cast<std::uint64_t>(phraseAlignedRowBytes(std::max(width, 0), 16)) * kChunkRows;
    return rows + words + (text ? words * kMostTextPerByte : 0);
}

StreamEncoder::~StreamEncoder() {
    // A loader that never ended the picture: the worker stops at once.
    m_sync.finish(false);
}

bool StreamEncoder::begin(int width, int height) {
    if (width <= 0 || height <= 0 || std::exchange(m_began, true))
        return false;
    m_out.width = width;
    m_out.height = height;
    m_out.bitsPerPixel = 16;
    m_out.rowBytes = phraseAlignedRowBytes(width, 16);
    const auto rowBytes = static_cast<std::size_t>(m_out.rowBytes);
    try {
        if (m_file)
            m_scratch.resize(rowBytes * kChunkRows);
        else
            // Left uninitialised: every byte is written when its row is encoded, and filling
            // 50 MB with zeros first would cost as much as encoding them.
            m_out.data.resize(rowBytes * static_cast<std::size_t>(height));
        m_chunks.resize(m_ownThread ? kChunksInFlight : 1);
        const std::size_t chunkPixels = static_cast<std::size_t>(width) * kChunkRows;
        m_ring.resize(chunkPixels * m_chunks.size());
        for (std::size_t i = 0; i < m_chunks.size(); ++i) {
            m_chunks[i].pixels = m_ring.data() + chunkPixels * i;
            m_free.push_back(i);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (m_file && m_source) {
        const std::string header =
            sourceHeader(m_out, m_settings, m_source->sourceName, m_source->label);
        if (!m_file->append(reinterpret_cast<const std::uint8_t*>(header.data()), header.size())) {
            m_writeFailed = true;
            return false;
        }
    }
    // Without a thread of its own, each chunk is encoded on the loader's thread.
    if (m_ownThread)
        m_sync.start([this] { work(); });
    return true;
}

std::uint32_t* StreamEncoder::rowsToFill(int top, int count) {
    std::unique_lock lock(m_sync.mutex);
    m_sync.changed.wait(lock, [&] { return !m_free.empty() || m_sync.failed; });
    if (m_sync.failed || m_sync.ended || top != m_nextRow || count <= 0 || count > kChunkRows ||
        count > m_out.height - top) {
        m_sync.failed = true;
        return nullptr;
    }
    m_filling = m_free.front();
    m_free.pop_front();
    Chunk& chunk = m_chunks[m_filling];
    chunk.top = top;
    chunk.count = count;
    m_nextRow = top + count;
    return chunk.pixels;
}

void StreamEncoder::rowsFilled() {
    if (!m_sync.running()) {
        chunkDone(m_filling, encodeChunk(m_chunks[m_filling]));
        return;
    }
    bool wake = false;
    {
        std::lock_guard lock(m_sync.mutex);
        m_ready.push_back(m_filling);
        wake = m_ready.size() >= kWakeBatch || m_nextRow == m_out.height;
    }
    if (wake)
        m_sync.changed.notify_all();
}

void StreamEncoder::work() {
    for (;;) {
        std::size_t index = 0;
        {
            std::unique_lock lock(m_sync.mutex);
            m_sync.changed.wait(lock,
                                [&] { return !m_ready.empty() || m_sync.ended || m_sync.failed; });
            if (m_sync.failed || m_ready.empty())
                return;
            index = m_ready.front();
            m_ready.pop_front();
        }
        // The loader fills other chunks meanwhile; this one is the worker's alone.
        chunkDone(index, encodeChunk(m_chunks[index]));
    }
}

void StreamEncoder::chunkDone(std::size_t index, bool encoded) {
    {
        std::lock_guard lock(m_sync.mutex);
        m_free.push_back(index);
        if (encoded)
            m_rowsEncoded += m_chunks[index].count;
        m_sync.failed = m_sync.failed || !encoded;
    }
    m_sync.changed.notify_all(); // a loader waiting for room
}

bool StreamEncoder::encodeChunk(const Chunk& chunk) {
    const auto rowBytes = static_cast<std::size_t>(m_out.rowBytes);
    const std::size_t padding = rowBytes - static_cast<std::size_t>(m_out.width) * 2;
    std::uint8_t* const first =
        m_file ? m_scratch.data() : m_out.data.data() + rowBytes * std::size_t(chunk.top);
    std::uint8_t* dest = first;
    const std::uint32_t* source = chunk.pixels;
    for (int y = 0; y < chunk.count; ++y, dest += rowBytes, source += m_out.width) {
        m_encoder.encodeRow(source, m_out.width, dest);
        if (padding != 0)
            std::memset(dest + rowBytes - padding, 0, padding);
        // Only pictures without transparent pixels are streamed (see RowSink): a word 0 is
        // opaque black, and the object must draw it.
        m_opaqueZero = m_opaqueZero || (!m_glass && anyZeroWord(dest, std::size_t(m_out.width)));
    }
    // So far; with the last chunk, for the whole picture, before its trailer takes it.
    m_out.zeroWordsTransparent = !m_opaqueZero;
    if (!m_file)
        return true;
    bool written = false;
    if (!m_source) {
        written = m_file->append(first, static_cast<std::size_t>(dest - first));
    } else {
        m_text.clear();
        appendSourceRows(m_text, first, chunk.count, m_out, m_settings);
        if (chunk.top + chunk.count == m_out.height)
            m_text += sourceTrailer(m_out, m_settings, m_source->label);
        written =
            m_file->append(reinterpret_cast<const std::uint8_t*>(m_text.data()), m_text.size());
    }
    if (!written)
        m_writeFailed = true;
    return written;
}

bool StreamEncoder::end(bool allRows) {
    m_sync.finish(allRows);
    return complete();
}

bool StreamEncoder::complete() const {
    std::lock_guard lock(m_sync.mutex);
    return m_sync.ended && !m_sync.failed && m_out.height > 0 && m_rowsEncoded == m_out.height;
}

EncodedPicture StreamEncoder::take() {
    std::lock_guard lock(m_sync.mutex);
    return std::move(m_out);
}

} // namespace rastix
