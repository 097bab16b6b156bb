#include "qtpictureloader.h"

#include <QImage>
#include <QImageReader>

namespace rastix {

bool loadPictureWithQt(const std::string& path, LoadedPicture& picture, std::string& error) {
    QImageReader reader(QString::fromStdString(path));
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        error = "cannot read picture: " + reader.errorString().toStdString();
        return false;
    }
    // RGB32 is ARGB32 with every alpha at 0xFF, so both can be used as they are.
    if (image.format() != QImage::Format_ARGB32 && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        error = "not enough memory to convert the picture's pixels";
        return false;
    }
    auto holder = std::make_shared<const QImage>(std::move(image));
    picture.view.pixels = reinterpret_cast<const std::uint32_t*>(holder->constBits());
    picture.view.width = holder->width();
    picture.view.height = holder->height();
    picture.view.stride = holder->bytesPerLine() / 4;
    picture.keepAlive = holder;
    return true;
}

} // namespace rastix
