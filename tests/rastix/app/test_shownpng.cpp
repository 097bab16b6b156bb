// NAME.shown.png against the binary files written beside it, read by the benchmark's decoder,
// which shares no code with the converter: a shown picture that took its colours from anywhere
// but the words written (the source, a palette at the wrong bank, a frame from the wrong place)
// differs from it somewhere.
#include "folderfiles.h"
#include "quality/consoledecoder.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <vector>

using quality::Colour;

namespace quality {
// Found by the test's messages through the colour's own namespace.
std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << c.red << "," << c.green << "," << c.blue;
}
} // namespace quality

namespace {

const Colour kBackdrop{128, 128, 128};

// Few enough colours for every map to hold them all, so that a map is off its source by no
// more than its model.
const std::vector<Colour> kSwatches = {{255, 0, 0},     {0, 0, 255},     {200, 100, 40},
                                       {0, 255, 0},     {255, 255, 255}, {0, 0, 0},
                                       {102, 119, 255}, {128, 128, 128}};

struct Case {
    const char* name;
    QStringList options;
    quality::WordModel model;
    const char* file; // the data file; a map's palette is NAME.clut beside it
    int tolerance;    // the most a channel of an opaque pixel is off its source
    bool transparent;
    int frames; // 0: one picture; else a sheet of 2 columns, its last frame a copy of the first
};

// RGB16 drops the low 3 bits (2 of green) of each channel; the CRY table holds no grey and
// no white, the nearest being up to 26 off.
const std::vector<Case> kCases = {
    {"rgb16", {}, quality::WordModel::Rgb16, "pic.rgb", 7, true, 0},
    {"cry16 streamed", {"-cry"}, quality::WordModel::Cry16, "pic.cry", 28, false, 0},
    {"rgb16 8-bit map", {"--clut"}, quality::WordModel::Rgb16, "pic.map", 7, false, 0},
    {"cry16 4-bit map in bank 5",
     {"-cry", "--clut", "--opt-clut", "--bank", "5"},
     quality::WordModel::Cry16,
     "pic.map",
     28,
     true,
     0},
    {"rgb16 sheet", {"--frames", "9x3"}, quality::WordModel::Rgb16, "pic.rgb", 7, true, 4},
    {"cry16 8-bit map sheet",
     {"-cry", "--clut", "--frames", "9x3"},
     quality::WordModel::Cry16,
     "pic.map",
     28,
     false,
     4},
};

constexpr int kFrameWidth = 9;
constexpr int kFrameHeight = 3;
constexpr int kWidth = 37; // a part phrase at the end of every row in every depth

// The source pixel at x, y; nullopt where it is transparent.
std::optional<Colour> sourceAt(const Case& c, int x, int y) {
    int pattern = x * 7 + y * 3;
    if (c.frames > 0) { // frame k has a pattern of its own, the last one the first's
        int k = (y / kFrameHeight) * 2 + x / kFrameWidth;
        if (k == c.frames - 1)
            k = 0;
        pattern = (x % kFrameWidth) * 7 + (y % kFrameHeight) * 3 + k * 5;
    }
    if (c.transparent && pattern % 5 == 0)
        return std::nullopt;
    return kSwatches[static_cast<std::size_t>(pattern) % kSwatches.size()];
}

QImage sourcePicture(const Case& c) {
    // A sheet is 2 frames across.
    const int width = c.frames > 0 ? 2 * kFrameWidth : kWidth;
    const int height = c.frames > 0 ? (c.frames + 1) / 2 * kFrameHeight : 3;
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::optional<Colour> s = sourceAt(c, x, y);
            image.setPixel(x, y, s ? qRgb(s->red, s->green, s->blue) : qRgba(0, 0, 0, 0));
        }
    return image;
}

quality::Bytes bytesOf(const QByteArray& a) {
    return {a.begin(), a.end()};
}

// What the console shows for one frame of the data file, by the decoder's reading of the words
// and the object's TRANS.
std::vector<Colour> shownFrame(const Case& c, const quality::Bytes& frame,
                               const quality::Bytes& clut, const QJsonObject& meta) {
    const int width = meta["width"].toInt();
    const int height = meta["height"].toInt();
    const int bits = meta["bits_per_pixel"].toInt();
    const bool trans = meta["trans"].toBool();
    const quality::CryTable table = quality::readCryTable(CRY_TABLE);
    std::vector<std::uint16_t> values;
    if (bits == 16) {
        values = quality::readTrueColour(frame, width, height).pixels;
    } else { // the indices themselves, through a palette that holds each index as its word
        quality::Bytes identity;
        for (int i = 0; i < (1 << bits); ++i)
            identity.insert(identity.end(), {0, static_cast<std::uint8_t>(i)});
        values = quality::readMap(frame, identity, width, height, bits).pixels;
    }
    std::vector<Colour> shown;
    for (const std::uint16_t v : values) {
        if (trans && v == 0) {
            shown.push_back(kBackdrop);
            continue;
        }
        const std::uint16_t word =
            bits == 16 ? v : static_cast<std::uint16_t>(clut.at(2 * v) << 8 | clut.at(2 * v + 1));
        shown.push_back(c.model == quality::WordModel::Rgb16 ? quality::shownRgb16(word)
                                                             : quality::shownCry16(word, table));
    }
    return shown;
}

