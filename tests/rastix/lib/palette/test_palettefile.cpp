// Palette files: the formats as other programs write them (GIMP's own palettes, ImageMagick's
// indexed PNG and GIF), files made to the formats' documented layouts and damaged ones, ours
// read back by Pillow where it reads the format, and the limits of reading from disk.
#include "files/utf8path.h"
#include "palette/palettefile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace rastix;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Distinct colours, none of them grey.
std::vector<RgbColour> ramp(std::size_t n) {
    std::vector<RgbColour> colours;
    for (std::size_t i = 0; i < n; ++i)
        colours.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7 + 1)});
    return colours;
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes triples(const std::vector<RgbColour>& colours) {
    Bytes b;
    for (const RgbColour& c : colours)
        b.insert(b.end(), {c.red, c.green, c.blue});
    return b;
}

void put32(Bytes& b, std::uint32_t v) {
    b.insert(b.end(),
             {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}

// CRCs are left zero: the reader does not check them.
void chunk(Bytes& png, const char* type, const Bytes& data, std::uint32_t length) {
    put32(png, length);
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put32(png, 0);
}

// A 4x1 PNG with a PLTE of the first entries of ramp() when entries is given.
Bytes png(std::uint8_t colourType, std::uint8_t depth, std::optional<std::size_t> entries) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    chunk(b, "IHDR", {0, 0, 0, 4, 0, 0, 0, 1, depth, colourType, 0, 0, 0}, 13);
    if (entries)
        chunk(b, "PLTE", triples(ramp(*entries)), std::uint32_t(3 * *entries));
    chunk(b, "IDAT", {}, 0);
    chunk(b, "IEND", {}, 0);
    return b;
}

// A 1x1 GIF89a: screen flags (0x80 | n: a global table of 2^(n+1) entries of ramp()), then rest.
Bytes gif(std::uint8_t flags, const Bytes& rest) {
    Bytes b = text("GIF89a");
    b.insert(b.end(), {1, 0, 1, 0, flags, 0, 0});
    if (flags & 0x80) {
        const Bytes table = triples(ramp(std::size_t{2} << (flags & 7)));
        b.insert(b.end(), table.begin(), table.end());
    }
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

// Before the first image: a graphic control extension and a comment of two sub-blocks.
const Bytes kExtensions = {0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x21, 0xFE, 2, 'h', 'i', 1, '!', 0};

Bytes act(std::size_t colours, std::optional<std::uint16_t> count) {
    Bytes b = triples(ramp(colours));
    b.resize(768);
    if (count)
        b.insert(b.end(), {std::uint8_t(*count >> 8), std::uint8_t(*count), 0xFF, 0xFF});
    return b;
}

Bytes withBytes(Bytes b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
    return b;
}

Bytes startingWith(const std::string& start, Bytes b) {
    std::copy(start.begin(), start.end(), b.begin());
    return b;
}

Bytes cut(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(utf8Path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = file.readAll();
    return Bytes(all.begin(), all.end());
}

bool run(const QString& program, const QStringList& args, QByteArray* output = nullptr) {
    QProcess p;
    p.start(program, args);
    const bool ok =
        p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = p.readAllStandardOutput();
    return ok;
}

} // namespace

TEST(PaletteFiles, ReadsEachFormatByContentOrExtension) {
    const struct {
        const char* name;
        Bytes bytes;
        std::vector<RgbColour> colours;
        std::vector<std::uint16_t> words;
    } cases[] = {
        {"a.gpl",
         text("GIMP Palette\r\nName: Two\r\nColumns: 2\r\n# c\r\n\r\n  0 10\t20\tDeep\r\n255 255 "
              "255\r\n"),
         {{0, 10, 20}, {255, 255, 255}},
         {}},
        {"no-extension", text("\xEF\xBB\xBFGIMP Palette\n1 2 3 one two\n"), {{1, 2, 3}}, {}},
        {"a.pal",
         text("JASC-PAL\r\n0100\r\n2\r\n1 2 3\r\n4 5 6\r\n\r\n"),
         {{1, 2, 3}, {4, 5, 6}},
         {}},
        {"a.txt", text("JASC-PAL\n0100\n1\n7 8 9\n"), {{7, 8, 9}}, {}},
        {"a.act", act(256, std::nullopt), ramp(256), {}},
        {"dir.x/a.ACT", act(3, 3), ramp(3), {}},
        {"a.clut", {0x12, 0x34, 0xFF, 0xFE}, {}, {0x1234, 0xFFFE}},
        // Colours that happen to spell another format's signature.
        {"a.act",
         startingWith("GIF89a", act(3, 3)),
         {{'G', 'I', 'F'}, {'8', '9', 'a'}, ramp(3)[2]},
         {}},
        {"a.clut", text("GIMP Palette"), {}, {0x4749, 0x4D50, 0x2050, 0x616C, 0x6574, 0x7465}},
        {"a.png", png(3, 8, 4), ramp(4), {}},
        {"a.png", png(3, 1, 4), ramp(2), {}}, // a bit depth of 1 shows two entries
        {"a.gif", gif(0x81, {0x3B}), ramp(4), {}},
        {"a.gif",
         gif(0, withBytes(kExtensions, {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 0, 0, 0, 1, 1, 1})),
         {{0, 0, 0}, {1, 1, 1}},
         {}},
    };
    for (const auto& c : cases) {
        PaletteFileContents out;
        std::string error = "unchanged";
        ASSERT_TRUE(parsePaletteFile(c.name, c.bytes, out, error)) << c.name << ": " << error;
        EXPECT_EQ(error, "");
        EXPECT_EQ(out.holdsWords, !c.words.empty()) << c.name;
        EXPECT_EQ(out.colours, c.colours) << c.name;
        EXPECT_EQ(out.words, c.words) << c.name;
    }
}

TEST(PaletteFiles, RefusesDamagedFilesInOneLineAndKeepsWhatItHad) {
    Bytes plte10 = png(3, 8, 4);
    plte10[8 + 25 + 3] = 10; // the PLTE's length
    const Bytes textPastTheEnd =
        withBytes(cut(png(3, 8, 4), 33), {0, 0, 3, 232, 't', 'E', 'X', 't'});
    const struct {
        const char* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"zq.png", cut(png(3, 8, 4), 20), "ends inside its IHDR chunk"},
        {"zq.png", cut(png(3, 8, 4), 33), "ends before its palette"},
        {"zq.png", textPastTheEnd, "ends inside its tEXt chunk"},
        {"zq.png", png(2, 8, 4), "not an indexed PNG"},
        {"zq.png", png(3, 3, 4), "bit depth 3"},
        {"zq.png", png(3, 8, 0), "0 colours, not 1 to 256"},
        {"zq.png", png(3, 8, 257), "257 colours, not 1 to 256"},
        {"zq.png", plte10, "not whole colours"},
        {"zq.png", png(3, 8, std::nullopt), "no PLTE chunk before its pixels"},
        {"zq.gif", cut(gif(0, kExtensions), 13 + 12), "ends inside an extension block"},
        {"zq.gif", cut(gif(0x87, {}), 100), "ends inside its global colour table"},
        {"zq.gif", gif(0, {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0}), "without a colour table"},
        {"zq.gif", gif(0, {0x3B}), "holds no image"},
        {"zq.gpl", text("GIMP Palette\n0 0 0\n300 0 0 Red\n"), "line 3: component 300 is outside"},
        {"zq.gpl", text("GIMP Palette\nName: none\n"), "holds no colours"},
        {"zq.gpl", text("GIMP Palette\n1 2\n"), "line 2 is neither a colour"},
        {"zq.gpl", text("GIMP\n"), "not a GIMP palette"},
        {"zq.pal", text("JASC-PAL\n0100\n3\n0 0 0\n1 1 1\n"), "holds 2 colours, not the 3"},
        {"zq.pal", text("JASC-PAL\n0100\n1\n0 0 0\n1 1 1\n"), "more colours than the 1"},
        {"zq.pal", text("JASC-PAL\n0100\n300\n"), "count of 300 colours"},
        {"zq.pal", text("JASC-PAL\n0100\n1\n0 0 0 0\n"), "line 4 is not a colour"},
        {"zq.pal", text("RIFF....PAL data"), "RIFF palette"},
        {"zq.act", Bytes(500, 0), "500 bytes"},
        {"zq.act", act(3, 0), "holds 0 colours"},
        {"zq.clut", Bytes(3, 0), "odd number of bytes"},
        {"zq.clut", Bytes(514, 0), "257 words"},
        {"zq.clut", {}, "is empty"},
        {"zq.bmp", text("BM"), "not a palette file rastix reads"},
    };
    for (const auto& c : cases) {
        PaletteFileContents out;
        out.colours = {{1, 2, 3}};
        std::string error;
        EXPECT_FALSE(parsePaletteFile(c.name, c.bytes, out, error)) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_EQ(error.find("zq"), std::string::npos) << "names the file: " << error;
        EXPECT_EQ(out.colours, std::vector<RgbColour>({{1, 2, 3}})) << c.reason;
    }
}

// Every palette GIMP ships, each counted here by its lines: those over 256 colours are refused.
TEST(PaletteFiles, ReadsThePalettesGimpShips) {
    const QDir folder("/usr/share/gimp/2.0/palettes");
    const QStringList files = folder.entryList({"*.gpl"}, QDir::Files);
    if (files.isEmpty())
        GTEST_SKIP() << "GIMP's palettes (Debian's gimp-data) are not installed";
    int read = 0;
    for (const QString& file : files) {
        const Bytes bytes = readFile(folder.filePath(file));
        std::vector<std::string> rows;
        std::string line;
        for (const std::uint8_t b : bytes) {
            if (b != '\n') {
                line += char(b);
                continue;
            }
            if (!line.empty() && line[0] != '#' && line.rfind("GIMP Palette", 0) != 0 &&
                line.rfind("Name:", 0) != 0 && line.rfind("Columns:", 0) != 0)
                rows.push_back(line);
            line.clear();
        }
        PaletteFileContents out;
        std::string error;
        const bool ok = parsePaletteFile(file.toStdString(), bytes, out, error);
        if (rows.size() > 256) {
            EXPECT_FALSE(ok) << file.toStdString();
            EXPECT_NE(error.find(std::to_string(rows.size()) + " colours"), std::string::npos)
                << error;
            continue;
        }
        ASSERT_TRUE(ok) << file.toStdString() << ": " << error;
        ASSERT_EQ(out.colours.size(), rows.size()) << file.toStdString();
        for (const std::size_t i : {std::size_t{0}, rows.size() / 2, rows.size() - 1}) {
            unsigned r = 0, g = 0, b = 0;
            ASSERT_EQ(std::sscanf(rows[i].c_str(), "%u %u %u", &r, &g, &b), 3) << rows[i];
            EXPECT_EQ(out.colours[i],
                      RgbColour({std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)}))
                << file.toStdString() << " row " << i;
        }
        ++read;
    }
    EXPECT_GE(read, 30) << "of " << files.size();
}

