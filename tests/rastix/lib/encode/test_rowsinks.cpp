// Encoding rows while the picture is still being decoded, and writing them straight into the
// staged output file, must give exactly the bytes of decoding first and encoding after.
#include "convert/convertjob.h"
#include "convert/loadedpicture.h"
#include "encode/mapcollector.h"
#include "encode/streamencoder.h"
#include "loaders/jpegreader.h"
#include "loaders/pictureloader.h"
#include "loaders/pngreader.h"
#include "output/outputnames.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

using namespace rastix;

namespace {

// 1203 pixels make rows that need padding to a whole phrase, and 901 rows are not a whole number
// of chunks.
QString writeJpeg(const QTemporaryDir& dir) {
    QImage img(1203, 901, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y,
                         qRgb((x * 5 + y) & 255, static_cast<int>(128 + 120 * std::sin(y * 0.03)),
                              (x ^ (2 * y)) & 255));
    const QString path = dir.filePath("photo.jpg");
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    return writer.write(img) ? path : QString();
}

// Decoding whole, then encoding: nothing overlapped.
std::vector<OutputFile> straightforward(const std::string& path, const Settings& settings) {
    LoadedPicture picture;
    std::string error;
    EXPECT_TRUE(loadPicture(path, picture, error, 1)) << error;
    return outputsFor(encodePicture(picture.view, settings), settings, path);
}

QByteArray contents(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray bytesOf(const ByteBuffer& buffer) {
    return QByteArray(reinterpret_cast<const char*>(buffer.data()),
                      static_cast<qsizetype>(buffer.size()));
}

Settings binary(ColourModel model, const QTemporaryDir& dir) {
    Settings s;
    s.model = model;
    s.format = OutputFormat::Binary;
    s.overwrite = true;
    s.targetDir = dir.path().toStdString();
    return s;
}

// A disk that is full.
class RefusingWrites : public AtomicFileWriter {
protected:
    bool writeChunk(std::FILE*, const std::uint8_t*, std::size_t) override {
        errno = ENOSPC;
        return false;
    }
};

} // namespace

TEST(Pipeline, StreamedTrueColourFilesEqualTheStraightforwardOnes) {
    if (!jpegStreamingAvailable())
        GTEST_SKIP() << "built without libjpeg: JPEGs are decoded whole by Qt";
    QTemporaryDir dir;
    const QString jpeg = writeJpeg(dir);
    ASSERT_FALSE(jpeg.isEmpty());
    Job job;
    job.picture = jpeg.toStdString();
    std::vector<Settings> variants = {binary(ColourModel::Rgb16, dir),
                                      binary(ColourModel::Cry16, dir)};
    variants.push_back(variants[0]);
    variants.back().fifteenBits = true;
    variants.push_back(variants[1]);
    variants.back().cryEncoding = CryEncoding::Glass;
    // The same rows as assembly text, in both dialects.
    variants.push_back(variants[0]);
    variants.back().format = OutputFormat::Assembly;
    variants.push_back(variants[1]);
    variants.back().format = OutputFormat::Assembly;
    variants.back().syntax = AsmSyntax::Gas;
    // With the ready object: in the text after the rows, or a file of its own beside them.
    for (const std::size_t plain : {std::size_t{0}, std::size_t{5}}) {
        variants.push_back(variants[plain]);
        variants.back().objectHeader = true;
    }
    // As C, the rows in PICTURE.c, the header PICTURE.h made from the picture's shape.
    variants.push_back(variants[1]);
    variants.back().format = OutputFormat::C;
    variants.back().objectHeader = true;
    for (const Settings& settings : variants) {
        job.settings = settings;
        const std::vector<OutputFile> expected = straightforward(job.picture, settings);
        ASSERT_EQ(expected.size(),
                  (settings.objectHeader && settings.format == OutputFormat::Binary) ||
                          settings.format == OutputFormat::C
                      ? 2u
                      : 1u);
        if (settings.format == OutputFormat::Binary) {
            ASSERT_EQ(expected[0].bytes.size(), 1204u * 2 * 901); // padded to 301 phrases a row
        }

        AtomicFileWriter writer;
        PictureResult result = convertJob(job, loadPicture, 2, &writer);
        ASSERT_TRUE(result.error.empty()) << result.error;
        ASSERT_EQ(result.files.size(), expected.size());
        ASSERT_TRUE(result.files[0].staged) << "the rows should have gone to disk during decoding";
        EXPECT_EQ(result.files[0].path, expected[0].path);
        std::string error;
        ASSERT_TRUE(result.files[0].staged->commit(ExistingFile::Replace, error)) << error;
        EXPECT_TRUE(contents(expected[0].path) == bytesOf(expected[0].bytes))
            << modelDescription(settings);
        // The files made from the picture's shape alone.
        for (std::size_t i = 1; i < expected.size(); ++i) {
            EXPECT_EQ(result.files[i].path, expected[i].path);
            EXPECT_TRUE(bytesOf(result.files[i].bytes) == bytesOf(expected[i].bytes))
                << expected[i].path;
        }

        // Into memory, as for a caller without a writer, with and without an encoding thread.
        for (const int threads : {1, 2}) {
            PictureResult inMemory = convertJob(job, loadPicture, threads);
            ASSERT_EQ(inMemory.files.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i) {
                EXPECT_FALSE(inMemory.files[i].staged);
                EXPECT_TRUE(bytesOf(inMemory.files[i].bytes) == bytesOf(expected[i].bytes))
                    << modelDescription(settings) << ", threads " << threads;
            }
        }
    }
    // Nothing left behind but the outputs (.rgb, .cry, .s, .c) and the picture.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

TEST(Pipeline, StreamedPngFilesEqualTheStraightforwardOnes) {
    if (!pngStreamingAvailable())
        GTEST_SKIP() << "built without libpng: PNGs are decoded whole by Qt";
    QTemporaryDir dir;
    const QImage photo(writeJpeg(dir));
    ASSERT_FALSE(photo.isNull());
    // Colour and grey are streamed; transparency (known only at the end) is not.
    const QImage::Format formats[] = {QImage::Format_RGB32, QImage::Format_Grayscale8,
                                      QImage::Format_ARGB32};
    for (const QImage::Format format : formats) {
        const QString png = dir.filePath("photo.png");
        QImage picture = photo.convertToFormat(format);
        if (format == QImage::Format_ARGB32)
            picture.setPixel(5, 7, 0x00000000);
        ASSERT_TRUE(picture.save(png, "PNG"));
        Job job;
        job.picture = png.toStdString();
        job.settings = binary(ColourModel::Rgb16, dir);
        const std::vector<OutputFile> expected = straightforward(job.picture, job.settings);
        AtomicFileWriter writer;
        PictureResult result = convertJob(job, loadPicture, 2, &writer);
        ASSERT_TRUE(result.error.empty()) << result.error;
        ASSERT_EQ(result.files.size(), 1u);
        const bool opaque = format != QImage::Format_ARGB32;
        EXPECT_EQ(bool(result.files[0].staged), opaque) << format;
        QByteArray got = bytesOf(result.files[0].bytes);
        if (result.files[0].staged) {
            std::string error;
            ASSERT_TRUE(result.files[0].staged->commit(ExistingFile::Replace, error)) << error;
            got = contents(expected[0].path);
        }
        EXPECT_TRUE(got == bytesOf(expected[0].bytes)) << format;
    }
}

TEST(Pipeline, ColourMapOfALargePictureEqualsTheStraightforwardOne) {
    QTemporaryDir dir;
    const QString jpeg = writeJpeg(dir);
    ASSERT_FALSE(jpeg.isEmpty());
    Job job;
    job.picture = jpeg.toStdString();
    job.settings = binary(ColourModel::Cry16, dir);
    job.settings.colourMap = true;
    job.settings.optimiseMapDepth = true;
    const std::vector<OutputFile> expected = straightforward(job.picture, job.settings);
    AtomicFileWriter writer;
    PictureResult result = convertJob(job, loadPicture, 2, &writer);
    ASSERT_EQ(result.files.size(), 2u);
    ASSERT_EQ(expected.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(result.files[i].path, expected[i].path);
        EXPECT_FALSE(result.files[i].staged);
        EXPECT_TRUE(bytesOf(result.files[i].bytes) == bytesOf(expected[i].bytes)) << i;
    }
    EXPECT_GT(expected[0].bytes.size(), 1203u * 901 / 2); // a real map, not an empty one
}

TEST(Pipeline, APictureDecodedWholeIsStillStreamedCutAndTurned) {
    QTemporaryDir dir;
    const QString bmp = dir.filePath("photo.bmp");
    ASSERT_TRUE(QImage(writeJpeg(dir)).save(bmp, "BMP"));
    for (const OutputFormat format : {OutputFormat::Binary, OutputFormat::Assembly}) {
        for (const int turn : {0, 90, 270}) {
            Job job;
            job.picture = bmp.toStdString();
            job.settings = binary(ColourModel::Cry16, dir);
            job.settings.format = format;
            job.settings.cut = CutFrame{5, 7, 301, 203};
            job.settings.rotateDegrees = turn;
            LoadedPicture whole;
            std::string error;
            ASSERT_TRUE(loadPicture(job.picture, whole, error, 1)) << error;
            Image cut;
            ASSERT_TRUE(cutFrame(whole.view, *job.settings.cut, cut, error));
            const Image turned = rotateClockwise(cut.view(), turn);
            const std::vector<OutputFile> expected =
                outputsFor(encodePicture(turned.view(), job.settings), job.settings, job.picture);
            AtomicFileWriter writer;
            PictureResult result = convertJob(job, loadPicture, 2, &writer);
            ASSERT_EQ(result.files.size(), 1u) << result.error;
            ASSERT_TRUE(result.files[0].staged) << "streamed to disk";
            ASSERT_TRUE(result.files[0].staged->commit(ExistingFile::Replace, error)) << error;
            EXPECT_TRUE(contents(expected[0].path) == bytesOf(expected[0].bytes)) << turn;
        }
    }
}

TEST(Pipeline, AFailedWriteDuringDecodingFailsAtOnceWithTheDisksReason) {
    if (!jpegStreamingAvailable())
        GTEST_SKIP() << "built without libjpeg: JPEGs are decoded whole by Qt";
    QTemporaryDir dir;
    const QString jpeg = writeJpeg(dir);
    ASSERT_FALSE(jpeg.isEmpty());
    for (const OutputFormat format : {OutputFormat::Binary, OutputFormat::Assembly}) {
        Job job;
        job.picture = jpeg.toStdString();
        job.settings = binary(ColourModel::Rgb16, dir);
        job.settings.format = format;
        const std::string output = outputPaths(job.settings, job.picture).front();
        // Decoding the picture again, whole, would only fail on the same disk later.
        int wholeDecodes = 0;
        const PictureLoader counting = [&](const std::string& path, LoadedPicture& picture,
                                           std::string& error, int threads) {
            picture.admit = [&wholeDecodes, ask = picture.admit](const Admission& admission,
                                                                 std::string& why) {
                const bool granted = ask(admission, why);
                wholeDecodes += granted && !admission.streamed ? 1 : 0;
                return granted;
            };
            return loadPicture(path, picture, error, threads);
        };
        RefusingWrites writer;
        const PictureResult result = convertJob(job, counting, 2, &writer);
        EXPECT_EQ(result.error, "cannot write '" + output + "': " + std::strerror(ENOSPC));
        EXPECT_TRUE(result.files.empty());
        EXPECT_EQ(wholeDecodes, 0);
        // The abandoned temporary file is gone.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

TEST(Pipeline, AFolderThatTakesNoFileFailsBeforeThePictureIsDecoded) {
    QTemporaryDir dir;
    const QString jpeg = writeJpeg(dir);
    ASSERT_FALSE(jpeg.isEmpty());
    for (const bool colourMap : {false, true}) {
        Job job;
        job.picture = jpeg.toStdString();
        job.settings = binary(ColourModel::Rgb16, dir);
        job.settings.colourMap = colourMap;
        job.settings.targetDir = dir.filePath("gone").toStdString(); // removed after the check
        int loads = 0;
        const PictureLoader counting = [&](const std::string& path, LoadedPicture& picture,
                                           std::string& error, int threads) {
            ++loads;
            return loadPicture(path, picture, error, threads);
        };
        AtomicFileWriter writer;
        const PictureResult result = convertJob(job, counting, 2, &writer);
        EXPECT_EQ(result.error.rfind(
                      "cannot create a temporary file in '" + job.settings.targetDir + "': ", 0),
                  0u)
            << result.error;
        EXPECT_EQ(loads, 0) << colourMap;
    }
}

namespace {

// 37 pixels: rows padded to 40; transparent pixels here and there.
Image patterned(int height) {
    Image picture(37, height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.at(x, y) =
                (y % 7 == 0 && x % 5 == 0) ? 0x00123456u : 0xFF000000u | (x * 6151u + y * 97u);
    return picture;
}

// Hands rows over as a loader does; false when the sink stopped it.
bool feed(RowSink& sink, const Image& picture, int rows) {
    for (int top = 0; top < rows; top += RowSink::kChunkRows) {
        const int count = std::min(RowSink::kChunkRows, picture.height - top);
        std::uint32_t* room = sink.rowsToFill(top, count);
        if (!room)
            return false;
        std::copy_n(&picture.pixels[static_cast<std::size_t>(top) * picture.width],
                    static_cast<std::size_t>(count) * picture.width, room);
        sink.rowsFilled();
    }
    return true;
}

} // namespace

TEST(StreamEncoder, EncodesEveryChunkWithOrWithoutItsOwnThread) {
    const Image picture = patterned(300);
    Settings settings;
    settings.model = ColourModel::Cry16;
    const EncodedPicture expected = encodeTrueColour(picture.view(), settings);
    for (const bool ownThread : {false, true}) {
        StreamEncoder stream(settings, ownThread);
        ASSERT_TRUE(stream.begin(picture.width, picture.height));
        ASSERT_TRUE(feed(stream, picture, picture.height));
        ASSERT_TRUE(stream.end(true));
        const EncodedPicture got = stream.take();
        EXPECT_EQ(got.rowBytes, 80);
        EXPECT_EQ(got.height, 300);
        EXPECT_TRUE(got.data == expected.data) << "own thread " << ownThread;
    }
}

TEST(MapCollector, MakesTheMapOfThePictureWithOrWithoutItsOwnThread) {
    const Image picture = patterned(300);
    for (const Dither dither : {Dither::None, Dither::Ordered}) {
        Settings settings;
        settings.colourMap = true;
        settings.mapColours = 16; // reduced, so that the dithered map differs
        settings.dither = dither;
        settings.rotateDegrees = dither == Dither::None ? 270 : 0; // turned as it is packed
        const ColourCensus census = takeCensus(picture.view(), settings, 1);
        const EncodedPicture expected = encodeColourMap(
            rotateClockwise(picture.view(), settings.rotateDegrees).view(), settings);
        for (const bool ownThread : {false, true}) {
            MapCollector collector(settings, ownThread);
            ASSERT_TRUE(collector.begin(picture.width, picture.height));
            ASSERT_TRUE(feed(collector, picture, picture.height));
            ASSERT_TRUE(collector.end(true));
            EXPECT_TRUE(collector.census().words == census.words);
            const EncodedPicture got = collector.encode(2);
            EXPECT_EQ(got.palette, expected.palette);
            EXPECT_TRUE(got.data == expected.data)
                << "dither " << int(dither) << ", own thread " << ownThread;
        }
    }
}

TEST(RowSinks, StopCleanlyWhenRowsGoAstray) {
    const Image picture = patterned(100);
    const std::function<std::unique_ptr<RowSink>(bool)> sinks[] = {
        [](bool ownThread) { return std::make_unique<StreamEncoder>(Settings{}, ownThread); },
        [](bool ownThread) {
            return std::make_unique<MapCollector>(Settings{}, ownThread);
        }};
    for (const auto& make : sinks) {
        for (const bool ownThread : {false, true}) {
            // Decoding gave up half-way.
            const auto early = make(ownThread);
            ASSERT_TRUE(early->begin(picture.width, picture.height));
            ASSERT_TRUE(feed(*early, picture, 48));
            EXPECT_FALSE(early->end(false));

            // Rows out of order are refused, and so is everything after.
            const auto skipped = make(ownThread);
            ASSERT_TRUE(skipped->begin(picture.width, picture.height));
            EXPECT_EQ(skipped->rowsToFill(RowSink::kChunkRows, RowSink::kChunkRows), nullptr);
            EXPECT_EQ(skipped->rowsToFill(0, RowSink::kChunkRows), nullptr);
            EXPECT_FALSE(skipped->end(true));

            // A loader that never ends the picture must not leave the sink waiting.
            const auto abandoned = make(ownThread);
            ASSERT_TRUE(abandoned->begin(picture.width, picture.height));
            ASSERT_TRUE(feed(*abandoned, picture, 32));
        }
        EXPECT_FALSE(make(true)->begin(0, 10));
    }
}

TEST(StreamEncoder, AFailedWriteStopsTheLoader) {
    QTemporaryDir dir;
    const Image picture = patterned(2000);
    RefusingWrites writer;
    std::string error;
    const std::unique_ptr<StagedFile> file =
        writer.stage(dir.filePath("x.rgb").toStdString(), error);
    ASSERT_TRUE(file) << error;
    StreamEncoder stream(Settings{}, true);
    stream.streamTo(file.get());
    ASSERT_TRUE(stream.begin(picture.width, picture.height));
    EXPECT_FALSE(feed(stream, picture, picture.height)) << "the loader should have been stopped";
    EXPECT_FALSE(stream.end(false));
}

TEST(Pipeline, ATurnIsRefusedBeforeItsCanvasOutgrowsMemory) {
    // A strip of 1x65304 pixels (a GIF's logical screen can claim that in a few hundred bytes)
    // turned by 31 degrees would need a canvas of 33635x55977 pixels.
    const struct {
        int width;
        int height;
        int degrees;
        bool refused;
    } cases[] = {{1, 65304, 31, true}, {1, 65304, 90, false}, {300, 200, 31, false}};
    for (const auto& c : cases) {
        std::vector<std::uint32_t> pixels(std::size_t(c.width) * c.height, 0xFF112233u);
        const PictureLoader loader = [&](const std::string&, LoadedPicture& picture, std::string&,
                                         int) {
            picture.view = ImageView{pixels.data(), c.width, c.height, c.width};
            return true;
        };
        Job job;
        job.picture = "strip.png";
        job.settings.rotateDegrees = c.degrees;
        const PictureResult result = convertJob(job, loader, 1);
        EXPECT_EQ(result.error.find("turned by") != std::string::npos, c.refused)
            << c.degrees << ": " << result.error;
        EXPECT_EQ(result.files.empty(), c.refused) << c.degrees;
    }
}
