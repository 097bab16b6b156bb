// Runs with --shared-clut and --banks sets: what is written, and what a failing picture or an
// existing palette does to the rest of its set.
#include "codec/pixelcodec.h"
#include "folderfiles.h"
#include "palette/palettefile.h"
#include "runharness.h"
#include "testpictures.h"

#include <gtest/gtest.h>

using namespace rastix;
using namespace rastix::testing;

namespace {

FakePictures sprites() {
    FakePictures p;
    Image a(8, 2, kRed);
    a.at(1, 0) = kClear;
    a.at(2, 1) = kBlue;
    Image b(16, 1, 0xFF00FF00);
    b.at(0, 0) = kBlue;
    p.images["a.png"] = a;
    p.images["b.png"] = b;
    p.images["c.png"] = Image(4, 4, 0xFFFFFFFF);
    return p;
}

// The palette word each pixel of a binary map shows through a CLUT of big-endian words.
std::vector<unsigned> shownWords(const QByteArray& map, const QByteArray& clut, int width,
                                 int height, int bits, int firstEntry = 0) {
    const int rowBytes = (width * bits + 63) / 64 * 8;
    std::vector<unsigned> words;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int bit = x * bits;
            const auto byte = static_cast<unsigned char>(map[y * rowBytes + bit / 8]);
            const int index = firstEntry + ((byte >> (8 - bits - bit % 8)) & ((1 << bits) - 1));
            words.push_back(static_cast<unsigned>(static_cast<unsigned char>(clut[2 * index]))
                                << 8 |
                            static_cast<unsigned char>(clut[2 * index + 1]));
        }
    return words;
}

std::vector<unsigned> wordsOf(const Image& img, bool transparentToo) {
    const PixelEncoder encode(Settings{}, transparentToo);
    std::vector<unsigned> words;
    for (int y = 0; y < img.view().height; ++y)
        for (int x = 0; x < img.view().width; ++x)
            words.push_back(encode(img.view().row(y)[x]));
    return words;
}

} // namespace

TEST(PaletteSets, ASharedClutIsWrittenOnceAndEveryMapShowsItsColoursThroughIt) {
    QTemporaryDir dir;
    const std::string target = dir.path().toStdString();
    AtomicFileWriter writer;
    const FakePictures pictures = sprites();
    const RunResult r = run({"--target-dir", target, "--binary", "--clut", "--opt-clut",
                             "--shared-clut", "set", "a.png", "b.png"},
                            pictures, writer);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(entries(dir), (QStringList{"a.map", "b.map", "set.clut"}));
    const QByteArray clut = readAll(dir.filePath("set.clut"));
    EXPECT_EQ(clut.size(), 2 * 4); // transparent, red, blue, green: 2 bits for both maps
    EXPECT_EQ(shownWords(readAll(dir.filePath("a.map")), clut, 8, 2, 2),
              wordsOf(pictures.images.at("a.png"), true));
    EXPECT_EQ(shownWords(readAll(dir.filePath("b.map")), clut, 16, 1, 2),
              wordsOf(pictures.images.at("b.png"), false));
    EXPECT_EQ(r.out.find("wrote " + target + "/set.clut (shared CLUT of 2 pictures"), 0u) << r.out;
}

TEST(PaletteSets, APictureThatCannotBeReadLeavesTheRestTheirPalette) {
    QTemporaryDir dir;
    AtomicFileWriter writer;
    const RunResult r = run({"--target-dir", dir.path().toStdString(), "--binary", "--clut",
                             "--shared-clut", "set", "missing.png", "c.png"},
                            sprites(), writer);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.png: cannot read picture"), std::string::npos) << r.err;
    EXPECT_EQ(entries(dir), (QStringList{"c.map", "set.clut"}));
    // White alone, after the transparent entry its padded rows need.
    EXPECT_EQ(readAll(dir.filePath("set.clut")), QByteArray("\0\0\xFF\xFF", 4));
}

