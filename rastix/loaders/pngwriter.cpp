#include "loaders/pngwriter.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

namespace rastix {

namespace {

// The front-end makes the picture again after every change of an option, so speed counts for
// more than size: zlib's fastest level, 1, which Qt's writer makes of a quality of 80 to 89. It
// takes about as long as no compression at all (the filtering of the rows costs more), for a
// file 2 to 6 times smaller.
constexpr int kFastestQuality = 85;

} // namespace

bool encodePng(const ShownPicture& picture, ByteBuffer& png, std::string& error) {
    const qsizetype rowBytes = static_cast<qsizetype>(picture.width) * 3;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() != static_cast<std::size_t>(rowBytes) * picture.height) {
        error = "the picture has no pixels to write";
        return false;
    }
    // Read in place, without a copy of the pixels.
    const QImage image(picture.rgb.data(), picture.width, picture.height, rowBytes,
                       QImage::Format_RGB888);
    QByteArray bytes;
    bytes.reserve(rowBytes * picture.height / 2); // no copying over as it grows, mostly
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(kFastestQuality);
    if (!writer.write(image)) {
        error = "the PNG writer failed: " + writer.errorString().toStdString();
        return false;
    }
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    png.assign(first, first + bytes.size());
    return true;
}

} // namespace rastix