TEST(PaletteFiles, ReadsThePalettesOfImageMagicksIndexedPngAndGif) {
    if (!run("convert", {"-version"}))
        GTEST_SKIP() << "ImageMagick's convert is not available";
    QTemporaryDir dir;
    for (const std::size_t count : {std::size_t{4}, std::size_t{20}}) {
        const std::vector<RgbColour> colours = ramp(count);
        QStringList args = {"-size", "1x1"};
        for (const RgbColour& c : colours)
            args << QString("xc:rgb(%1,%2,%3)").arg(c.red).arg(c.green).arg(c.blue);
        args << "+append";
        for (const QString& output : {QString("PNG8:%1/p.png"), QString("%1/p.gif")}) {
            const QString file = output.arg(dir.path()).remove("PNG8:");
            ASSERT_TRUE(run("convert", QStringList(args) << output.arg(dir.path()))) << count;
            PaletteFileContents out;
            std::string error;
            ASSERT_TRUE(readPaletteFile(file.toStdString(), out, error)) << error;
            EXPECT_GE(out.colours.size(), count);
            for (const RgbColour& c : colours)
                EXPECT_NE(std::find(out.colours.begin(), out.colours.end(), c), out.colours.end())
                    << file.toStdString() << ": " << int(c.red) << "," << int(c.green) << ","
                    << int(c.blue);
        }
    }
    const QString truecolour = dir.filePath("rgb.png");
    ASSERT_TRUE(run("convert", {"-size", "2x2", "xc:red", "PNG24:" + truecolour}));
    PaletteFileContents out;
    std::string error;
    EXPECT_FALSE(readPaletteFile(truecolour.toStdString(), out, error));
    EXPECT_NE(error.find("not an indexed PNG"), std::string::npos) << error;
}

