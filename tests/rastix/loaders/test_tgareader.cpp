// TGA pictures as ImageMagick writes them, and the variants it cannot write (15/16 bits,
// right-to-left rows, colour maps not starting at entry 0, footers), each read by rastix and
// compared with ImageMagick's decoding of the very same file.
#include "loaders/pictureloader.h"
#include "loaders/tgareader.h"
#include "tgafiles.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace rastix;
using tgafiles::Layout;
using tgafiles::writeTga;

namespace {

// 41 colours, some half or fully transparent, in runs of varied length so RLE files hold both
// kinds of packet.
QImage sourcePicture() {
    QImage image(37, 23, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int c = (x / (1 + y % 4) + y * 3) % 41;
            const int alpha = c % 13 == 0 ? 0 : c % 7 == 0 ? 128 : 255;
            image.setPixel(x, y, qRgba(c * 6, 255 - c * 5, (c * 37) & 255, alpha));
        }
    return image;
}

bool haveImageMagick() {
    QProcess p;
    p.start("convert", {"-version"});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool runConvert(const QStringList& args) {
    QProcess p;
    p.start("convert", args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// ImageMagick keeps a TGA's rows in file order and notes the origin; -auto-orient applies it.
std::vector<std::uint32_t> imageMagickPixels(const QString& file, const QString& dir, int& w,
                                             int& h) {
    const QString raw = dir + "/reference.rgba";
    QProcess p;
    p.start("identify", {"-format", "%w %h", file});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    const QStringList size = QString::fromUtf8(p.readAllStandardOutput()).split(' ');
    if (size.size() != 2)
        return {};
    w = size[0].toInt();
    h = size[1].toInt();
    if (!runConvert({file, "-auto-orient", "-depth", "8", "rgba:" + raw}))
        return {};
    QFile f(raw);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    std::vector<std::uint32_t> pixels;
    for (qsizetype i = 0; i + 3 < bytes.size(); i += 4) {
        const auto b = [&](int k) {
            return static_cast<std::uint32_t>(std::uint8_t(bytes[i + k]));
        };
        pixels.push_back(b(3) << 24 | b(0) << 16 | b(1) << 8 | b(2));
    }
    return pixels;
}

struct Variant {
    const char* name;
    QStringList imageMagickOptions; // written by ImageMagick when not empty
    Layout layout;                  // otherwise written by writeTga
    // For files ImageMagick 6 misreads: checked against the picture they were written from.
    bool againstSource = false;
};

} // namespace

TEST(TgaLoader, ReadsWhatImageMagickReadsFromTheSameFile) {
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick's convert is not available";
    QTemporaryDir dir;
    const QString source = dir.filePath("source.png");
    ASSERT_TRUE(sourcePicture().save(source));
    const QImage picture = sourcePicture();
    const std::vector<Variant> variants = {
        {"im-truecolour-24", {"-type", "TrueColor"}, {}},
        {"im-truecolour-24-rle", {"-type", "TrueColor", "-compress", "RLE"}, {}},
        {"im-truecolour-32", {"-type", "TrueColorAlpha"}, {}},
        {"im-truecolour-32-rle", {"-type", "TrueColorAlpha", "-compress", "RLE"}, {}},
        {"im-colourmap", {"-alpha", "off", "-type", "Palette"}, {}},
        {"im-colourmap-rle", {"-alpha", "off", "-type", "Palette", "-compress", "RLE"}, {}},
        {"im-grey", {"-type", "Grayscale"}, {}},
        {"im-grey-rle", {"-type", "Grayscale", "-compress", "RLE"}, {}},
        {"im-top-left", {"-type", "TrueColor", "-orient", "TopLeft"}, {}},
        {"truecolour-15", {}, {2, 15}},
        {"truecolour-16-alpha-bit", {}, {2, 16, 0, 0, 0, 1}},
        {"truecolour-16-rle-top-left", {}, {10, 16, 0, 0, 0x20, 1}},
        {"truecolour-16-no-alpha", {}, {2, 16}},
        {"truecolour-24-top-right", {}, {2, 24, 0, 0, 0x30}},
        {"truecolour-32-rle-bottom-right", {}, {10, 32, 0, 0, 0x10, 8}},
        {"truecolour-24-id-footer", {}, {2, 24, 0, 0, 0, 0, 11, true}},
        {"colourmap-32-rle-footer", {}, {9, 8, 32, 0, 0x20, 8, 0, true}},
        {"colourmap-16bit-index-24", {}, {1, 16, 24}, true},
        // ImageMagick 6 reads the unused colour map of a true-colour file as pixels.
        {"truecolour-24-rle-unused-colour-map", {}, {10, 24, 24}, true},
        {"colourmap-16-from-entry-5", {}, {1, 8, 16, 5}},
        {"colourmap-15-rle", {}, {9, 8, 15}},
        {"grey-8-top-left-rle", {}, {11, 8, 0, 0, 0x20}},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const QString file = dir.filePath(QString(v.name) + ".tga");
        if (!v.imageMagickOptions.isEmpty()) {
            ASSERT_TRUE(runConvert(QStringList{source} + v.imageMagickOptions + QStringList{file}));
        } else {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(writeTga(picture, v.layout));
        }
        int w = picture.width();
        int h = picture.height();
        std::vector<std::uint32_t> expected;
        if (v.againstSource)
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    expected.push_back(picture.pixel(x, y) | 0xFF000000u); // 24-bit colours
        else
            expected = imageMagickPixels(file, dir.path(), w, h);
        ASSERT_EQ(expected.size(), std::size_t(w) * h);
        ASSERT_GT(w, 0);
        LoadedPicture loaded;
        std::string error;
        ASSERT_TRUE(loadPicture(file.toStdString(), loaded, error)) << error;
        ASSERT_EQ(loaded.view.width, w);
        ASSERT_EQ(loaded.view.height, h);
        long differing = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                differing += loaded.view.row(y)[x] != expected[std::size_t(y) * w + x];
        EXPECT_EQ(differing, 0);
    }
}

// TGA 2.0: the descriptor counts a pixel's alpha bits, and the extension area may say what they
// hold. Without alpha, the fourth byte of a 32-bit colour means nothing, whatever it is.
TEST(TgaLoader, AlphaOnlyWhereTheFileDeclaresIt) {
    QTemporaryDir dir;
    const QImage picture = sourcePicture();
    const struct {
        const char* name;
        Layout layout;
        bool alpha;
    } cases[] = {
        {"truecolour-32-no-alpha-bits", {2, 32}, false},
        {"truecolour-32-rle-no-alpha-bits", {10, 32, 0, 0, 0x20}, false},
        {"colourmap-32-no-alpha-bits", {1, 8, 32}, false},
        {"truecolour-32-alpha", {2, 32, 0, 0, 0, 8}, true},
        {"truecolour-32-alpha-footer", {2, 32, 0, 0, 0, 8, 0, true}, true},
        {"extension-says-none", {2, 32, 0, 0, 0, 8, 0, false, 0}, false},
        {"extension-says-ignore", {2, 32, 0, 0, 0, 8, 0, false, 1}, false},
        {"extension-says-alpha", {2, 32, 0, 0, 0, 8, 0, false, 3}, true},
        {"truecolour-16-no-alpha-bits", {2, 16}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = dir.filePath(QString(c.name) + ".tga");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(writeTga(picture, c.layout));
        f.close();
        LoadedPicture loaded;
        std::string error;
        ASSERT_TRUE(loadTga(file.toStdString(), loaded, error, 0)) << error;
        long wrong = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb source = picture.pixel(x, y);
                const std::uint32_t read = loaded.view.row(y)[x];
                const std::uint32_t alpha = read >> 24;
                const bool colourKept =
                    c.layout.bits == 16 || (read & 0xFFFFFFu) == (source & 0xFFFFFFu);
                const bool alphaRight =
                    c.alpha ? alpha == std::uint32_t(qAlpha(source)) : alpha == 0xFF;
                wrong += !(colourKept && alphaRight);
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(TgaLoader, FileCutShortOrAskingTooMuchIsRefusedBeforeDecoding) {
    QTemporaryDir dir;
    const QImage picture = sourcePicture();
    const QByteArray plain = writeTga(picture, {2, 24});
    const QByteArray packed = writeTga(picture, {10, 32});
    QByteArray wide = plain;
    wide[12] = wide[13] = char(0xFF); // 65535 pixels a row, with the data of 37
    QByteArray mapped = writeTga(picture, {1, 8, 32});
    mapped[mapped.size() - 1] = char(0xFF); // the picture has fewer colours
    QByteArray huge = packed;
    huge[12] = huge[13] = huge[14] = huge[15] = char(0xFF);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"header.tga", plain.left(10), "too short for a TGA header"},
        {"plain.tga", plain.left(plain.size() - 1), "ends before its pixel data"},
        {"packed.tga", packed.left(packed.size() * 2 / 3), "ends before its pixel data"},
        {"wide.tga", wide, "ends before its pixel data"},
        {"huge.tga", huge, "allocation limit"},
        {"index.tga", mapped,
         "not converted: 1 pixel with a colour outside the colour map (index 255"},
        {"type.tga", QByteArray(plain).replace(2, 1, "\x05"), "image type 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile f(dir.filePath(c.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        LoadedPicture loaded;
        std::string error;
        EXPECT_FALSE(loadTga(f.fileName().toStdString(), loaded, error, std::uint64_t(1) << 30));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(loaded.keepAlive, nullptr);
    }
}

TEST(TgaLoader, RecognisedByNameOrByTheTga2Footer) {
    QTemporaryDir dir;
    const QByteArray plain = writeTga(sourcePicture(), {2, 24});
    const QByteArray withFooter = writeTga(sourcePicture(), {2, 24, 0, 0, 0, 0, 0, true});
    const struct {
        const char* name;
        QByteArray bytes;
        bool tga;
    } cases[] = {
        {"a.TGA", plain, true},
        {"b.bin", withFooter, true},
        {"c.bin", plain, false},
        {"d.png", withFooter.left(withFooter.size() - 1), false},
        {"e.tga", QByteArray("\x89PNG\r\n\x1a\n", 8), false}, // another format, misnamed
    };
    for (const auto& c : cases) {
        QFile f(dir.filePath(c.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        EXPECT_EQ(isTgaPicture(f.fileName().toStdString()), c.tga) << c.name;
    }
}
