#include "encode/framestore.h"

#include <algorithm>
#include <string_view>

namespace rastix {

FrameStore::FrameStore(FrameBytesSink sink, SameBytes sameBytes)
    : m_sink(std::move(sink))
    , m_sameBytes(std::move(sameBytes)) {}

bool FrameStore::sameAsStored(int stored, int candidate, const EncodedPicture& frame) const {
    if (m_sink)
        return m_sameBytes(stored, candidate, frame);
    const std::size_t bytes = frame.data.size();
    return std::equal(frame.data.begin(), frame.data.end(),
                      m_data.begin() + static_cast<std::ptrdiff_t>(stored * bytes));
}

std::optional<int> FrameStore::place(const EncodedPicture& frame, int madeFrom,
                                     std::size_t framesInAll) {
    const std::size_t bytes = frame.data.size();
    const std::size_t hash = std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(frame.data.data()), bytes));
    const auto [first, last] = m_byHash.equal_range(hash);
    for (auto it = first; it != last; ++it)
        if (sameAsStored(it->second, madeFrom, frame))
            return it->second;
    const int stored = count();
    if (m_sink) {
        if (!m_sink(frame.data.data(), bytes))
            return std::nullopt;
    } else {
        // Room for every frame at once: growing by doubling would hold the old and the new
        // block together, half again as much as the frames. Pages not filled are not used.
        if (m_data.empty())
            m_data.reserve(bytes * framesInAll);
        m_data.insert(m_data.end(), frame.data.begin(), frame.data.end());
    }
    m_madeFrom.push_back(madeFrom);
    m_byHash.emplace(hash, stored);
    return stored;
}

} // namespace rastix
