// Hundreds of damaged pictures (cut short, bytes flipped, absurd sizes in their headers) of every
// format rastix is often given, made from the samples with a fixed seed, run through the built
// converter with several option sets. Each picture must end in one line, converted or refused,
// and the run must end with status 0 or 1: no crash, no hang, no sanitizer report, no stray
// decoder message.
#include "pictureedits.h"
#include "tgafiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using pictureedits::crc32;
using pictureedits::encoded;

struct Base {
    std::string format; // also the file name extension
    QByteArray bytes;
};

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage drawnPicture() {
    QImage image(53, 37, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 4, y * 6, (x * y) & 255, x % 9 == 0 ? 0 : 255));
    return image;
}

std::vector<Base> basePictures() {
    const QString samples = QStringLiteral(RASTIX_SAMPLES);
    const QImage drawn = drawnPicture();
    const QImage opaque = drawn.convertToFormat(QImage::Format_RGB32);
    const QImage indexed = opaque.convertToFormat(QImage::Format_Indexed8);
    const QImage grey = opaque.convertToFormat(QImage::Format_Grayscale8);
    return {
        {"bmp", readFile(samples + "/sunset.bmp")},
        {"bmp", encoded(opaque, "bmp")},
        {"bmp", encoded(indexed, "bmp")},
        {"gif", readFile(samples + "/ship.gif")},
        {"jpg", readFile(samples + "/orbs.jpg")},
        {"jpg", encoded(opaque, "jpeg")},
        {"jpg", encoded(opaque, "jpeg", -1, true)},
        {"png", encoded(drawn, "png")},
        {"png", encoded(indexed, "png")},
        {"png", encoded(grey, "png")},
        {"tif", encoded(drawn, "tiff")},
        {"tif", encoded(opaque, "tiff", 1)},
        {"tga", tgafiles::writeTga(drawn, {2, 24})},
        {"tga", tgafiles::writeTga(drawn, {10, 32, 0, 0, 0x20, 8})},
        {"tga", tgafiles::writeTga(opaque, {9, 8, 24, 0, 0, 0, 0, true})},
    };
}

void putLittle(QByteArray& d, qsizetype at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes && at + i < d.size(); ++i)
        d[at + i] = char(v >> (8 * i));
}
void putBig(QByteArray& d, qsizetype at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes && at + i < d.size(); ++i)
        d[at + i] = char(v >> (8 * (bytes - 1 - i)));
}

// Where the width and height lie in the header of each format: offset, byte count, byte order.
struct SizeFields {
    qsizetype width = -1;
    qsizetype height = -1;
    int bytes = 2;
    bool bigEndian = false;
};

SizeFields sizeFields(const std::string& format, const QByteArray& d) {
    if (format == "bmp")
        return {18, 22, 4, false};
    if (format == "gif")
        return {6, 8, 2, false};
    if (format == "png")
        return {16, 20, 4, true};
    if (format == "tga")
        return {12, 14, 2, false};
    if (format == "jpg") {
        for (qsizetype i = 2; i + 9 < d.size(); ++i)
            if (uchar(d[i]) == 0xFF && (uchar(d[i + 1]) & 0xF0) == 0xC0 &&
                uchar(d[i + 1]) != 0xC4 && uchar(d[i + 1]) != 0xC8 && uchar(d[i + 1]) != 0xCC)
                return {i + 7, i + 5, 2, true};
        return {};
    }
    // TIFF, as Qt writes it: little-endian, first directory's ImageWidth and ImageLength.
    SizeFields f{-1, -1, 4, false};
    if (d.size() < 8 || d[0] != 'I')
        return f;
    const auto at = [&](qsizetype i, int n) {
        std::uint32_t v = 0;
        for (int k = n - 1; k >= 0; --k)
            v = v << 8 | uchar(i + k < d.size() ? d[i + k] : 0);
        return v;
    };
    const qsizetype ifd = at(4, 4);
    for (std::uint32_t e = 0; e < at(ifd, 2) && ifd + 14 + 12 * e <= d.size(); ++e) {
        const qsizetype entry = ifd + 2 + 12 * e;
        const std::uint32_t tag = at(entry, 2);
        if (tag == 256) {
            f.width = entry + 8;
            f.bytes = at(entry + 2, 2) == 3 ? 2 : 4; // SHORT or LONG, as is ImageLength
        } else if (tag == 257) {
            f.height = entry + 8;
        }
    }
    return f;
}

