#include "apngfiles.h"
#include "loaders/pictureloader.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace rastix;

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 12;

// A frame of the animations below: a block of one colour, optionally with its centre pixel
// transparent, placed on the canvas; disposal as GIF and APNG both know it (0 keep,
// 1 background, 2 previous).
struct Block {
    int x, y, width, height;
    QRgb colour;
    bool hole;
    int dispose;
    int centiseconds;
};

const std::vector<Block> kBlocks = {
    {0, 0, kWidth, kHeight, qRgb(255, 0, 0), false, 0, 10},
    {2, 1, 6, 4, qRgb(0, 0, 255), false, 0, 25},
    {8, 3, 5, 5, qRgb(0, 255, 0), true, 1, 0},
    {1, 6, 4, 4, qRgb(255, 255, 0), false, 2, 3},
    {12, 8, 3, 3, qRgb(255, 255, 255), false, 0, 1},
};

QImage blockPicture(const Block& b) {
    QImage image(b.width, b.height, QImage::Format_ARGB32);
    image.fill(b.colour);
    if (b.hole)
        image.setPixel(b.width / 2, b.height / 2, 0);
    return image;
}

bool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool haveTools(const QStringList& tools) {
    for (const QString& tool : tools)
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return false;
    return true;
}

// ImageMagick's view of every frame of an animation, composed.
std::vector<QImage> coalesced(const QTemporaryDir& dir, const QString& animation) {
    std::vector<QImage> frames;
    if (!run("convert", {animation, "-coalesce", dir.filePath("shown-%d.png")}))
        return frames;
    for (int k = 0;; ++k) {
        const QString path = dir.filePath(QString("shown-%1.png").arg(k));
        if (!QFile::exists(path))
            break;
        frames.push_back(QImage(path).convertToFormat(QImage::Format_ARGB32));
    }
    return frames;
}

// Pixels of frame k of the strip that differ from the reference by more than tolerance in any
// channel; pixels transparent in both are equal whatever their colour.
int differingPixels(const LoadedPicture& picture, int k, const QImage& reference, int tolerance) {
    int differing = 0;
    for (int y = 0; y < reference.height(); ++y) {
        const std::uint32_t* row = picture.view.row(k * picture.frameHeight + y);
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb want = reference.pixel(x, y);
            const QRgb got = row[x];
            if (qAlpha(want) == 0 && qAlpha(got) == 0)
                continue;
            const int worst = std::max(
                {std::abs(qRed(want) - qRed(got)), std::abs(qGreen(want) - qGreen(got)),
                 std::abs(qBlue(want) - qBlue(got)), std::abs(qAlpha(want) - qAlpha(got))});
            differing += worst > tolerance;
        }
    }
    return differing;
}

void expectFramesAsShown(const LoadedPicture& picture, const std::vector<QImage>& shown,
                         int tolerance) {
    ASSERT_FALSE(shown.empty());
    ASSERT_EQ(picture.frameHeight, kHeight);
    ASSERT_EQ(picture.view.width, kWidth);
    ASSERT_EQ(picture.view.height, kHeight * int(shown.size()));
    for (std::size_t k = 0; k < shown.size(); ++k)
        EXPECT_EQ(differingPixels(picture, int(k), shown[k], tolerance), 0) << "frame " << k;
}

LoadedPicture loaded(const QString& path) {
    LoadedPicture picture;
    std::string error;
    EXPECT_TRUE(loadPicture(path.toStdString(), picture, error)) << error;
    return picture;
}

QString makeGif(const QTemporaryDir& dir) {
    static const char* const kDisposal[] = {"none", "background", "previous"};
    QStringList arguments;
    for (std::size_t k = 0; k < kBlocks.size(); ++k) {
        const Block& b = kBlocks[k];
        const QString frame = dir.filePath(QString("block-%1.png").arg(k));
        blockPicture(b).save(frame);
        arguments << "-dispose" << kDisposal[b.dispose] << "-delay"
                  << QString::number(b.centiseconds) << "-page"
                  << QString("%1x%2+%3+%4").arg(kWidth).arg(kHeight).arg(b.x).arg(b.y) << frame;
    }
    const QString gif = dir.filePath("blocks.gif");
    return run("convert", arguments << gif) ? gif : QString();
}

