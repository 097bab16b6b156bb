#pragma once

#include "codec/pixelcodec.h"
#include "encode/pictureencoder.h"
#include "encode/sinkworker.h"
#include "image/rowsink.h"
#include "output/filestaging.h"

#include <atomic>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace rastix {

// Encodes a true-colour picture from the rows a loader hands over while it decodes. With a
// thread of its own, encoding (and writing) runs on another core while the loader decodes the
// next rows, so a conversion takes little longer than the decoding; without, each chunk is
// encoded on the loader's thread while it is still in cache.
// Rows go to the output buffer or, given a staged file, are written straight to it, so neither
// the decoded nor the encoded picture exists in memory as a whole.
class StreamEncoder final : public RowSink {
public:
    StreamEncoder(const Settings& settings, bool ownThread);
    ~StreamEncoder() override;
    StreamEncoder(const StreamEncoder&) = delete;
    StreamEncoder& operator=(const StreamEncoder&) = delete;

    // Before loading: write the rows to file (which must outlive the loading) instead; as
    // source text (assembly or C, as the settings say) when given the names for its header and
    // label.
    struct SourceNames {
        std::string sourceName;
        std::string label;
    };
    void streamTo(StagedFile* file, std::optional<SourceNames> source = std::nullopt) {
        m_file = file;
        m_source = std::move(source);
    }

    // What an encoder holds for a picture this wide while it writes to a file: its chunks of
    // rows in flight, and one chunk's words and (for source text) their text. Without a file it
    // holds the encoded picture whole besides.
    static std::uint64_t heldBytes(int width, bool ownThread, bool text);

    bool begin(int width, int height) override;
    std::uint32_t* rowsToFill(int top, int count) override;
    void rowsFilled() override;
    bool end(bool allRows) override;

    // Whether a picture was begun, successfully or not: the encoder takes only one.
    bool begun() const { return m_began; }
    // True when every row of the picture was encoded and, when streaming, written.
    bool complete() const;
    // Whether the staged file refused rows (a full disk): decoding again cannot help.
    bool writeFailed() const { return m_writeFailed; }
    // The picture; its data is empty when the rows went to the staged file.
    EncodedPicture take();

private:
    struct Chunk {
        std::uint32_t* pixels = nullptr; // kChunkRows rows in m_ring
        int top = 0;
        int count = 0;
    };
    // work and chunkDone take the mutex themselves; encodeChunk runs without it.
    void work();
    bool encodeChunk(const Chunk& chunk);
    void chunkDone(std::size_t index, bool encoded);

    const Settings m_settings;
    const PixelEncoder m_encoder;
    const bool m_ownThread;
    const bool m_glass; // relative CRY's word 0 is "no change", which may be skipped
    StagedFile* m_file = nullptr;
    std::optional<SourceNames> m_source;
    std::string m_text; // the source text of the chunk on its way to the file
    EncodedPicture m_out;
    // One block for all chunks: the loader's thread would otherwise spend longer on fresh
    // pages than on decoding the first rows (see largeblock.h).
    std::vector<std::uint32_t, LargeBlockAllocator<std::uint32_t>> m_ring;
    std::vector<Chunk> m_chunks;
    ByteBuffer m_scratch;            // encoded rows on their way to the file
    std::deque<std::size_t> m_free;  // chunks the loader may fill
    std::deque<std::size_t> m_ready; // filled chunks, in row order
    std::size_t m_filling = 0;
    int m_nextRow = 0; // the first row not yet handed to the loader
    int m_rowsEncoded = 0;
    // Whether an encoded pixel was word 0; only the one thread encoding touches it.
    bool m_opaqueZero = false;
    bool m_began = false;
    std::atomic<bool> m_writeFailed{false}; // set on the worker, read once it has stopped
    // Last, so that the worker is stopped before anything it works on goes.
    mutable SinkWorker m_sync;
};

} // namespace rastix
