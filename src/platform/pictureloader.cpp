#include "pictureloader.h"

#include "convert/loadedpicture.h"
#include "loaders/tgareader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>

#include <string>

namespace glyphmill {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("PictureLoader", text);
}

// The most a TGA picture may take decoded whole for the preview; a larger one is refused.
constexpr std::uint64_t kMostTgaBytes = std::uint64_t{1} << 30;

// Qt's TGA reader knows only files with a TGA 2.0 footer, and Qt for Windows has none; the
// converter reads every TGA itself, so the preview reads them as it does.
LoadedPicture readTga(const QString& path, const std::function<QSize(QSize)>& shownSize) {
    LoadedPicture picture;
    rastix::LoadedPicture decoded;
    std::string error;
    if (!rastix::loadTga(path.toStdString(), decoded, error, kMostTgaBytes)) {
        picture.error = QString::fromStdString(error);
        return picture;
    }
    const rastix::ImageView& view = decoded.view;
    const QImage whole(reinterpret_cast<const uchar*>(view.pixels), view.width, view.height,
                       static_cast<qsizetype>(view.stride) * 4, QImage::Format_ARGB32);
    picture.size = whole.size();
    const QSize shown = shownSize ? shownSize(picture.size) : picture.size;
    picture.image = shown.isValid() && !shown.isEmpty() && shown.width() < view.width &&
                            shown.height() < view.height
                        ? whole.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        : whole.copy();
    return picture;
}

} // namespace

LoadedPicture ImageReaderPictureLoader::load(const QString& path,
                                             const std::function<QSize(QSize)>& shownSize) const {
    if (!QFileInfo(path).isFile()) {
        LoadedPicture picture;
        picture.error = tr("the file does not exist or is not a plain file");
        return picture;
    }
    QImageReader reader(path);
    LoadedPicture picture = readPicture(reader, shownSize);
    if (!picture.ok() && rastix::isTgaPicture(path.toStdString()))
        picture = readTga(path, shownSize);
    return picture;
}

LoadedPicture readPicture(QImageReader& reader, const std::function<QSize(QSize)>& shownSize) {
    LoadedPicture picture;
    // TGA has no signature, and its first bytes can pass for a Windows cursor's: for it the name
    // decides. Otherwise the content does, as a name like "notes.bmp.txt" passes the preview's
    // name test.
    const bool tga = reader.format() == "tga" ||
                     reader.fileName().endsWith(QLatin1String(".tga"), Qt::CaseInsensitive);
    if (tga)
        reader.setFormat("tga");
    reader.setDecideFormatFromContent(!tga);
    if (!reader.canRead()) {
        picture.error = reader.errorString();
        if (picture.error.isEmpty() || reader.error() == QImageReader::UnknownError)
            picture.error = tr("the file is not a picture that can be read");
        return picture;
    }
    picture.size = reader.size();
    if (picture.size.isValid() && !picture.size.isEmpty() && shownSize) {
        const QSize shown = shownSize(picture.size);
        if (shown.isValid() && !shown.isEmpty() && shown.width() < picture.size.width() &&
            shown.height() < picture.size.height())
            reader.setScaledSize(shown);
    }
    picture.image = reader.read();
    if (picture.image.isNull()) {
        picture.error = reader.errorString();
        if (picture.error.isEmpty())
            picture.error = tr("the picture could not be decoded");
        return picture;
    }
    if (!picture.size.isValid() || picture.size.isEmpty())
        picture.size = picture.image.size();
    return picture;
}

} // namespace glyphmill
