#include "loaders/qtpictureloader.h"

#include "convert/memorybudget.h"
#include "files/pictureproblems.h"
#include "image/largeblock.h"
#include "loaders/jpegstream.h"
#include "loaders/pngstream.h"
#include "loaders/tgaloader.h"

#include <QFileInfo>
#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <mutex>
#include <optional>
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

// What can stream the picture exactly as Qt's reader would decode it (libjpeg for a JPEG,
// libpng for a PNG, either of which may still decline it): one picture, and no orientation for
// the reader to apply. Null when nothing can.
RowStreamer streamerFor(QImageReader& probe) {
    const QByteArray format = probe.format();
    if (probe.imageCount() > 1 || probe.transformation() != QImageIOHandler::TransformationNone)
        return nullptr;
    if (format == "jpeg")
        return streamJpeg;
    if (format == "png" && pngStreamingAvailable())
        return streamPng;
    return nullptr;
}

// What holding the decoded picture takes: the reader's own format and, unless that is already
// 32-bit ARGB, the converted copy made from it.
std::uint64_t decodedBytes(const QSize& size, QImage::Format format) {
    const auto pixels = static_cast<std::uint64_t>(size.width()) * size.height();
    const std::uint64_t argb = pixels * 4;
    if (isDirect32(format))
        return argb;
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const std::uint64_t native = depth > 0 ? pixels * static_cast<std::uint64_t>(depth) / 8 : argb;
    return argb + native;
}

// The size a reader will decode, from the header: Qt's GIF reader tells the first frame's size
// but decodes the whole logical screen.
QSize headerSize(QImageReader& reader) {
    QSize size = reader.size();
    if (reader.format() != "gif" || !reader.device())
        return size;
    const QByteArray head = reader.device()->peek(10);
    if (head.size() < 10)
        return size;
    const auto word = [&](int at) {
        return int(uchar(head[at])) | int(uchar(head[at + 1])) << 8;
    };
    return size.expandedTo(QSize(word(6), word(8)));
}

// A damaged header can ask for any size, and decoders fill in what the data lacks (a JPEG of a
// thousand bytes that claims 30000 x 30000 pixels takes libjpeg over 20 GB). Beyond Qt's usual
// limit of 128 MB, a size is believed only from a file that could hold it. JPEG spends at least
// a few bits on every 8 x 8 block, so a byte of file makes at most about 1500 bytes of pixels;
// the lossless formats pack more (deflate's limit is about a thousand, times 128 bytes for eight
// one-bit pixels), so they are only held to that.
constexpr std::uint64_t kAlwaysBelieved = std::uint64_t{128} << 20;

std::uint64_t mostExpansion(const QByteArray& format) {
    return format == "jpeg" ? 8192 : std::uint64_t{1} << 18;
}

std::string implausibleSize(const QSize& size, std::uint64_t bytes, const QString& file,
                            const QByteArray& format) {
    const auto fileBytes = static_cast<std::uint64_t>(std::max<qint64>(QFileInfo(file).size(), 0));
    if (bytes <= kAlwaysBelieved || bytes / mostExpansion(format) <= fileBytes)
        return {};
    return "damaged picture, not converted: its header asks for " + std::to_string(size.width()) +
           "x" + std::to_string(size.height()) + " pixels (" + memoryText(bytes) +
           "), far more than a file of " + std::to_string(fileBytes) + " bytes can hold";
}

// Asks the caller whether the picture may be loaded, before anything large is allocated. A
// reader that cannot tell the size from the header is left to Qt's allocation limit.
bool admitted(const LoadedPicture& picture, const QSize& size, QImage::Format format, bool streamed,
              std::string& error, const QString& file = {}, const QByteArray& fileFormat = {}) {
    if (!size.isValid())
        return true;
    const std::uint64_t bytes = decodedBytes(size, format);
    if (!file.isEmpty()) {
        if (error = implausibleSize(size, bytes, file, fileFormat); !error.empty())
            return false;
    }
    return !picture.admit || picture.admit(size.width(), size.height(), bytes, streamed, error);
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

void allowDecodingUpTo(std::uint64_t bytes) {
    const std::uint64_t megabytes = bytes >> 20;
    // 0 would lift the limit altogether; the largest int Qt takes is far beyond any machine.
    QImageReader::setAllocationLimit(
        static_cast<int>(std::clamp<std::uint64_t>(megabytes, 1, std::numeric_limits<int>::max())));
}

bool loadPictureWithQt(const std::string& path, LoadedPicture& picture, std::string& error,
                       int /*threads: Qt's readers and libjpeg decode on one core*/) {
    const QString file = QString::fromStdString(path);
    picture.rowsStreamed = false;
    if (const std::string problem = pictureAccessProblem(path); !problem.empty()) {
        error = "cannot read picture: " + problem;
        return false;
    }
    if (isTgaPicture(path)) {
        if (!loadTga(path, picture, error, std::uint64_t(QImageReader::allocationLimit()) << 20))
            return false;
        // The decoder refuses a header that asks for more than there is; what comes next (a
        // cut, a turn, the encoding) is weighed by the decoded size.
        const QSize size(picture.view.width, picture.view.height);
        return admitted(picture, size, QImage::Format_ARGB32, false, error);
    }
    const DecoderMessages heard;
    std::optional<QImageReader> probe;
    if (picture.rowSink)
        probe.emplace(file);
    if (const RowStreamer stream = probe ? streamerFor(*probe) : nullptr) {
        if (!admitted(picture, headerSize(*probe), probe->imageFormat(), true, error, file,
                      probe->format()))
            return false;
        probe.reset();
        int width = 0;
        int height = 0;
        if (stream(path, *picture.rowSink, width, height) == RowStreamResult::Complete) {
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
    if (!admitted(picture, headerSize(reader), reader.imageFormat(), false, error, file,
                  reader.format()))
        return false;
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
    // Some readers tell a size before decoding that is not the one they decode (a GIF's
    // screen is larger than its first frame): what comes next is weighed by the real one.
    if (image.size() != reader.size() &&
        !admitted(picture, image.size(), image.format(), false, error))
        return false;
    picture.view.pixels = reinterpret_cast<const std::uint32_t*>(image.constBits());
    picture.view.width = image.width();
    picture.view.height = image.height();
    picture.view.stride = image.bytesPerLine() / 4;
    picture.keepAlive = decoded;
    return true;
}

} // namespace rastix
