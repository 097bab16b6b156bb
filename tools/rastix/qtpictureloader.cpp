#include "qtpictureloader.h"

#include "largeblock.h"

#include <QImage>
#include <QImageReader>

namespace rastix {

namespace {

struct DecodedImage {
    std::shared_ptr<void> block; // the pixel memory the image was decoded into, if ours
    QImage image;
};

// Hands the decoder a ready buffer of the right size and format, so that a large picture is
// decoded into huge pages (see largeblock.h); readers that prefer their own buffer still work.
QImage preparedTarget(const QImageReader& reader, std::shared_ptr<void>& block) {
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (!size.isValid() || (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32))
        return QImage();
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (bytes < (qint64(4) << 20) || bytes > qint64(QImageReader::allocationLimit()) << 20)
        return QImage();
    const auto length = static_cast<std::size_t>(bytes);
    block = std::shared_ptr<void>(allocateLargeBlock(length),
                                  [length](void* p) { freeLargeBlock(p, length); });
    return QImage(static_cast<uchar*>(block.get()), size.width(), size.height(), size.width() * 4,
                  format);
}

} // namespace

bool loadPictureWithQt(const std::string& path, LoadedPicture& picture, std::string& error) {
    QImageReader reader(QString::fromStdString(path));
    auto decoded = std::make_shared<DecodedImage>();
    try {
        decoded->image = preparedTarget(reader, decoded->block);
    } catch (const std::bad_alloc&) {
        decoded->block.reset();
    }
    if (!reader.read(&decoded->image) || decoded->image.isNull()) {
        error = "cannot read picture: " + reader.errorString().toStdString();
        return false;
    }
    QImage& image = decoded->image;
    // RGB32 is ARGB32 with every alpha at 0xFF, so both can be used as they are.
    if (image.format() != QImage::Format_ARGB32 && image.format() != QImage::Format_RGB32)
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