TEST(PaletteFiles, WritesTheDocumentedLayouts) {
    const std::vector<RgbColour> two = {{1, 2, 3}, {255, 128, 0}};
    std::string gpl = "GIMP Palette\nName: sky line\nColumns: 16\n#\n";
    gpl += "  1   2   3\tIndex 0\n255 128   0\tIndex 1\n";
    EXPECT_EQ(writePaletteFile(PaletteFileFormat::Gpl, two, "sky\nline"), text(gpl));
    EXPECT_EQ(writePaletteFile(PaletteFileFormat::JascPal, two, "x"),
              text("JASC-PAL\r\n0100\r\n2\r\n1 2 3\r\n255 128 0\r\n"));
    Bytes actBytes = triples(two);
    actBytes.resize(768);
    actBytes.insert(actBytes.end(), {0, 2, 0xFF, 0xFF});
    EXPECT_EQ(writePaletteFile(PaletteFileFormat::Act, two, "x"), actBytes);
}

TEST(PaletteFiles, WrittenFilesReadBack) {
    for (const char* name : {"gpl", "pal", "act"}) {
        PaletteFileFormat format;
        ASSERT_TRUE(paletteFileFormatFromName(name, format));
        for (const std::size_t count : {1, 16, 256, 300}) {
            const std::string file = "out" + paletteFileExtension(format);
            PaletteFileContents out;
            std::string error;
            ASSERT_TRUE(
                parsePaletteFile(file, writePaletteFile(format, ramp(count), "n"), out, error))
                << file << " " << count << ": " << error;
            EXPECT_EQ(out.colours, ramp(std::min<std::size_t>(count, 256))) << file << " " << count;
        }
    }
    PaletteFileFormat format;
    EXPECT_FALSE(paletteFileFormatFromName("GPL", format));
    EXPECT_FALSE(paletteFileFormatFromName("png", format));
}

