#include "loaders/jpegreader.h"
#include "loaders/pictureloader.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace rastix;

namespace {

// Rows not a whole number of chunks, and a width that is not a multiple of 8.
QImage busyPicture() {
    QImage img(1203, 901, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y,
                         qRgb((x * 7 + y) & 255, static_cast<int>(128 + 120 * std::sin(x * 0.05)),
                              (x ^ y) & 255));
    return img;
}

// Keeps every row it is given, checking that they come in order and in whole chunks.
class CollectingSink : public RowSink {
public:
    bool begin(int w, int h) override {
        width = w;
        height = h;
        pixels.assign(static_cast<std::size_t>(w) * h, 0);
        return true;
    }
    std::uint32_t* rowsToFill(int top, int count) override {
        inOrder = inOrder && top == nextRow && count > 0 && count <= kChunkRows;
        nextRow = top + count;
        return pixels.data() + static_cast<std::size_t>(top) * width;
    }
    void rowsFilled() override { ++chunks; }
    bool end(bool allRows) override {
        ended = true;
        return allRows && nextRow == height;
    }

    int width = 0;
    int height = 0;
    int nextRow = 0;
    int chunks = 0;
    bool inOrder = true;
    bool ended = false;
    std::vector<std::uint32_t> pixels;
};

QImage qtDecode(const QString& path) {
    QImage image;
    QImageReader(path).read(&image);
    return image.convertToFormat(QImage::Format_ARGB32);
}

long differingPixels(const QImage& reference, const ImageView& view) {
    if (reference.width() != view.width || reference.height() != view.height)
        return -1;
    long diff = 0;
    for (int y = 0; y < reference.height(); ++y) {
        const auto* a = reinterpret_cast<const std::uint32_t*>(reference.constScanLine(y));
        for (int x = 0; x < reference.width(); ++x)
            diff += a[x] != view.row(y)[x];
    }
    return diff;
}

QString writeJpeg(const QString& path, const QImage& image, bool progressive) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(85);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(image) ? path : QString();
}

// The same JPEG with an Exif block saying "turn 90 degrees clockwise to show".
QByteArray withOrientation(const QByteArray& jpeg) {
    const char tiff[] = {'M',  'M',  0, 42, 0, 0, 0, 8, // big-endian, first directory at 8
                         0,    1,                       // one entry
                         0x01, 0x12, 0, 3,  0, 0, 0, 1, 0, 6, 0, 0, // Orientation = 6
                         0,    0,    0, 0};                         // no next directory
    QByteArray app1 = QByteArray("Exif\0\0", 6) + QByteArray(tiff, sizeof tiff);
    const int length = static_cast<int>(app1.size()) + 2;
    QByteArray marker("\xFF\xE1", 2);
    marker.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF));
    return jpeg.left(2) + marker + app1 + jpeg.mid(2);
}

} // namespace

TEST(QtPictureLoader, StreamedJpegRowsEqualQtsOwnDecode) {
    if (!jpegStreamingAvailable())
        GTEST_SKIP() << "built without libjpeg: JPEGs are decoded whole by Qt";
    QTemporaryDir dir;
    QImage grey = busyPicture().convertToFormat(QImage::Format_Grayscale8);
    const std::vector<QString> files = {
        writeJpeg(dir.filePath("baseline.jpg"), busyPicture(), false),
        writeJpeg(dir.filePath("progressive.jpg"), busyPicture(), true),
        writeJpeg(dir.filePath("grey.jpg"), grey, false),
    };
    for (const QString& path : files) {
        ASSERT_FALSE(path.isEmpty());
        const QImage reference = qtDecode(path);
        CollectingSink sink;
        LoadedPicture picture;
        picture.rowSink = &sink;
        std::string error;
        ASSERT_TRUE(loadPicture(path.toStdString(), picture, error)) << error;
        ASSERT_TRUE(picture.rowsStreamed) << path.toStdString();
        EXPECT_EQ(picture.view.pixels, nullptr);
        EXPECT_TRUE(sink.inOrder && sink.ended);
        EXPECT_EQ(sink.chunks, (901 + RowSink::kChunkRows - 1) / RowSink::kChunkRows);
        EXPECT_EQ(differingPixels(reference, {sink.pixels.data(), 1203, 901, 1203}), 0)
            << path.toStdString();

        // Without a sink the picture is decoded whole, to the same pixels.
        LoadedPicture whole;
        ASSERT_TRUE(loadPicture(path.toStdString(), whole, error)) << error;
        EXPECT_FALSE(whole.rowsStreamed);
        EXPECT_EQ(differingPixels(reference, whole.view), 0) << path.toStdString();
    }
}

TEST(QtPictureLoader, JpegsTheStreamCannotRenderGoToQtWhole) {
    QTemporaryDir dir;
    const QString plain = writeJpeg(dir.filePath("plain.jpg"), busyPicture(), false);
    ASSERT_FALSE(plain.isEmpty());
    QFile source(plain);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();

    const auto save = [&](const char* name, const QByteArray& data) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
        return f.fileName();
    };
    // A turned picture must come out as Qt shows it; a cut-off one, which the stream leaves to
    // Qt's reader, is refused as damaged, though Qt would fill in the missing rows.
    for (const QString& path : {save("turned.jpg", withOrientation(bytes)),
                                save("cut.jpg", bytes.left(bytes.size() / 2))}) {
        const bool damaged = path.endsWith("cut.jpg");
        QImage expected;
        ASSERT_TRUE(QImageReader(path).read(&expected));
        CollectingSink sink;
        LoadedPicture picture;
        picture.rowSink = &sink;
        std::string error;
        ASSERT_EQ(loadPicture(path.toStdString(), picture, error), !damaged) << path.toStdString();
        EXPECT_FALSE(picture.rowsStreamed) << path.toStdString();
        if (damaged) {
            EXPECT_NE(error.find("damaged picture"), std::string::npos) << error;
        } else {
            const QImage shown = expected.convertToFormat(QImage::Format_ARGB32);
            EXPECT_EQ(differingPixels(shown, picture.view), 0) << path.toStdString();
        }
    }
}

TEST(QtPictureLoader, OtherFormatsAreDecodedWholeEvenGivenASink) {
    QTemporaryDir dir;
    QImage png(2, 1, QImage::Format_ARGB32);
    png.setPixel(0, 0, qRgba(10, 20, 30, 255));
    png.setPixel(1, 0, qRgba(0, 0, 0, 0));
    ASSERT_TRUE(png.save(dir.filePath("a.png")));
    CollectingSink sink;
    LoadedPicture picture;
    picture.rowSink = &sink;
    std::string error;
    ASSERT_TRUE(loadPicture(dir.filePath("a.png").toStdString(), picture, error, 2));
    EXPECT_FALSE(picture.rowsStreamed);
    EXPECT_FALSE(sink.ended);
    EXPECT_EQ(picture.view.row(0)[0], 0xFF0A141Eu);
    EXPECT_EQ(picture.view.row(0)[1] >> 24, 0u);
    EXPECT_FALSE(loadPicture(dir.filePath("none.png").toStdString(), picture, error, 2));
    EXPECT_NE(error.find("cannot read picture"), std::string::npos);
}
