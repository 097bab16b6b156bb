#include "loaders/decodermessages.h"

#include "files/pictureproblems.h"

#include <QString>
#include <QtGlobal>

#include <cerrno>
#include <cstdio>
#include <mutex>

#ifdef __GLIBC__
#include <unistd.h>
#endif

namespace rastix {

namespace {

thread_local DecoderMessages::Heard* t_heard = nullptr;
QtMessageHandler g_previousHandler = nullptr;

// Qt opens a TIFF for libtiff under the name "foo", which libtiff puts into the messages it
// writes to stderr ("TIFFFetchDirectory: foo: Seek error ...").
std::string namingTheFile(std::string text, const std::string& fileName) {
    static const std::string kQtsName = "foo: ";
    for (std::size_t at = text.find(kQtsName); at != std::string::npos && !fileName.empty();
         at = text.find(kQtsName, at)) {
        if (at == 0 || text.compare(at - 2, 2, ": ") == 0) {
            text.replace(at, kQtsName.size() - 2, fileName);
            at += fileName.size();
        } else {
            at += kQtsName.size();
        }
    }
    return text;
}

void hearMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (t_heard)
        t_heard->messages.push_back(text.toStdString());
    else if (g_previousHandler)
        g_previousHandler(type, context, text);
}

#ifdef __GLIBC__
// libpng reports a fatal error with its own fprintf to stderr, past Qt's handler. stderr is
// replaced by a stream that hands what a reading thread writes to that thread's capture, and
// passes everything else on unchanged.
ssize_t writeStderr(void*, const char* data, std::size_t size) {
    if (t_heard) {
        t_heard->written.append(data, size);
        return static_cast<ssize_t>(size);
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(STDERR_FILENO, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return done > 0 ? static_cast<ssize_t>(done) : -1;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(size);
}

void routeStderrThroughCapture() {
    cookie_io_functions_t io{};
    io.write = writeStderr;
    if (std::FILE* stream = fopencookie(nullptr, "w", io)) {
        std::setvbuf(stream, nullptr, _IONBF, 0); // written on the thread that prints
        std::fflush(stderr);
        stderr = stream;
    }
}
#endif

} // namespace

DecoderMessages::DecoderMessages(std::string fileName) {
    m_heard.fileName = std::move(fileName);
    static std::once_flag installed;
    std::call_once(installed, [] {
        g_previousHandler = qInstallMessageHandler(hearMessage);
#ifdef __GLIBC__
        routeStderrThroughCapture();
#endif
    });
    m_outer = t_heard;
    t_heard = &m_heard;
}

DecoderMessages::~DecoderMessages() {
    t_heard = m_outer;
}

std::vector<std::string> DecoderMessages::lines() const {
    std::vector<std::string> all = m_heard.messages;
    std::size_t start = 0;
    while (start < m_heard.written.size()) {
        std::size_t end = m_heard.written.find('\n', start);
        if (end == std::string::npos)
            end = m_heard.written.size();
        all.push_back(m_heard.written.substr(start, end - start));
        start = end + 1;
    }
    for (std::string& line : all)
        line = namingTheFile(std::move(line), m_heard.fileName);
    return all;
}

std::string DecoderMessages::said() const {
    return foldMessages(lines());
}

std::string DecoderMessages::damage() const {
    std::vector<std::string> signs;
    for (const std::string& line : lines())
        if (meansDamage(line))
            signs.push_back(line);
    return foldMessages(signs);
}

} // namespace rastix