QByteArray cutShort(const QByteArray& d, std::mt19937& rng) {
    return d.left(1 + static_cast<qsizetype>(rng() % std::uint32_t(d.size() - 1)));
}

QByteArray flipBytes(QByteArray d, std::mt19937& rng) {
    const int count = 1 + static_cast<int>(rng() % 8);
    const bool inHeader = rng() % 2 == 0; // where most readers trust what they find
    for (int i = 0; i < count; ++i) {
        const std::uint32_t span = inHeader ? std::min<std::uint32_t>(64, d.size()) : d.size();
        d[rng() % span] ^= char(1 + rng() % 255);
    }
    return d;
}

QByteArray absurdSize(const std::string& format, QByteArray d, std::mt19937& rng) {
    const SizeFields f = sizeFields(format, d);
    const std::uint32_t most = f.bytes == 2 ? 0xFFFFu : 0x7FFFFFFFu;
    const std::uint32_t values[] = {0, most, 65304, 30000, 1};
    const std::uint32_t w = values[rng() % 5];
    const std::uint32_t h = values[rng() % 4]; // never both 1: that is no damage
    const auto put = f.bigEndian ? putBig : putLittle;
    if (f.width >= 0)
        put(d, f.width, w, f.bytes);
    if (f.height >= 0)
        put(d, f.height, h, f.bytes);
    if (format == "png" && d.size() >= 33) // a valid checksum, so the size itself is judged
        putBig(d, 29, crc32(d.constData() + 12, 17), 4);
    return d;
}

struct Damaged {
    QString file;
    std::string format;
    std::string kind;
};

// At least this many damaged pictures in all, shared out evenly among the formats this Qt can
// write samples of (a Windows build may have no TIFF writer).
constexpr std::size_t kPictures = 324;

std::vector<Damaged> makeCorpus(const QString& dir) {
    std::vector<Base> bases = basePictures();
    std::map<std::string, std::vector<const Base*>> byFormat;
    for (const Base& b : bases)
        if (!b.bytes.isEmpty())
            byFormat[b.format].push_back(&b);
    std::mt19937 rng(20261208);
    std::vector<Damaged> corpus;
    const int perFormat = static_cast<int>((kPictures + byFormat.size() - 1) / byFormat.size());
    for (const auto& [format, list] : byFormat) {
        for (int i = 0; i < perFormat; ++i) {
            const QByteArray& source = list[static_cast<std::size_t>(i) % list.size()]->bytes;
            static const char* const kKinds[] = {"cut", "flip", "size"};
            const std::string kind = kKinds[i % 3];
            const QByteArray bytes = kind == "cut"    ? cutShort(source, rng)
                                     : kind == "flip" ? flipBytes(source, rng)
                                                      : absurdSize(format, source, rng);
            const QString name = QString::fromStdString(format + "-" + std::to_string(i) + "-" +
                                                        kind + "." + format);
            QFile f(dir + "/" + name);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                return {};
            corpus.push_back({name, format, kind});
        }
    }
    return corpus;
}

struct RunOutcome {
    bool finished = false;
    int status = -1;
    QStringList out;
    QStringList err;
};

RunOutcome runRastix(const QStringList& args, const QString& dir) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral(RASTIX_PROGRAM), args);
    RunOutcome r;
    // A watchdog for hangs, not a speed limit: the corpus takes seconds in a plain build.
    if (!p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.finished = true;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(p.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    return r;
}

} // namespace

