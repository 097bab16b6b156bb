#include "qtpictureloader.h"

#include "jpegstream.h"
#include "largeblock.h"
#include "pictureproblems.h"
#include "tgaloader.h"

#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <vector>

#ifdef __GLIBC__
#include <unistd.h>
#endif

namespace rastix {

namespace {

struct DecodedImage {
    std::shared_ptr<void> block; // the pixel memory the image was decoded into, if ours
    QImage image;
};

bool isDirect32(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32;
}

// A buffer of the right size for a large 32-bit picture, in huge pages (see largeblock.h);
// null when the picture is small, of another format, or beyond Qt's allocation limit (so the
// reader reports that itself).
std::shared_ptr<void> largePixelBlock(const QSize& size, QImage::Format format) {
    if (!size.isValid() || !isDirect32(format))
        return {};
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (bytes < (qint64(4) << 20) || bytes > qint64(QImageReader::allocationLimit()) << 20)
        return {};
    const auto length = static_cast<std::size_t>(bytes);
    try {
        return std::shared_ptr<void>(allocateLargeBlock(length),
                                     [length](void* p) { freeLargeBlock(p, length); });
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// Whether the picture is a JPEG that libjpeg can stream exactly as Qt's reader would decode
// it: one picture, and no orientation for the reader to apply.
bool streamableJpeg(const QString& path) {
    QImageReader probe(path);
    return probe.format() == "jpeg" && probe.imageCount() <= 1 &&
           probe.transformation() == QImageIOHandler::TransformationNone;
}

// What Qt and the decoders under it (libpng, libjpeg, ...) say while this thread reads a
// picture: taken off stderr, where it would make a second line about the picture, to be judged
// and folded into the one line that names the file.
struct Heard {
    std::vector<std::string> messages; // through Qt's message handler
    std::string written;               // written straight to stderr (libpng's errors)
};
thread_local Heard* t_heard = nullptr;
QtMessageHandler g_previousHandler = nullptr;

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

class DecoderMessages {
public:
    DecoderMessages() {
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
    ~DecoderMessages() {
        t_heard = m_outer;
    }
    DecoderMessages(const DecoderMessages&) = delete;
    DecoderMessages& operator=(const DecoderMessages&) = delete;

    std::vector<std::string> lines() const {
        std::vector<std::string> all = m_heard.messages;
        std::size_t start = 0;
        while (start < m_heard.written.size()) {
            std::size_t end = m_heard.written.find('\n', start);
            if (end == std::string::npos)
                end = m_heard.written.size();
            all.push_back(m_heard.written.substr(start, end - start));
            start = end + 1;
        }
        return all;
    }
    std::string said() const {
        return foldMessages(lines());
    }
    std::string damage() const {
        std::vector<std::string> signs;
        for (const std::string& line : lines())
            if (meansDamage(line))
                signs.push_back(line);
        return foldMessages(signs);
    }

private:
    Heard m_heard;
    Heard* m_outer;
};

} // namespace

bool loadPictureWithQt(const std::string& path, LoadedPicture& picture, std::string& error,
                       int /*threads: Qt's readers and libjpeg decode on one core*/) {
    const QString file = QString::fromStdString(path);
    picture.rowsStreamed = false;
    if (const std::string problem = pictureAccessProblem(path); !problem.empty()) {
        error = "cannot read picture: " + problem;
        return false;
    }
    if (isTgaPicture(path))
        return loadTga(path, picture, error, std::uint64_t(QImageReader::allocationLimit()) << 20);
    const DecoderMessages heard;
    if (picture.rowSink && streamableJpeg(file)) {
        int width = 0;
        int height = 0;
        if (streamJpeg(path, *picture.rowSink, width, height) == JpegStreamResult::Complete) {
            picture.view = ImageView{nullptr, width, height, width};
            picture.keepAlive.reset();
            picture.rowsStreamed = true;
            return true;
        }
        // Otherwise the reader below decodes it whole, and reports what is wrong with it.
    }
    auto decoded = std::make_shared<DecodedImage>();
    QImageReader reader(file);
    const std::string format = reader.format().toStdString();
    decoded->block = largePixelBlock(reader.size(), reader.imageFormat());
    if (decoded->block)
        decoded->image = QImage(static_cast<uchar*>(decoded->block.get()), reader.size().width(),
                                reader.size().height(), qsizetype(reader.size().width()) * 4,
                                reader.imageFormat());
    if (!reader.read(&decoded->image) || decoded->image.isNull()) {
        error = "cannot read picture: " + reader.errorString().toStdString();
        if (const std::string said = heard.said(); !said.empty())
            error += " (" + said + ")";
        return false;
    }
    // Decoders fill in what is missing or garbled and only warn: the picture would be written
    // with grey or scrambled rows, and look like a success.
    std::string damage = heard.damage();
    if (damage.empty())
        damage = truncatedPicture(path, format);
    if (!damage.empty()) {
        error = "damaged picture, not converted: " + damage;
        return false;
    }
    QImage& image = decoded->image;
    // RGB32 is ARGB32 with every alpha at 0xFF, so both can be used as they are.
    if (!isDirect32(image.format()))
        image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        error = "not enough memory to convert the picture's pixels";
        return false;
    }
    picture.view.pixels = reinterpret_cast<const std::uint32_t*>(image.constBits());
    picture.view.width = image.width();
    picture.view.height = image.height();
    picture.view.stride = image.bytesPerLine() / 4;
    picture.keepAlive = decoded;
    return true;
}

} // namespace rastix
