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
// encodes it straight into the output buffer, then helps with the bands other threads finish,
// so encoding fills the time a decoding thread would otherwise spend waiting for the others.
// Given a staged file, rows also go to disk in order as soon as all rows above them are
// encoded, so that little is left to write once the last band is decoded.
class BandEncoder final : public RowListener {
public:
    explicit BandEncoder(const Settings& settings);

    // Before loading: also append the encoded rows to file, which must outlive the loading.
    void streamTo(StagedFile* file) { m_file = file; }

    void rowsDone(const ImageView& picture, int top, int height, bool decoded) override;

    // True when every row of the picture was decoded and encoded; only then is take() useful.
    bool complete() const;
    EncodedPicture take();
    // True when the staged file holds exactly the encoded picture.
    bool streamComplete() const;

private:
    bool prepare(const ImageView& picture); // with m_mutex held
    void encodeQueuedRows();
    void writeEncodedRows(std::unique_lock<std::mutex>& lock);

    const PixelEncoder m_encoder;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    EncodedPicture m_out;
    ImageView m_picture;
    bool m_prepared = false;
    bool m_failed = false;
    std::deque<std::pair<int, int>> m_queue; // [first, last) rows waiting to be encoded
    int m_rowsSettled = 0;                   // rows reported, decoded or not
    int m_rowsEncoded = 0;
    StagedFile* m_file = nullptr;
    std::vector<char> m_rowEncoded;
    int m_encodedPrefix = 0; // rows [0, m_encodedPrefix) are all encoded
    int m_rowsWritten = 0;
    bool m_writing = false; // one thread at a time appends to the file
    bool m_streamFailed = false;
};

} // namespace rastix