TEST(DamagedPictures, EachEndsInOneLineAndTheRunInStatusZeroOrOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // RASTIX_KEEP_CORPUS=FOLDER keeps a copy of the pictures there, to try one by hand.
    if (const QString keep = qEnvironmentVariable("RASTIX_KEEP_CORPUS"); !keep.isEmpty())
        makeCorpus(keep);
    const std::vector<Damaged> corpus = makeCorpus(dir.path());
    ASSERT_GE(corpus.size(), kPictures);
    std::map<QString, std::size_t> byName; // picture as named on the command line
    std::map<QString, std::size_t> byStem; // output file name without its extension
    for (std::size_t i = 0; i < corpus.size(); ++i) {
        byName[corpus[i].file] = i;
        byStem[QFileInfo(corpus[i].file).completeBaseName()] = i;
    }
    const std::vector<std::pair<const char*, QStringList>> optionSets = {
        {"true colour", {"--binary"}},
        {"colour map", {"--clut", "--opt-clut"}},
        {"CRY", {"-cry", "--binary"}},
        {"turned by 31 degrees", {"--rotate", "31"}},
        {"cut", {"--cut", "2,3:17x11", "-cry", "--clut"}},
    };
    std::map<std::string, int> converted;
    std::map<std::string, int> refused;
    for (const auto& [name, options] : optionSets) {
        SCOPED_TRACE(name);
        const QString target = QString("out-") + QString(name).replace(' ', '-');
        ASSERT_TRUE(QDir(dir.path()).mkdir(target));
        QStringList args = options;
        args << "--overwrite"
             << "--target-dir" << target;
        for (const Damaged& d : corpus)
            args << d.file;
        const RunOutcome run = runRastix(args, dir.path());
        ASSERT_TRUE(run.finished) << "rastix did not finish: a hang";
        ASSERT_TRUE(run.status == 0 || run.status == 1) << "status " << run.status << "\n"
                                                        << run.err.join('\n').toStdString();

        std::vector<int> errors(corpus.size(), 0);
        std::vector<int> written(corpus.size(), 0);
        for (const QString& line : run.err) {
            // "rastix: PICTURE: why"; anything else (a decoder or sanitizer talking) is a fault.
            const qsizetype end = line.indexOf(": ", 8);
            const QString picture =
                line.startsWith("rastix: ") && end > 0 ? line.mid(8, end - 8) : QString();
            ASSERT_TRUE(byName.count(picture)) << "stray line: " << line.toStdString();
            if (!line.mid(end + 2).startsWith("warning: "))
                ++errors[byName[picture]];
        }
        for (const QString& line : run.out) {
            const QString path = line.section(' ', 1, 1);
            const QString stem = QFileInfo(path).completeBaseName();
            ASSERT_TRUE(line.startsWith("wrote ") && byStem.count(stem))
                << "stray line: " << line.toStdString();
            ++written[byStem[stem]];
        }
        bool anyRefused = false;
        for (std::size_t i = 0; i < corpus.size(); ++i) {
            const std::string picture = corpus[i].file.toStdString();
            EXPECT_LE(errors[i], 1) << picture;
            EXPECT_TRUE(errors[i] == 1 ? written[i] == 0 : written[i] > 0) << picture;
            anyRefused = anyRefused || errors[i] > 0;
            ++(errors[i] ? refused : converted)[corpus[i].format + " " + corpus[i].kind];
        }
        EXPECT_EQ(run.status, anyRefused ? 1 : 0);
    }
    // The figures, for whoever reads the log.
    std::map<std::string, int> groups = converted;
    groups.insert(refused.begin(), refused.end());
    for (const auto& group : groups)
        std::cout << group.first << ": " << refused[group.first] << " refused, "
                  << converted[group.first] << " converted (over all option sets)\n";
}