TEST(PaletteSets, AnExistingSetPaletteKeepsTheWholeSetUnwritten) {
    QTemporaryDir dir;
    QFile old(dir.filePath("set.clut"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    AtomicFileWriter writer;
    const RunResult r = run({"--target-dir", dir.path().toStdString(), "--binary", "--clut",
                             "--shared-clut", "set", "a.png", "b.png", "--no-shared-clut", "c.png"},
                            sprites(), writer);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(entries(dir), (QStringList{"c.clut", "c.map", "set.clut"}));
    EXPECT_EQ(readAll(dir.filePath("set.clut")), QByteArray("old"));
    EXPECT_NE(r.err.find("a.png skipped"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("b.png skipped"), std::string::npos) << r.err;
}

TEST(PaletteSets, BanksGoToOneClutAndEachMapSaysItsIndexField) {
    QTemporaryDir dir;
    AtomicFileWriter writer;
    const FakePictures pictures = sprites();
    const RunResult r = run(
        {"--target-dir", dir.path().toStdString(), "--clut", "--banks", "pal", "a.png", "c.png"},
        pictures, writer);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(entries(dir), (QStringList{"a.s", "c.s", "pal.s"}));
    const QByteArray a = readAll(dir.filePath("a.s"));
    EXPECT_TRUE(a.contains("a_index = 0\t")) << a.constData();
    EXPECT_FALSE(a.contains("a_clut"));
    // The map sits beside its palette, so it names the file alone, whatever folder it went to.
    EXPECT_TRUE(a.contains("a bank of the CLUT pal (pal.s)\n")) << a.constData();
    // a: red, blue and transparent, 2 bits at entries 0-3; c: white and its padding, 1 bit, in
    // the next free bank of two, entries 4-5.
    EXPECT_TRUE(readAll(dir.filePath("c.s")).contains("c_index = 2\t"));
    const QByteArray pal = readAll(dir.filePath("pal.s"));
    EXPECT_TRUE(pal.contains("pal_colours = 256"));
    EXPECT_EQ(pal.count("$"), 256);
}

TEST(PaletteSets, CopiesForPaintProgramsAndAClutReadBackAreThePalettesWritten) {
    QTemporaryDir dir;
    const std::string target = dir.path().toStdString();
    AtomicFileWriter writer;
    const RunResult r =
        run({"--target-dir", target, "--binary", "--clut", "--palette-out", "gpl", "a.png",
             "--shared-clut", "set", "--palette-out", "act", "b.png", "c.png"},
            sprites(), writer);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(entries(dir),
              (QStringList{"a.clut", "a.gpl", "a.map", "b.map", "c.map", "set.act", "set.clut"}));
    for (const QString& name : {QStringLiteral("a"), QStringLiteral("set")}) {
        const QByteArray clut = readAll(dir.filePath(name + ".clut"));
        PaletteFileContents copy;
        std::string error;
        const QString copyName = name == "a" ? name + ".gpl" : name + ".act";
        ASSERT_TRUE(readPaletteFile(dir.filePath(copyName).toStdString(), copy, error)) << error;
        ASSERT_EQ(copy.colours.size() * 2, static_cast<std::size_t>(clut.size()));
        for (std::size_t i = 0; i < copy.colours.size(); ++i) {
            const auto word = static_cast<std::uint16_t>(
                static_cast<unsigned char>(clut[static_cast<int>(2 * i)]) << 8 |
                static_cast<unsigned char>(clut[static_cast<int>(2 * i + 1)]));
            const Rgb shown = decodeRgb16(word, false);
            EXPECT_EQ(copy.colours[i], (RgbColour{static_cast<std::uint8_t>(shown.red),
                                                  static_cast<std::uint8_t>(shown.green),
                                                  static_cast<std::uint8_t>(shown.blue)}));
        }
    }
    // The set's .clut given back as a palette is written again unchanged.
    QTemporaryDir again;
    const RunResult r2 = run({"--target-dir", again.path().toStdString(), "--binary", "--clut",
                              "--palette", target + "/set.clut", "c.png"},
                             sprites(), writer);
    ASSERT_EQ(r2.status, 0) << r2.err;
    EXPECT_EQ(readAll(again.filePath("c.clut")), readAll(dir.filePath("set.clut")));
}

TEST(PaletteSets, PicturesDecodedAgainGiveTheBytesOfPicturesKeptBetweenThePhases) {
    // A budget whose quarter cannot hold a picture with its census keeps none.
    constexpr std::uint64_t kTooSmallToKeep = 4u << 20;
    QByteArray written[2];
    for (const std::uint64_t memory : {availableMemoryBytes(), kTooSmallToKeep}) {
        QTemporaryDir dir;
        AtomicFileWriter writer;
        const RunResult r =
            run({"--target-dir", dir.path().toStdString(), "--binary", "--clut", "--dither",
                 "ordered", "--colours", "3", "--shared-clut", "set", "a.png", "b.png"},
                sprites(), writer, memory);
        ASSERT_EQ(r.status, 0) << r.err;
        written[memory == kTooSmallToKeep] = readAll(dir.filePath("a.map")) +
                                             readAll(dir.filePath("b.map")) +
                                             readAll(dir.filePath("set.clut"));
    }
    EXPECT_FALSE(written[0].isEmpty());
    EXPECT_EQ(written[0], written[1]);
}
