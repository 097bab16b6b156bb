#pragma once

#include "codec/encodedpicture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace rastix {

// Where the bytes of a sheet's stored frames go, in order, as each is stored; false when they
// could not be taken (a full disk).
using FrameBytesSink = std::function<bool(const std::uint8_t* bytes, std::size_t size)>;

// A frame's rows with their pixels in the opposite order, the padding left where it is: the
// data an object with REFLECT shows as the frame given.
ByteBuffer mirroredFrame(const ByteBuffer& frame, int width, int rowBytes, int bitsPerPixel);

// The distinct frames of a sheet, each stored once, in the order they are first met. Without a
// sink their bytes are kept, one after another; with one they are handed on as each is stored
// and not held, and a frame that may repeat one stored before (the same hash) is told apart by
// sameBytes(stored, candidate, bytes), candidate being the frame's place in the sheet (-1 for
// bytes that are a frame mirrored): what the sheet can tell more cheaply than holding every
// frame.
class FrameStore {
public:
    using SameBytes = std::function<bool(int stored, int candidate, const ByteBuffer& bytes)>;
    FrameStore() = default;
    FrameStore(FrameBytesSink sink, SameBytes sameBytes);

    struct Placed {
        int stored = 0;
        bool reflected = false; // the stored frame mirrored is this one
    };
    // The stored frame with the frame's bytes (or, with findMirror, with them mirrored),
    // stored now if none had them; madeFrom is the frame's place in the sheet of framesInAll.
    // Empty when the sink did not take its bytes.
    std::optional<Placed> place(const EncodedPicture& frame, int madeFrom, std::size_t framesInAll,
                                bool findMirror);
    // An empty frame, kept aside to be stored once after all the others.
    void setAsideEmpty(const EncodedPicture& frame, int madeFrom);
    // Stores the empty frame set aside, if any: its number, -1 when none, empty when the sink
    // did not take it.
    std::optional<int> storeEmpty(std::size_t framesInAll);

    int count() const { return static_cast<int>(m_madeFrom.size()); }
    // The frame of the sheet each stored frame was made from.
    const std::vector<int>& madeFrom() const { return m_madeFrom; }
    // The stored frames' bytes, one after another (none with a sink).
    ByteBuffer takeData() { return std::move(m_data); }

private:
    int find(const ByteBuffer& bytes, std::size_t hash, int candidate) const;
    bool store(const ByteBuffer& bytes, std::size_t hash, int madeFrom, std::size_t framesInAll);

    FrameBytesSink m_sink;
    SameBytes m_sameBytes;
    ByteBuffer m_data;
    std::vector<int> m_madeFrom;
    std::unordered_multimap<std::size_t, int> m_byHash; // the stored frames by their bytes' hash
    ByteBuffer m_empty;
    int m_emptyFrom = -1;
};

} // namespace rastix
