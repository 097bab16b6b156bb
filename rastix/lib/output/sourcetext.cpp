#include "output/sourcetext.h"

#include "output/assemblysource.h"
#include "output/csource.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace rastix {

namespace {

// Text is handed on in pieces of about this size: large enough for few writes, small enough
// that a picture's text never has to exist whole.
constexpr std::size_t kPiece = std::size_t{1} << 20;

bool inC(const Settings& s) {
    return s.format == OutputFormat::C;
}

} // namespace

std::string sourceHeader(const EncodedPicture& p, const Settings& s, const std::string& sourceName,
                         const std::string& label) {
    return inC(s) ? cSourceHeader(p, s, sourceName, label)
                  : assemblyHeader(p, s, sourceName, label);
}

void appendSourceRows(std::string& out, const std::uint8_t* rows, int count,
                      const EncodedPicture& p, const Settings& s) {
    if (inC(s))
        appendCRows(out, rows, count, p);
    else
        appendAssemblyRows(out, rows, count, p, s);
}

std::string sourceTrailer(const EncodedPicture& p, const Settings& s, const std::string& label) {
    return inC(s) ? cSourceTrailer(p, s, label) : assemblyTrailer(p, s, label);
}

bool writeSourceText(const EncodedPicture& p, const Settings& s, const std::string& sourceName,
                     const std::string& label, const std::function<bool(const std::string&)>& put,
                     int threads) {
    if (!put(sourceHeader(p, s, sourceName, label)))
        return false;
    // Every row makes the same length of text, so each piece holds the same number of rows. The
    // pieces are made on several threads at once and put in turn, each while the next are made.
    std::string probe;
    appendSourceRows(probe, p.data.data(), p.dataRows() > 0 ? 1 : 0, p, s);
    const int rowsPerPiece =
        static_cast<int>(std::max<std::size_t>(1, kPiece / std::max<std::size_t>(1, probe.size())));
    const int pieces = (p.dataRows() + rowsPerPiece - 1) / rowsPerPiece;
    threads = std::clamp(threads, 1, std::max(1, pieces));
    std::mutex mutex;
    std::condition_variable turn;
    int stride = 0; // the threads sharing the pieces, once known
    int next = 0;   // the piece to be put next
    bool failed = false;
    const auto work = [&](int first) {
        int step = 0;
        {
            std::unique_lock lock(mutex);
            turn.wait(lock, [&] { return stride != 0; });
            step = stride;
        }
        std::string text;
        text.reserve(kPiece + probe.size() + 8);
        for (int piece = first; piece < pieces; piece += step) {
            text.clear();
            const int top = piece * rowsPerPiece;
            appendSourceRows(text, p.data.data() + static_cast<std::size_t>(top) * p.rowBytes,
                             std::min(rowsPerPiece, p.dataRows() - top), p, s);
            std::unique_lock lock(mutex);
            turn.wait(lock, [&] { return next == piece || failed; });
            if (failed)
                return;
            lock.unlock();
            const bool written = put(text);
            lock.lock();
            failed = !written;
            ++next;
            turn.notify_all();
        }
    };
    std::vector<std::thread> helpers;
    try {
        for (int t = 1; t < threads; ++t)
            helpers.emplace_back(work, t);
    } catch (const std::system_error&) {
        // No more threads to be had: the pieces are shared among those there are.
    }
    {
        std::lock_guard lock(mutex);
        stride = static_cast<int>(helpers.size()) + 1;
    }
    turn.notify_all();
    work(0);
    for (std::thread& helper : helpers)
        helper.join();
    return !failed && put(sourceTrailer(p, s, label));
}

} // namespace rastix
