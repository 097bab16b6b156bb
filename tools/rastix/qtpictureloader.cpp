#include "qtpictureloader.h"

#include "jpegstream.h"
#include "largeblock.h"

#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>

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

} // namespace

bool loadPictureWithQt(const std::string& path, LoadedPicture& picture, std::string& error,
                       int /*threads: Qt's readers and libjpeg decode on one core*/) {
    const QString file = QString::fromStdString(path);
    picture.rowsStreamed = false;
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
    decoded->block = largePixelBlock(reader.size(), reader.imageFormat());
    if (decoded->block)
        decoded->image = QImage(static_cast<uchar*>(decoded->block.get()), reader.size().width(),
                                reader.size().height(), qsizetype(reader.size().width()) * 4,
                                reader.imageFormat());
    if (!reader.read(&decoded->image) || decoded->image.isNull()) {
        error = "cannot read picture: " + reader.errorString().toStdString();
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