TEST(Animation, GifFramesAreComposedAsImageMagickShowsThem) {
    if (!haveTools({"convert"}))
        GTEST_SKIP() << "needs ImageMagick's convert";
    QTemporaryDir dir;
    const QString gif = makeGif(dir);
    ASSERT_FALSE(gif.isEmpty());
    const LoadedPicture picture = loaded(gif);
    expectFramesAsShown(picture, coalesced(dir, gif), 0);
    // Under 2 hundredths of a second is shown as 100 ms, as browsers do.
    EXPECT_EQ(picture.frameDelaysMs, (std::vector<int>{100, 250, 100, 30, 100}));
}

TEST(Animation, ApngFramesAreComposedAsTheSameGifIsShown) {
    if (!haveTools({"convert"}))
        GTEST_SKIP() << "needs ImageMagick's convert";
    QTemporaryDir dir;
    const QString gif = makeGif(dir);
    ASSERT_FALSE(gif.isEmpty());
    const std::vector<QImage> shown = coalesced(dir, gif);
    std::vector<apngfiles::Frame> frames;
    for (const Block& b : kBlocks)
        frames.push_back({blockPicture(b), b.x, b.y, b.dispose, 1, b.centiseconds, 100});
    frames[2].delayDenominator = 0; // hundredths as well, so 0 ms
    frames[3].delayNumerator = 7;
    frames[3].delayDenominator = 0; // 7 hundredths
    const QImage hidden(kWidth, kHeight, QImage::Format_ARGB32);
    for (const bool hiddenDefault : {false, true}) {
        const QString path = dir.filePath(hiddenDefault ? "hidden.png" : "blocks.png");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            apngfiles::writeApng(kWidth, kHeight, frames, hiddenDefault ? hidden : QImage()));
        file.close();
        const LoadedPicture picture = loaded(path);
        expectFramesAsShown(picture, shown, 0);
        EXPECT_EQ(picture.frameDelaysMs, (std::vector<int>{100, 250, 0, 70, 10}));
    }
}

TEST(Animation, WebpFramesAreComposedAsImageMagickShowsThem) {
    if (!haveTools({"convert", "cwebp", "webpmux"}))
        GTEST_SKIP() << "needs ImageMagick's convert and the webp tools";
    QTemporaryDir dir;
    struct WebpFrame {
        QRect area;
        QRgb colour; // half transparent ones blend over what is under them
        const char* disposeAndBlend;
        int delayMs;
    };
    const std::vector<WebpFrame> frames = {
        {{0, 0, kWidth, kHeight}, qRgba(255, 0, 0, 128), "+0-b", 80},
        {{2, 2, 6, 4}, qRgba(0, 0, 255, 255), "+1+b", 20},
        {{8, 4, 6, 6}, qRgba(0, 255, 0, 128), "+0+b", 150},
        {{4, 6, 4, 4}, qRgba(255, 255, 0, 255), "+0-b", 10},
        {{6, 0, 8, 4}, qRgba(255, 0, 255, 128), "+1+b", 100},
    };
    QStringList arguments;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const WebpFrame& f = frames[k];
        QImage image(f.area.size(), QImage::Format_ARGB32);
        image.fill(f.colour);
        const QString png = dir.filePath(QString("w%1.png").arg(k));
        const QString webp = dir.filePath(QString("w%1.webp").arg(k));
        ASSERT_TRUE(image.save(png));
        ASSERT_TRUE(run("cwebp", {"-quiet", "-lossless", "-exact", png, "-o", webp}));
        arguments << "-frame" << webp
                  << QString("+%1+%2+%3%4")
                         .arg(f.delayMs)
                         .arg(f.area.x())
                         .arg(f.area.y())
                         .arg(f.disposeAndBlend);
    }
    const QString animation = dir.filePath("blocks.webp");
    ASSERT_TRUE(run("webpmux", arguments << "-loop"
                                         << "0"
                                         << "-o" << animation));
    const LoadedPicture picture = loaded(animation);
    // Qt decodes a WebP frame premultiplied: a half transparent channel may be a step off.
    expectFramesAsShown(picture, coalesced(dir, animation), 1);
    EXPECT_EQ(picture.frameDelaysMs, (std::vector<int>{80, 20, 150, 10, 100}));
}

TEST(Animation, StillPictureHasNoFrames) {
    QTemporaryDir dir;
    QImage image(kWidth, kHeight, QImage::Format_ARGB32);
    image.fill(qRgb(1, 2, 3));
    for (const char* format : {"png", "webp"}) {
        // Qt may have no WebP plugin (the Windows build has none).
        if (!QImageWriter::supportedImageFormats().contains(format))
            continue;
        const QString path = dir.filePath(QString("still.") + format);
        ASSERT_TRUE(image.save(path, format)) << format;
        const LoadedPicture picture = loaded(path);
        EXPECT_EQ(picture.frameHeight, 0) << format;
        EXPECT_TRUE(picture.frameDelaysMs.empty()) << format;
        EXPECT_EQ(picture.view.height, kHeight) << format;
    }
}

