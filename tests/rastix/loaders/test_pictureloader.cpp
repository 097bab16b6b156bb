#include "loaders/jpegreader.h"
#include "loaders/pictureloader.h"
#include "loaders/pngreader.h"
#include "tgafiles.h"
#include "tifffiles.h"

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

namespace {

struct Asked {
    Admission admission;
    bool pixelsHeld = false; // whether the picture was decoded already when it asked
};

// Loads the picture given a sink, as a conversion that could stream it does, and records what
// the loader asked for.
std::vector<Asked> admissionsOf(const QString& path) {
    CollectingSink sink;
    LoadedPicture picture;
    picture.rowSink = &sink;
    std::vector<Asked> asked;
    picture.admit = [&](const Admission& admission, std::string&) {
        asked.push_back({admission, picture.view.pixels != nullptr});
        return true;
    };
    std::string error;
    EXPECT_TRUE(loadPicture(path.toStdString(), picture, error, 2)) << error;
    return asked;
}

} // namespace

TEST(QtPictureLoader, EachReaderAsksOnceForWhatItsWayHoldsBeforeDecoding) {
    QTemporaryDir dir;
    QImage opaque(40, 24, QImage::Format_RGB32);
    opaque.fill(qRgb(40, 80, 120));
    QImage withAlpha = opaque.convertToFormat(QImage::Format_ARGB32);
    withAlpha.setPixel(3, 3, qRgba(0, 0, 0, 0));
    ASSERT_FALSE(writeJpeg(dir.filePath("a.jpg"), opaque, false).isEmpty());
    ASSERT_FALSE(writeJpeg(dir.filePath("p.jpg"), opaque, true).isEmpty());
    ASSERT_TRUE(opaque.save(dir.filePath("rgb.png")));
    ASSERT_TRUE(withAlpha.save(dir.filePath("rgba.png")));
    ASSERT_TRUE(opaque.save(dir.filePath("b.bmp")));
    QFile tga(dir.filePath("t.tga"));
    ASSERT_TRUE(tga.open(QIODevice::WriteOnly));
    tga.write(tgafiles::writeTga(opaque, {10, 24}));
    tga.close();
    // A progressive JPEG of 4:2:0 keeps its coefficients: 6 x 4 blocks of luma (whole units
    // of 2 x 2), 3 x 2 of each chroma, 128 bytes each.
    const std::uint64_t coefficients = (6 * 4 + 2 * 3 * 2) * 128;
    const std::uint64_t pixels = 40 * 24 * 4;
#ifdef __GLIBC__
    const std::uint64_t tgaBytes = pixels; // stb_image's 24-bit pixels widened in place
#else
    const std::uint64_t tgaBytes = 40 * 24 * 3 + pixels; // and copied where realloc copies
#endif
    const bool jpegStreams = jpegStreamingAvailable();
    const bool pngStreams = pngStreamingAvailable();
    struct Case {
        const char* file;
        bool streamed;
        bool opaque;
        std::uint64_t decoderBytes;
        std::uint64_t decodedBytes;
    } cases[] = {
        {"a.jpg", jpegStreams, true, 0, pixels},
        {"p.jpg", jpegStreams, true, coefficients, pixels},
        {"rgb.png", pngStreams, true, 0, pixels},
        // libpng declines transparency, so it asks for the whole picture from the start.
        {"rgba.png", false, false, 0, pixels},
        {"b.bmp", false, true, 0, pixels},
        {"t.tga", false, true, 0, tgaBytes},
    };
    for (const Case& c : cases) {
        const std::vector<Asked> asked = admissionsOf(dir.filePath(c.file));
        EXPECT_EQ(asked.size(), 1u) << c.file;
        if (asked.empty())
            continue;
        const Admission& a = asked[0].admission;
        EXPECT_FALSE(asked[0].pixelsHeld) << c.file;
        EXPECT_EQ(a.width, 40) << c.file;
        EXPECT_EQ(a.height, 24) << c.file;
        EXPECT_EQ(a.streamed, c.streamed) << c.file;
        EXPECT_EQ(a.opaque, c.opaque) << c.file;
        EXPECT_EQ(a.decoderBytes, c.decoderBytes) << c.file;
        EXPECT_EQ(a.decodedBytes, c.decodedBytes) << c.file;
    }
}

// libtiff names the file by what Qt's reader calls it ("foo"): the line names the real one.
TEST(QtPictureLoader, TiffMessagesNameTheRealFile) {
    if (!QImageReader::supportedImageFormats().contains("tiff"))
        GTEST_SKIP() << "Qt reads no TIFF here";
    QTemporaryDir dir;
    QByteArray tiff = tifffiles::writeTiff(QImage(4, 4, QImage::Format_RGB32), 1);
    tiff[2] = 43; // a BigTIFF header in a classic file: its first directory lies far outside
    const QString path = dir.filePath("seek.tif");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(tiff);
    f.close();
    LoadedPicture loaded;
    std::string error;
    ASSERT_FALSE(loadPicture(path.toStdString(), loaded, error));
    EXPECT_EQ(error.find("foo"), std::string::npos) << error;
    // Made piece by piece: GCC 12 at -O3 warns (-Wrestrict) on a chain of "+".
    std::string named = "(";
    named += path.toStdString();
    named += ": Not a TIFF file";
    EXPECT_NE(error.find(named), std::string::npos) << error;
}
