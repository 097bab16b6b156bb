#include "qtpictureloader.h"

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace rastix;

namespace {

// Large enough (over 4 MB of pixels) for the loader to decode it in bands.
QImage busyPicture() {
    QImage img(1200, 901, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y,
                         qRgb((x * 7 + y) & 255, static_cast<int>(128 + 120 * std::sin(x * 0.05)),
                              (x ^ y) & 255));
    return img;
}

long differingPixels(const QImage& reference, const LoadedPicture& picture) {
    long diff = 0;
    for (int y = 0; y < reference.height(); ++y) {
        const auto* a = reinterpret_cast<const std::uint32_t*>(reference.constScanLine(y));
        for (int x = 0; x < reference.width(); ++x)
            diff += a[x] != picture.view.row(y)[x];
    }
    return diff;
}

} // namespace

TEST(QtPictureLoader, BandedJpegDecodingEqualsAWholeDecode) {
    QTemporaryDir dir;
    for (const bool progressive : {false, true}) {
        const QString path = dir.filePath(progressive ? "p.jpg" : "b.jpg");
        QImageWriter writer(path, "jpeg");
        writer.setQuality(85);
        writer.setProgressiveScanWrite(progressive);
        ASSERT_TRUE(writer.write(busyPicture()));
        QImage reference;
        ASSERT_TRUE(QImageReader(path).read(&reference));
        reference = reference.convertToFormat(QImage::Format_ARGB32);
        for (const int threads : {1, 2, 3}) {
            LoadedPicture picture;
            std::string error;
            ASSERT_TRUE(loadPictureWithQt(path.toStdString(), picture, error, threads)) << error;
            ASSERT_EQ(picture.view.width, 1200);
            ASSERT_EQ(picture.view.height, 901);
            EXPECT_EQ(differingPixels(reference, picture), 0)
                << "progressive " << progressive << ", threads " << threads;
        }
    }
}

TEST(QtPictureLoader, TransparencyAndErrors) {
    QTemporaryDir dir;
    QImage png(2, 1, QImage::Format_ARGB32);
    png.setPixel(0, 0, qRgba(10, 20, 30, 255));
    png.setPixel(1, 0, qRgba(0, 0, 0, 0));
    ASSERT_TRUE(png.save(dir.filePath("a.png")));
    LoadedPicture picture;
    std::string error;
    ASSERT_TRUE(loadPictureWithQt(dir.filePath("a.png").toStdString(), picture, error, 2));
    EXPECT_EQ(picture.view.row(0)[0], 0xFF0A141Eu);
    EXPECT_EQ(picture.view.row(0)[1] >> 24, 0u);
    EXPECT_FALSE(loadPictureWithQt(dir.filePath("none.png").toStdString(), picture, error, 2));
    EXPECT_NE(error.find("cannot read picture"), std::string::npos);
}
