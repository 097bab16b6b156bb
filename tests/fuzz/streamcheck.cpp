#include "streamcheck.h"

#include "fuzzinput.h"
#include "loaders/decodermessages.h"
#include "loaders/qtreader.h"

#include <QImageReader>

#include <cstdint>
#include <optional>
#include <vector>

namespace fuzzing {

namespace {

// Takes every row into a buffer of one chunk, and fails at the first call out of order. The
// decoding libraries are not instrumented, so what they write past the rows asked for is caught
// by words kept behind them.
class CheckingSink : public rastix::RowSink {
public:
    bool begin(int width, int height) override {
        if (m_begun || width <= 0 || height <= 0)
            fail("begin called twice, or with no pixels");
        m_begun = true;
        m_width = width;
        m_height = height;
        return true;
    }
    std::uint32_t* rowsToFill(int top, int count) override {
        if (!m_begun || m_ended || m_asked || top != m_nextRow || count <= 0 ||
            count > kChunkRows || count > m_height - top)
            fail("rows asked for out of order");
        m_asked = true;
        m_count = count;
        const std::size_t pixels = static_cast<std::size_t>(m_width) * count;
        m_rows.assign(pixels + kGuardWords, kGuard);
        return m_rows.data();
    }
    void rowsFilled() override {
        if (!m_asked)
            fail("rows filled that were not asked for");
        m_asked = false;
        m_nextRow += m_count;
        for (std::size_t i = m_rows.size() - kGuardWords; i < m_rows.size(); ++i)
            if (m_rows[i] != kGuard)
                fail("the reader wrote past the rows asked for");
    }
    bool end(bool allRows) override {
        if (!m_begun || m_ended || (allRows && m_nextRow != m_height))
            fail("end called out of order");
        m_ended = true;
        m_allRows = allRows;
        return allRows;
    }

    // Whether what the reader says became of the picture is what the sink saw.
    void expectResult(rastix::RowStreamResult result, int width, int height) const {
        using rastix::RowStreamResult;
        const bool seen = result == RowStreamResult::NotTaken ? !m_begun
                          : result == RowStreamResult::Incomplete
                              ? m_begun && m_ended && !m_allRows
                              : m_ended && m_allRows && width == m_width && height == m_height;
        if (!seen)
            fail("the reader's result differs from what its sink saw");
        if (m_begun && !m_ended)
            fail("the sink was begun but never ended");
    }

private:
    static constexpr std::size_t kGuardWords = 64;
    static constexpr std::uint32_t kGuard = 0xDEADBEEF;

    bool m_begun = false;
    bool m_ended = false;
    bool m_asked = false;
    bool m_allRows = false;
    int m_width = 0;
    int m_height = 0;
    int m_nextRow = 0;
    int m_count = 0;
    std::vector<std::uint32_t> m_rows;
};

} // namespace

void streamChecked(const std::string& path, rastix::RowStreamer streamer) {
    if (std::string error; refusedBeforeDecoding(path, error))
        return expectOneLine(error);
    CheckingSink sink;
    rastix::LoadedPicture picture;
    picture.rowSink = &sink;
    picture.admit = withinBudget;
    // Listening from the start, as the loader does: the probe's decoders may speak.
    const rastix::DecoderMessages heard;
    const auto admit = [&](std::string& error) {
        const QString file = QString::fromStdString(path);
        QImageReader probe(file);
        return rastix::admitted(picture, rastix::headerSize(probe), probe.imageFormat(), true,
                                error, path, probe.format());
    };
    std::string error;
    if (!readGuarded([&] { return admit(error); }, error))
        return expectOneLine(error);
    int width = 0;
    int height = 0;
    rastix::RowStreamResult result = rastix::RowStreamResult::NotTaken;
    const auto stream = [&] {
        result = streamer(path, sink, width, height);
        return true;
    };
    if (readGuarded(stream, error))
        sink.expectResult(result, width, height);
}

} // namespace fuzzing