// Pillow (9.4, Debian 12) gives GIMP's header lines an entry each, so ours start at entry 0 or,
// after Name:, Columns: and #, at entry 3.
TEST(PaletteFiles, PillowReadsOurGimpPalette) {
    const QString python = QFile::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    if (!run(python, {"-c", "import PIL.GimpPaletteFile"}))
        GTEST_SKIP() << "Pillow (Debian's python3-pil) is not installed";
    QTemporaryDir dir;
    const std::string file = dir.filePath("ours.gpl").toStdString();
    const std::vector<RgbColour> colours = ramp(16);
    writeFile(file, writePaletteFile(PaletteFileFormat::Gpl, colours, "ours"));
    QByteArray hex;
    ASSERT_TRUE(run(python,
                    {"-c",
                     "import sys\nfrom PIL.GimpPaletteFile import GimpPaletteFile\n"
                     "print(GimpPaletteFile(open(sys.argv[1], 'rb')).getpalette()[0].hex())",
                     QString::fromStdString(file)},
                    &hex));
    const QByteArray pillow = QByteArray::fromHex(hex.trimmed());
    const Bytes ours = triples(colours);
    const QByteArray wanted(reinterpret_cast<const char*>(ours.data()), qsizetype(ours.size()));
    const qsizetype at = pillow.indexOf(wanted);
    EXPECT_TRUE(at == 0 || at == 9) << "Pillow's entries: " << hex.toStdString();
}

