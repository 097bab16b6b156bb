#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QImageReader;

namespace glyphmill {

struct LoadedPicture {
    QImage image; // decoded no larger than it is shown
    QSize size;   // the picture's own size in pixels
    QString error;
    bool ok() const { return error.isEmpty() && !image.isNull(); }
};

// Picture decoding for the preview. `shownSize` maps the picture's size in pixels to the size it
// will be shown at; a larger picture is decoded straight to that size, so a photograph of many
// megapixels never lives in memory whole. Tests hand in a fake.
class PictureLoader {
public:
    virtual ~PictureLoader() = default;
    virtual LoadedPicture load(const QString& path,
                               const std::function<QSize(QSize)>& shownSize) const = 0;
};

// The decoding the loader does once it has a reader, whether made for a file or for bytes in
// memory: the content decides the format, and a picture larger than `shownSize` makes of it is
// decoded at that size.
LoadedPicture readPicture(QImageReader& reader, const std::function<QSize(QSize)>& shownSize);

class ImageReaderPictureLoader final : public PictureLoader {
public:
    LoadedPicture load(const QString& path,
                       const std::function<QSize(QSize)>& shownSize) const override;
};

} // namespace glyphmill
