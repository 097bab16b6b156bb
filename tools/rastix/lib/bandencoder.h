#pragma once

#include "output.h"
#include "pictureencoder.h"
#include "pixelcodec.h"
#include "rowlistener.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace rastix {

// Encodes a true-colour picture while it is being decoded: the thread that finished a band
// encodes it at once, then helps with the bands other threads finish, so encoding fills the
// time a decoding thread would otherwise spend waiting for the others.
// Rows go to the output buffer, or, given a staged file, are encoded a few at a time into a
// small buffer that stays in cache and written straight to their place in the file, so the
// encoded picture never exists in memory as a whole and little is left to write at the end.
class BandEncoder final : public RowListener {
public:
    explicit BandEncoder(const Settings& settings);

    // Before loading: write the rows to file (which must outlive the loading) instead.
    void streamTo(StagedFile* file) { m_file = file; }

    void rowsDone(const ImageView& picture, int top, int height, bool decoded) override;

    // True when every row of the picture was decoded, encoded and, when streaming, written.
    bool complete() const;
    // The picture; its data is empty when the rows went to the staged file.
    EncodedPicture take();

private:
    bool prepare(const ImageView& picture); // with m_mutex held
    void encodeQueuedRows();

    const PixelEncoder m_encoder;
    StagedFile* m_file = nullptr;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    EncodedPicture m_out;
    ImageView m_picture;
    bool m_prepared = false;
    bool m_failed = false;
    std::deque<std::pair<int, int>> m_queue; // [first, last) rows waiting to be encoded
    int m_rowsSettled = 0;                   // rows reported, decoded or not
    int m_rowsEncoded = 0;
};

} // namespace rastix
