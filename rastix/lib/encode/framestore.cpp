#include "encode/framestore.h"

#include <algorithm>
#include <string_view>

namespace rastix {

namespace {

std::size_t hashOf(const ByteBuffer& bytes) {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace

ByteBuffer mirroredFrame(const ByteBuffer& frame, int width, int rowBytes, int bitsPerPixel) {
    ByteBuffer out = frame;
    const auto rowSize = static_cast<std::size_t>(rowBytes);
    for (std::size_t at = 0; rowSize > 0 && at + rowSize <= frame.size(); at += rowSize) {
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

FrameStore::FrameStore(FrameBytesSink sink, SameBytes sameBytes)
    : m_sink(std::move(sink))
    , m_sameBytes(std::move(sameBytes)) {}

int FrameStore::find(const ByteBuffer& bytes, std::size_t hash, int candidate) const {
    const auto [first, last] = m_byHash.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        const bool same =
            m_sink ? m_sameBytes(it->second, candidate, bytes)
                   : std::equal(bytes.begin(), bytes.end(),
                                m_data.begin() +
                                    static_cast<std::ptrdiff_t>(
                                        static_cast<std::size_t>(it->second) * bytes.size()));
        if (same)
            return it->second;
    }
    return -1;
}

bool FrameStore::store(const ByteBuffer& bytes, std::size_t hash, int madeFrom,
                       std::size_t framesInAll) {
    if (m_sink) {
        if (!m_sink(bytes.data(), bytes.size()))
            return false;
    } else {
        // Room for every frame at once: growing by doubling would hold the old and the new
        // block together, half again as much as the frames. Pages not filled are not used.
        if (m_data.empty())
            m_data.reserve(bytes.size() * framesInAll);
        m_data.insert(m_data.end(), bytes.begin(), bytes.end());
    }
    m_byHash.emplace(hash, count());
    m_madeFrom.push_back(madeFrom);
    return true;
}

std::optional<FrameStore::Placed> FrameStore::place(const EncodedPicture& frame, int madeFrom,
                                                    std::size_t framesInAll, bool findMirror) {
    const std::size_t hash = hashOf(frame.data);
    if (const int stored = find(frame.data, hash, madeFrom); stored >= 0)
        return Placed{stored, false};
    if (findMirror) {
        const ByteBuffer mirror =
            mirroredFrame(frame.data, frame.width, frame.rowBytes, frame.bitsPerPixel);
        if (const int stored = find(mirror, hashOf(mirror), -1); stored >= 0)
            return Placed{stored, true};
    }
    const int stored = count();
    if (!store(frame.data, hash, madeFrom, framesInAll))
        return std::nullopt;
    return Placed{stored, false};
}

void FrameStore::setAsideEmpty(const EncodedPicture& frame, int madeFrom) {
    if (m_emptyFrom >= 0)
        return;
    m_empty = frame.data;
    m_emptyFrom = madeFrom;
}

std::optional<int> FrameStore::storeEmpty(std::size_t framesInAll) {
    if (m_emptyFrom < 0)
        return -1;
    const int stored = count();
    if (!store(m_empty, hashOf(m_empty), m_emptyFrom, framesInAll))
        return std::nullopt;
    return stored;
}

} // namespace rastix
