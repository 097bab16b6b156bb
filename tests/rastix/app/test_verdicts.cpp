// One picture, one verdict: a damaged or merely odd picture is converted, or refused for the
// same reason, whichever way the options send it (streamed rows, decoded whole, cut, turned,
// dithered, mapped). Pictures damaged in known ways must get the verdict their data deserves;
// pictures damaged at random need only get the same one every time.
#include "pictureedits.h"
#include "tgafiles.h"
#include "tifffiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using pictureedits::encoded;
using pictureedits::pngChunk;
using pictureedits::withChunkAfterHeader;

enum class Expect { Converted, Refused, Either };

struct Case {
    std::string name; // the file name, its extension the format
    QByteArray bytes;
    Expect expect;
};

constexpr int kWidth = 53;
constexpr int kHeight = 37;

QImage opaquePicture() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 6, (x * y) & 255));
    return image;
}

QByteArray beforeEndMarker(QByteArray jpeg, const QByteArray& junk) {
    return jpeg.insert(jpeg.size() - 2, junk);
}

// Junk without a 0xFF, which a JPEG decoder could take for the start of a marker.
QByteArray plainJunk(int count) {
    QByteArray junk;
    for (int i = 0; i < count; ++i)
        junk.append(char((i * 37 + 11) % 250));
    return junk;
}

std::vector<Case> knownCases() {
    const QImage picture = opaquePicture();
    const QByteArray jpeg = encoded(picture, "jpeg");
    const QByteArray progressive = encoded(picture, "jpeg", -1, true);
    const QByteArray png = encoded(picture, "png");
    const QByteArray bmp = encoded(picture, "bmp");
    const QByteArray tiff = tifffiles::writeTiff(picture, 1);
    const auto withChunk = [&](const char* type, const QByteArray& data) {
        return withChunkAfterHeader(png, pngChunk(type, data));
    };
    QByteArray badChecksum = withChunk("tEXt", "Comment\0made for a test");
    badChecksum[8 + 25 + 10] = 'X';
    std::vector<Case> cases = {
        {"whole.jpg", jpeg, Expect::Converted},
        // libjpeg has every block before it meets the junk, but bytes left over before the end
        // are also all that shows of flipped bits in the data: it cannot tell the two apart.
        {"junk-before-end.jpg", beforeEndMarker(jpeg, plainJunk(67)), Expect::Refused},
        {"junk-before-end-progressive.jpg", beforeEndMarker(progressive, plainJunk(67)),
         Expect::Refused},
        {"no-end-marker.jpg", jpeg.chopped(2), Expect::Converted},
        {"junk-with-markers.jpg", beforeEndMarker(jpeg, QByteArray::fromHex("00ffc4001f00ff")),
         Expect::Either},
        {"cut-in-data.jpg", jpeg.left(jpeg.size() * 2 / 3), Expect::Refused},
        {"whole.png", png, Expect::Converted},
        // Chunks that say nothing about the pixels: libpng drops them with a warning.
        {"invalid-gamma.png", withChunk("gAMA", QByteArray(3, '\1')), Expect::Converted},
        {"invalid-physical-size.png", withChunk("pHYs", QByteArray(8, '\1')), Expect::Converted},
        {"invalid-srgb.png", withChunk("sRGB", QByteArray(1, '\x09')), Expect::Converted},
        {"invalid-background.png", withChunk("bKGD", QByteArray(1, '\0')), Expect::Converted},
        {"invalid-chromaticity.png", withChunk("cHRM", QByteArray(3, '\0')), Expect::Converted},
        // Transparency is part of the pixels.
        {"invalid-transparency.png", withChunk("tRNS", QByteArray(1, '\0')), Expect::Refused},
        {"bad-checksum.png", badChecksum, Expect::Refused},
        {"cut-in-data.png", png.left(png.size() - 30), Expect::Refused},
        {"whole.tif", tiff, Expect::Converted},
        {"unsorted-tags.tif", tifffiles::writeTiff(picture, 1, {.unsortedPage = 0}),
         Expect::Converted},
        // rastix converts the first page, which is whole.
        {"unreadable-third-page.tif", tifffiles::writeTiff(picture, 3, {.unreadablePage = 2}),
         Expect::Converted},
        {"cut-in-data.tif", tiff.left(tiff.size() / 2), Expect::Refused},
        {"no-alpha-bits.tga", tgafiles::writeTga(picture, {2, 32}), Expect::Converted},
        {"cut-in-data.bmp", bmp.chopped(200), Expect::Refused},
    };
    // A build without Qt's TIFF reader (as on Windows) refuses every TIFF alike.
    if (!QImageReader::supportedImageFormats().contains("tiff"))
        std::erase_if(cases, [](const Case& c) { return c.name.ends_with(".tif"); });
    // Outputs are named after the picture without its extension: "jpg-whole.jpg".
    for (Case& c : cases)
        c.name = c.name.substr(c.name.rfind('.') + 1) + "-" + c.name;
    return cases;
}