Colour colourAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return {qRed(p), qGreen(p), qBlue(p)};
}

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class ShownPng : public testing::TestWithParam<Case> {};

TEST_P(ShownPng, showsTheWordsWrittenAsTheConsoleDoes) {
    const Case& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage source = sourcePicture(c);
    ASSERT_TRUE(source.save(dir.filePath("pic.png")));
    QProcess rastix;
    rastix.start(RASTIX_PROGRAM,
                 QStringList{"--binary", "--metadata", "--show-png"} + c.options +
                     QStringList{"--target-dir", dir.path(), dir.filePath("pic.png")});
    ASSERT_TRUE(rastix.waitForFinished(30000));
    ASSERT_EQ(rastix.exitCode(), 0) << rastix.readAllStandardError().toStdString();

    const QJsonObject meta = QJsonDocument::fromJson(readAll(dir.filePath("pic.json"))).object();
    const quality::Bytes data = bytesOf(readAll(dir.filePath(c.file)));
    const quality::Bytes clut = bytesOf(readAll(dir.filePath("pic.clut")));
    const int width = meta["width"].toInt();
    const int height = meta["height"].toInt();
    std::vector<long long> offsets{0};
    if (c.frames > 0) {
        offsets.clear();
        for (const QJsonValue& v : meta["frame_offsets"].toArray())
            offsets.push_back(v.toInteger());
        // What the case is about: the repeated frame is stored once.
        ASSERT_EQ(offsets.size(), static_cast<std::size_t>(c.frames));
        ASSERT_EQ(offsets.back(), offsets.front());
        ASSERT_EQ(data.size(), static_cast<std::size_t>(meta["frame_bytes"].toInt()) *
                                   static_cast<std::size_t>(c.frames - 1));
    }
    const std::size_t frameBytes = data.size() / (c.frames > 0 ? c.frames - 1 : 1);
    const int columns = c.frames > 0 ? 2 : 1;
    const QImage shown(dir.filePath("pic.shown.png"));
    ASSERT_EQ(shown.width(), width * columns);
    const int rows = (static_cast<int>(offsets.size()) + columns - 1) / columns;
    ASSERT_EQ(shown.height(), height * rows);
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        const auto first = data.begin() + offsets[k];
        const std::vector<Colour> want =
            shownFrame(c, quality::Bytes(first, first + static_cast<long>(frameBytes)), clut, meta);
        const int left = static_cast<int>(k) % columns * width;
        const int top = static_cast<int>(k) / columns * height;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Colour got = colourAt(shown, left + x, top + y);
                ASSERT_EQ(got, want[static_cast<std::size_t>(y * width + x)])
                    << "frame " << k << " pixel " << x << "," << y;
                const std::optional<Colour> s = sourceAt(c, left + x, top + y);
                if (!s)
                    continue;
                const int off =
                    std::max({std::abs(got.red - s->red), std::abs(got.green - s->green),
                              std::abs(got.blue - s->blue)});
                ASSERT_LE(off, c.tolerance)
                    << "pixel " << left + x << "," << top + y << " shows " << got << " for " << *s;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, ShownPng, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param) {
                             std::string name = param.param.name;
                             for (char& ch : name)
                                 if (ch == ' ' || ch == '-')
                                     ch = '_';
                             return name;
                         });

QString runRastix(const QStringList& args, int& status) {
    QProcess rastix;
    rastix.start(RASTIX_PROGRAM, args);
    status = rastix.waitForFinished(30000) ? rastix.exitCode() : -1;
    return QString::fromUtf8(rastix.readAllStandardOutput() + rastix.readAllStandardError());
}

// Written, listed and kept like the other outputs.
TEST(ShownPngFile, isAnOutputLikeTheOthers) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(sourcePicture(kCases.front()).save(dir.filePath("pic.png")));
    const QString shown = dir.filePath("pic.shown.png");
    const QStringList args = {
        "--binary", "--show-png",           "--depfile", dir.filePath("pic.d"), "--target-dir",
        dir.path(), dir.filePath("pic.png")};
    int status = -1;
    EXPECT_TRUE(runRastix(args, status).contains("wrote " + shown + " ("));
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(QString::fromUtf8(readAll(dir.filePath("pic.d"))).contains(shown));
    // Without --overwrite the shown picture is not replaced, and holds the picture back.
    ASSERT_TRUE(QFile::remove(dir.filePath("pic.rgb")));
    EXPECT_TRUE(runRastix(args, status).contains(shown + ": exists already"));
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("pic.rgb")));
}

} // namespace
