// The benchmark's decoder, checked against pictures of known colours that the built converter
// turns into words: a decoder that read a field, a row or a palette wrongly would make every
// figure of the benchmark wrong without a sign.
#include "quality/consoledecoder.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

using quality::Colour;

namespace {

// A colour in the picture, and what the console shows for the word it should become: every
// value is exact in its model (RGB16 keeps 5 or 6 top bits; the CRY colours are ROM entries,
// at full or half intensity, or greys on the neutral byte $88 (247,255,230)), so the expected
// colour depends on no rounding choice of the converter.
struct Swatch {
    Colour source;
    Colour shown;
};

const std::vector<Swatch> kRgb16 = {
    {{255, 0, 0}, {248, 0, 0}},
    {{0, 0, 255}, {0, 0, 248}},
    {{200, 100, 40}, {200, 100, 40}},
    {{0, 255, 0}, {0, 252, 0}},
    {{255, 255, 255}, {248, 252, 248}},
    {{0, 0, 0}, {0, 0, 0}},
    {{8, 4, 8}, {8, 4, 8}},
};

const std::vector<Swatch> kCry16 = {
    {{255, 0, 0}, {254, 0, 0}},         {{0, 0, 255}, {0, 0, 254}},
    {{0, 255, 255}, {0, 254, 254}},     {{255, 255, 0}, {254, 254, 0}},
    {{102, 119, 255}, {101, 118, 254}}, {{255, 95, 102}, {254, 94, 101}},
    {{128, 0, 0}, {127, 0, 0}},         {{255, 255, 255}, {246, 254, 229}},
    {{128, 128, 128}, {123, 127, 115}}, {{0, 0, 0}, {0, 0, 0}},
};

struct Case {
    const char* name;
    QStringList options;
    quality::WordModel model;
    std::vector<Swatch> swatches;
    int width;
    int height;
    const char* file;
    int bits; // of the map; 16 for true colour
};

std::vector<Swatch> firstOf(const std::vector<Swatch>& all, std::size_t n) {
    return {all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n)};
}

// 37 pixels leave a part phrase at the end of every row in each depth, and make each depth's
// row a different length.
const std::vector<Case> kCases = {
    {"rgb16", {}, quality::WordModel::Rgb16, kRgb16, 37, 3, "swatches.rgb", 16},
    {"cry16", {"-cry"}, quality::WordModel::Cry16, kCry16, 37, 3, "swatches.cry", 16},
    {"rgb16 8-bit map", {"--clut"}, quality::WordModel::Rgb16, kRgb16, 37, 3, "swatches.map", 8},
    {"cry16 4-bit map",
     {"-cry", "--clut", "--opt-clut"},
     quality::WordModel::Cry16,
     kCry16,
     37,
     3,
     "swatches.map",
     4},
    {"rgb16 2-bit map",
     {"--clut", "--opt-clut"},
     quality::WordModel::Rgb16,
     firstOf(kRgb16, 3),
     37,
     3,
     "swatches.map",
     2},
    // A whole phrase a row needs no transparent entry: two colours take one bit.
    {"cry16 1-bit map",
     {"-cry", "--clut", "--opt-clut"},
     quality::WordModel::Cry16,
     {kCry16[4], kCry16[5]},
     64,
     2,
     "swatches.map",
     1},
};

// Which swatch a pixel shows: neighbours differ across and down.
std::size_t swatchAt(int x, int y, std::size_t count) {
    return static_cast<std::size_t>(x * 7 + y * 3) % count;
}

QByteArray ppm(const Case& c) {
    QByteArray data =
        "P6\n" + QByteArray::number(c.width) + " " + QByteArray::number(c.height) + "\n255\n";
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const Colour& s = c.swatches[swatchAt(x, y, c.swatches.size())].source;
            data.append(static_cast<char>(s.red));
            data.append(static_cast<char>(s.green));
            data.append(static_cast<char>(s.blue));
        }
    return data;
}

// Failures name the case, not its bytes.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class ConsoleDecoder : public testing::TestWithParam<Case> {};

TEST_P(ConsoleDecoder, showsTheColoursOfWhatTheConverterWrote) {
    const Case& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile picture(dir.filePath("swatches.ppm"));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write(ppm(c));
    picture.close();
    QProcess rastix;
    rastix.start(RASTIX_PROGRAM, QStringList{"--binary"} + c.options +
                                     QStringList{"--target-dir", dir.path(), picture.fileName()});
    ASSERT_TRUE(rastix.waitForFinished(30000));
    ASSERT_EQ(rastix.exitCode(), 0) << rastix.readAllStandardError().toStdString();

    const std::string written = dir.filePath(c.file).toStdString();
    if (c.bits != 16) {
        EXPECT_EQ(quality::mapBitsFor(quality::readFile(written).size(), c.width, c.height),
                  c.bits);
    }
    const quality::Words words = quality::readConversion(written, c.width, c.height);
    const std::vector<Colour> shown =
        quality::shown(words, c.model, quality::readCryTable(CRY_TABLE));
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(c.width * c.height));
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const Colour& want = c.swatches[swatchAt(x, y, c.swatches.size())].shown;
            const Colour& got = shown[static_cast<std::size_t>(y * c.width + x)];
            ASSERT_EQ(got, want) << "pixel " << x << "," << y << " shows " << got.red << ","
                                 << got.green << "," << got.blue << ", not " << want.red << ","
                                 << want.green << "," << want.blue;
        }
}

INSTANTIATE_TEST_SUITE_P(Pictures, ConsoleDecoder, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param) {
                             std::string name = param.param.name;
                             for (char& ch : name)
                                 if (ch == ' ' || ch == '-')
                                     ch = '_';
                             return name;
                         });

// Files that do not fit the picture are refused, not read past or short.
TEST(ConsoleDecoderRefuses, filesOfTheWrongSize) {
    EXPECT_THROW(quality::readTrueColour(quality::Bytes(10), 5, 1), std::runtime_error);
    EXPECT_THROW(quality::readMap(quality::Bytes(8), quality::Bytes(4), 5, 2, 8),
                 std::runtime_error);
    // Five pixels take one phrase a row in every depth: the depth cannot be told.
    EXPECT_THROW(quality::mapBitsFor(16, 5, 2), std::runtime_error);
}

TEST(ConsoleDecoderRefuses, indicesPastThePalette) {
    quality::Bytes map(8, 0);
    map[0] = 0x40; // 2 bits: the first pixel takes entry 1 of a one-entry palette
    EXPECT_THROW(quality::readMap(map, quality::Bytes(2), 4, 1, 2), std::runtime_error);
}

void writeBytes(const QString& path, const quality::Bytes& bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Maps that share one palette have none beside them: the one named is read, not NAME.clut.
TEST(ConsoleDecoderPalette, namedForTheMapIsTheOneRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    quality::Bytes map(8, 0);
    map[0] = 0x80; // 64 pixels of 1 bit, one phrase: the first takes entry 1
    writeBytes(dir.filePath("pic.map"), map);
    writeBytes(dir.filePath("pic.clut"), {0x00, 0x00, 0xF8, 0x00});
    writeBytes(dir.filePath("set.clut"), {0x00, 0x00, 0x00, 0x3F});
    const std::string mapPath = dir.filePath("pic.map").toStdString();
    EXPECT_EQ(quality::readConversion(mapPath, 64, 1).pixels[0], 0xF800);
    EXPECT_EQ(
        quality::readConversion(mapPath, 64, 1, dir.filePath("set.clut").toStdString()).pixels[0],
        0x003F);
}

} // namespace