// Pictures damaged at random (bytes flipped, files cut short), from a fixed seed.
std::vector<Case> randomCases() {
    const QImage picture = opaquePicture();
    const std::pair<const char*, QByteArray> bases[] = {
        {"jpg", encoded(picture, "jpeg")},
        {"jpg", encoded(picture, "jpeg", -1, true)},
        {"png", encoded(picture, "png")},
        {"tif", tifffiles::writeTiff(picture, 2)},
    };
    const bool tiff = QImageReader::supportedImageFormats().contains("tiff");
    std::mt19937 rng(20261209);
    std::vector<Case> cases;
    for (const auto& [format, bytes] : bases) {
        for (int i = 0; i < 40 && (tiff || format != std::string("tif")); ++i) {
            QByteArray d = bytes;
            if (i % 4 == 0) {
                d.truncate(1 + static_cast<qsizetype>(rng() % std::uint32_t(d.size() - 1)));
            } else {
                for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k)
                    d[rng() % std::uint32_t(d.size())] ^= char(1 + rng() % 255);
            }
            cases.push_back(
                {"random-" + std::to_string(cases.size()) + "." + format, d, Expect::Either});
        }
    }
    return cases;
}

const std::vector<std::pair<std::string, QStringList>>& routes() {
    const QString fullFrame = QString("0,0:%1x%2").arg(kWidth).arg(kHeight);
    static const std::vector<std::pair<std::string, QStringList>> all = {
        {"streamed rows", {"--binary"}},
        {"turned while encoding", {"--rotate", "90", "--binary"}},
        {"cut to the full frame", {"--cut", fullFrame, "--binary"}},
        {"dithered", {"--dither", "ordered", "--binary"}},
        {"colour map from streamed rows", {"--clut", "--binary"}},
        {"colour map of a cut", {"--clut", "--cut", fullFrame, "--binary"}},
        {"turned canvas", {"--rotate", "31", "--binary"}},
    };
    return all;
}

// Each picture's verdict under these options: "converted", or the reason it was refused.
std::map<std::string, std::string> verdicts(const QString& dir, const QStringList& options,
                                            const std::vector<Case>& cases) {
    const QString target = QString("out-%1").arg(qHash(options.join(' ')));
    if (!QDir(dir).mkpath(target))
        return {};
    QStringList args = options;
    args << "--overwrite"
         << "--target-dir" << target;
    std::map<std::string, std::string> verdict;
    for (const Case& c : cases) {
        args << QString::fromStdString(c.name);
        verdict[c.name] = "converted";
    }
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral(RASTIX_PROGRAM), args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    const QStringList lines = QString::fromUtf8(p.readAllStandardError())
                                  .split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const qsizetype end = line.indexOf(": ", 8);
        const std::string picture = line.mid(8, end - 8).toStdString();
        if (!line.startsWith("rastix: ") || end < 0 || !verdict.count(picture)) {
            verdict["stray line"] = line.toStdString();
            continue;
        }
        verdict[picture] = line.mid(end + 2).toStdString();
    }
    return verdict;
}

} // namespace

TEST(Verdicts, OneVerdictPerPictureWhateverTheRoute) {
    QTemporaryDir dir;
    // RASTIX_KEEP_VERDICTS=1 keeps the pictures, to try one by hand.
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("RASTIX_KEEP_VERDICTS"));
    ASSERT_TRUE(dir.isValid());
    std::vector<Case> cases = knownCases();
    for (Case& c : randomCases())
        cases.push_back(std::move(c));
    for (const Case& c : cases) {
        QFile f(dir.filePath(QString::fromStdString(c.name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(c.bytes) == c.bytes.size());
    }
    const auto& [firstRoute, firstOptions] = routes().front();
    const std::map<std::string, std::string> first = verdicts(dir.path(), firstOptions, cases);
    if (!dir.autoRemove())
        std::cout << "pictures kept in " << dir.path().toStdString() << "\n";
    ASSERT_FALSE(first.empty()) << "rastix hung";
    ASSERT_EQ(first.count("stray line"), 0u) << first.at("stray line");
    for (const Case& c : cases) {
        const std::string& verdict = first.at(c.name);
        if (c.expect == Expect::Converted) {
            EXPECT_EQ(verdict, "converted") << c.name;
        } else if (c.expect == Expect::Refused) {
            EXPECT_NE(verdict, "converted") << c.name;
        }
    }
    for (const auto& [route, options] : routes()) {
        if (route == firstRoute)
            continue;
        const std::map<std::string, std::string> other = verdicts(dir.path(), options, cases);
        for (const Case& c : cases)
            EXPECT_EQ(other.count(c.name) ? other.at(c.name) : "no verdict", first.at(c.name))
                << c.name << ": " << route << " against " << firstRoute;
        EXPECT_EQ(other.count("stray line"), 0u) << route << ": " << other.at("stray line");
    }
}
