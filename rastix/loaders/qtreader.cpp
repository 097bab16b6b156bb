#include "loaders/qtreader.h"

#include "convert/memorybudget.h"
#include "files/pictureproblems.h"
#include "files/utf8path.h"
#include "image/largeblock.h"
#include "loaders/jpegheader.h"
#include "loaders/qtfile.h"

#include <QPixelFormat>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <memory>

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

// Whether no pixel of this format can be transparent; a colour table may hold transparent
// entries.
bool cannotBeTransparent(QImage::Format format) {
    if (format == QImage::Format_Invalid || format == QImage::Format_Indexed8 ||
        format == QImage::Format_Mono || format == QImage::Format_MonoLSB)
        return false;
    const QPixelFormat pixel = QImage::toPixelFormat(format);
    return pixel.alphaUsage() == QPixelFormat::IgnoresAlpha || pixel.alphaSize() == 0;
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

std::string implausibleSize(const QSize& size, std::uint64_t bytes, const std::string& path,
                            const QByteArray& format) {
    std::error_code ec;
    const std::uintmax_t length = std::filesystem::file_size(utf8Path(path), ec);
    const auto fileBytes = static_cast<std::uint64_t>(ec ? 0 : length);
    if (bytes <= kAlwaysBelieved || bytes / mostExpansion(format) <= fileBytes)
        return {};
    return "damaged picture, not converted: its header asks for " + std::to_string(size.width()) +
           "x" + std::to_string(size.height()) + " pixels (" + memoryText(bytes) +
           "), far more than a file of " + std::to_string(fileBytes) + " bytes can hold";
}

} // namespace

void allowDecodingUpTo(std::uint64_t bytes) {
    const std::uint64_t megabytes = bytes >> 20;
    // 0 would lift the limit altogether; the largest int Qt takes is far beyond any machine.
    QImageReader::setAllocationLimit(
        static_cast<int>(std::clamp<std::uint64_t>(megabytes, 1, std::numeric_limits<int>::max())));
}

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

bool admitted(const LoadedPicture& picture, const QSize& size, QImage::Format format, bool streamed,
              std::string& error, const std::string& path, const QByteArray& fileFormat) {
    if (!size.isValid())
        return true;
    // Qt's GIF reader tells no format before decoding, and decodes into 32-bit pixels.
    if (format == QImage::Format_Invalid && fileFormat == "gif")
        format = QImage::Format_ARGB32;
    Admission admission;
    admission.width = size.width();
    admission.height = size.height();
    admission.decodedBytes = decodedBytes(size, format);
    admission.streamed = streamed;
    admission.opaque = cannotBeTransparent(format);
    if (!path.empty()) {
        if (error = implausibleSize(size, admission.decodedBytes, path, fileFormat); !error.empty())
            return false;
        // Qt's reader decodes a JPEG through libjpeg too, which holds the same coefficients.
        if (fileFormat == "jpeg")
            admission.decoderBytes = readJpegLayout(path).coefficientBytes;
    }
    return !picture.admit || picture.admit(admission, error);
}

bool decodeWithQt(const std::string& path, LoadedPicture& picture, const DecoderMessages& heard,
                  std::string& error) {
    auto decoded = std::make_shared<DecodedImage>();
    QFile device;
    QImageReader reader;
    pointReaderAt(reader, device, path);
    const std::string format = reader.format().toStdString();
    const QSize announced = headerSize(reader);
    if (!admitted(picture, announced, reader.imageFormat(), false, error, path, reader.format()))
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
    if (image.size() != announced && !admitted(picture, image.size(), image.format(), false, error))
        return false;
    picture.view.pixels = reinterpret_cast<const std::uint32_t*>(image.constBits());
    picture.view.width = image.width();
    picture.view.height = image.height();
    picture.view.stride = image.bytesPerLine() / 4;
    picture.keepAlive = decoded;
    return true;
}

} // namespace rastix
