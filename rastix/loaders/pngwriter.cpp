#include "loaders/pngwriter.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

namespace rastix {

namespace {

// The front-end makes the picture again after every change of an option, so speed counts for
// more than size: zlib's fastest level, which Qt's writer takes as a quality of 90 or more.
constexpr int kFastestQuality = 90;

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
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(kFastestQuality);
    if (!writer.write(image)) {
        error = "the PNG writer failed: " + writer.errorString().toStdString();
        return false;
    }
    png.assign(bytes.begin(), bytes.end());
    return true;
}

} // namespace rastix
