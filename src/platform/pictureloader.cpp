#include "pictureloader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>

namespace glyphmill {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("PictureLoader", text);
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
    return readPicture(reader, shownSize);
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