TEST(PaletteFiles, ReadsOnlyFilesAndOnlyWhatThePaletteNeeds) {
    namespace fs = std::filesystem;
    QTemporaryDir dir;
    const auto path = [&](const char* name) {
        return dir.filePath(name).toStdString();
    };
    const auto refusal = [](const std::string& file) {
        PaletteFileContents out;
        std::string error;
        return readPaletteFile(file, out, error) ? std::string("read") : error;
    };
    EXPECT_EQ(refusal(dir.path().toStdString()), "is a folder, not a palette file");
    EXPECT_EQ(refusal(path("missing.gpl")), std::strerror(ENOENT));
#ifndef _WIN32
    ASSERT_EQ(mkfifo(path("fifo.gpl").c_str(), 0600), 0);
    EXPECT_NE(refusal(path("fifo.gpl")).find("not a regular file"), std::string::npos);
#endif
    // Sparse files past the limit: an .act, refused by its size; a PNG whose palette comes
    // first, read although a chunk after it reaches far beyond; and one whose palette does not.
    writeFile(path("big.act"), act(4, 4));
    fs::resize_file(path("big.act"), kMostPaletteFileBytes + 1);
    EXPECT_NE(refusal(path("big.act")).find("larger than 16 MB"), std::string::npos);
    Bytes bigPng = cut(png(3, 8, 4), 8 + 25 + 24);
    put32(bigPng, std::uint32_t(2 * kMostPaletteFileBytes));
    bigPng.insert(bigPng.end(), {'z', 'T', 'X', 't'});
    writeFile(path("big.png"), bigPng);
    fs::resize_file(path("big.png"), 3 * kMostPaletteFileBytes);
    EXPECT_EQ(refusal(path("big.png")), "read");
    Bytes farPng = cut(png(3, 8, 4), 8 + 25);
    put32(farPng, std::uint32_t(kMostPaletteFileBytes));
    farPng.insert(farPng.end(), {'t', 'E', 'X', 't'});
    writeFile(path("far.png"), farPng);
    fs::resize_file(path("far.png"), 2 * kMostPaletteFileBytes);
    EXPECT_NE(refusal(path("far.png")).find("within its first 16 MB"), std::string::npos);
    // A chunk longer than the file is the file cut short, as its bytes alone would say.
    writeFile(path("short.png"),
              withBytes(cut(png(3, 8, 4), 33), {0x12, 0x50, 0, 0, 't', 'E', 'X', 't'}));
    EXPECT_EQ(refusal(path("short.png")), "ends inside its tEXt chunk");
    // A PNG named .act: its start up to the palette is as long as an .act, the whole is not.
    Bytes actLong = cut(png(3, 8, 4), 33);
    chunk(actLong, "tEXt", Bytes(703, 'x'), 703);
    actLong = withBytes(actLong, Bytes(png(3, 8, 4).begin() + 33, png(3, 8, 4).end()));
    writeFile(path("png.act"), actLong);
    PaletteFileContents read;
    std::string error;
    ASSERT_TRUE(readPaletteFile(path("png.act"), read, error)) << error;
    EXPECT_EQ(read.colours, ramp(4));
    const std::string named =
        dir.filePath(QString::fromUtf8("Farben \u00e4\u00df.act")).toStdString();
    writeFile(named, act(5, 5));
    PaletteFileContents out;
    ASSERT_TRUE(readPaletteFile(named, out, error)) << error;
    EXPECT_EQ(out.colours, ramp(5));
}