TEST(Animation, StripLargerThanTheBudgetIsRefusedBeforeDecoding) {
    QTemporaryDir dir;
    std::vector<apngfiles::Frame> frames;
    for (const Block& b : kBlocks)
        frames.push_back({blockPicture(b), b.x, b.y, b.dispose, 1, 1, 10});
    const QString path = dir.filePath("blocks.png");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(apngfiles::writeApng(kWidth, kHeight, frames));
    file.close();
    Admission asked;
    LoadedPicture picture;
    picture.admit = [&](const Admission& admission, std::string& error) {
        asked = admission;
        error = "too large for the budget";
        return false;
    };
    std::string error;
    EXPECT_FALSE(loadPicture(path.toStdString(), picture, error));
    EXPECT_EQ(error, "too large for the budget");
    EXPECT_EQ(asked.height, kHeight * int(kBlocks.size()));
    EXPECT_GE(asked.decodedBytes, std::uint64_t(kWidth) * kHeight * 4 * kBlocks.size());
    EXPECT_EQ(picture.view.pixels, nullptr);
}

// The n-th chunk of a type in a PNG file: where its length starts, -1 when there is none.
qsizetype chunkAt(const QByteArray& file, const char* type, int n) {
    for (qsizetype at = 8; at + 12 <= file.size();) {
        const auto length = qFromBigEndian<std::uint32_t>(file.constData() + at);
        if (file.mid(at + 4, 4) == type && n-- == 0)
            return at;
        at += 12 + qsizetype(length);
    }
    return -1;
}

// The chunk rewritten with new data, its checksum made right.
QByteArray withChunk(const QByteArray& file, const char* type, int n, const QByteArray& data) {
    const qsizetype at = chunkAt(file, type, n);
    const auto length = qFromBigEndian<std::uint32_t>(file.constData() + at);
    return file.left(at) + apngfiles::chunk(type, data) + file.mid(at + 12 + qsizetype(length));
}

QByteArray chunkData(const QByteArray& file, const char* type, int n) {
    const qsizetype at = chunkAt(file, type, n);
    return file.mid(at + 8, qFromBigEndian<std::uint32_t>(file.constData() + at));
}

TEST(Animation, DamagedApngGivesOneLine) {
    std::vector<apngfiles::Frame> frames;
    for (const Block& b : kBlocks)
        frames.push_back({blockPicture(b), b.x, b.y, b.dispose, 1, 1, 10});
    const QByteArray good = apngfiles::writeApng(kWidth, kHeight, frames);
    QByteArray control = chunkData(good, "fcTL", 1);
    qToBigEndian<std::uint32_t>(kWidth, control.data() + 4); // as wide as the canvas, at x 2
    QByteArray sequence = chunkData(good, "fdAT", 1);
    qToBigEndian<std::uint32_t>(40, sequence.data());
    QByteArray acTL = chunkData(good, "acTL", 0);
    qToBigEndian<std::uint32_t>(3, acTL.data());
    QByteArray flipped = good;
    flipped[chunkAt(good, "fdAT", 2) + 12] = char(flipped[chunkAt(good, "fdAT", 2) + 12] ^ 0x55);
    struct Case {
        const char* name;
        QByteArray file;
    };
    const std::vector<Case> cases = {
        {"frame wider than the canvas", withChunk(good, "fcTL", 1, control)},
        {"fdAT cut short", good.left(chunkAt(good, "fdAT", 3) + 20)},
        {"no IEND", good.left(chunkAt(good, "IEND", 0))},
        {"fdAT out of sequence", withChunk(good, "fdAT", 1, sequence)},
        {"fdAT checksum", flipped},
        {"more frames than declared", withChunk(good, "acTL", 0, acTL)},
        {"fdAT without data", withChunk(good, "fdAT", 0, chunkData(good, "fdAT", 0).left(4))},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = dir.filePath("damaged.png");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.file);
        file.close();
        LoadedPicture picture;
        std::string error;
        EXPECT_FALSE(loadPicture(path.toStdString(), picture, error)) << c.name;
        EXPECT_EQ(error.rfind("damaged picture, not converted: ", 0), 0u)
            << c.name << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.name;
    }
}

} // namespace
