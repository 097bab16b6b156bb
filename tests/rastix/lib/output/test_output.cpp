#include "cli/commandline.h"
#include "cli/helptext.h"
#include "convert/loadedpicture.h"
#include "convert/runjobs.h"
#include "encode/pictureencoder.h"
#include "files/pictureproblems.h"
#include "files/utf8path.h"
#include "output/assemblysource.h"
#include "output/output.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

using namespace rastix;

namespace {

// Pictures by name, so conversion runs need no decoder and no files to read.
struct FakePictures {
    std::map<std::string, Image> images;

    PictureLoader loader() const {
        return [this](const std::string& path, LoadedPicture& picture, std::string& error, int) {
            const auto it = images.find(path);
            if (it == images.end()) {
                error = "cannot read picture: not found";
                return false;
            }
            picture.view = it->second.view();
            return true;
        };
    }
};

// Fails once a given number of bytes has gone to disk, like a full disk would.
class FailingWriter : public AtomicFileWriter {
public:
    explicit FailingWriter(std::size_t budget)
        : m_budget(budget) {}

protected:
    bool writeChunk(std::FILE* file, const std::uint8_t* data, std::size_t size) override {
        const std::size_t n = std::min(size, m_budget);
        m_budget -= n;
        AtomicFileWriter::writeChunk(file, data, n);
        return n == size;
    }

private:
    std::size_t m_budget;
};

// Another program that creates a file of the same name while ours is being written.
class IntrudedWriter : public AtomicFileWriter {
public:
    explicit IntrudedWriter(QString intruder)
        : m_intruder(std::move(intruder)) {}

protected:
    bool writeChunk(std::FILE* file, const std::uint8_t* data, std::size_t size) override {
        QFile theirs(m_intruder);
        if (!theirs.exists() && theirs.open(QIODevice::WriteOnly))
            theirs.write("theirs");
        return AtomicFileWriter::writeChunk(file, data, size);
    }

private:
    QString m_intruder;
};

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

RunResult run(const std::vector<std::string>& args, const FakePictures& pictures,
              AtomicFileWriter& writer) {
    CommandLine line = parseCommandLine(args, [](const std::string& d) {
        return QDir(QString::fromStdString(d)).exists() ? std::string() : "does not exist";
    });
    if (line.error.empty())
        line.error = findOutputClash(line.jobs, samePlaceKey);
    RunResult r;
    if (!line.error.empty()) {
        r.status = 2;
        r.err = line.error;
        return r;
    }
    std::ostringstream out;
    std::ostringstream err;
    r.status = runJobs(line.jobs, pictures.loader(), writer, out, err, 3);
    r.out = out.str();
    r.err = err.str();
    return r;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QTemporaryDir& dir) {
    return QDir(dir.path())
        .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

FakePictures someImages() {
    FakePictures p;
    p.images["pics/logo.bmp"] = Image(6, 2, 0xFFFF0000);
    p.images["photo.jpeg"] = Image(4, 4, 0xFF0000FF);
    p.images["1.gif"] = Image(3, 1, 0xFF00FF00);
    p.images["2.gif"] = Image(3, 1, 0xFFFFFFFF);
    return p;
}

} // namespace

TEST(OutputNames, BaseNamesAndLabels) {
    EXPECT_EQ(baseName("dir/sub/logo.bmp"), "logo");
    EXPECT_EQ(baseName("C:\\art\\logo.big.png"), "logo.big");
    EXPECT_EQ(baseName("noext"), "noext");
    EXPECT_EQ(baseName(".hidden"), ".hidden");
    EXPECT_EQ(labelFor("logo.big"), "logo_big");
    EXPECT_EQ(labelFor("1"), "_1");
    EXPECT_EQ(labelFor("my pic-2"), "my_pic_2");
    // Register names would assemble as registers, not as the picture's label.
    for (const char* name : {"d0", "D7", "a0", "A7", "sp", "SP", "pc", "sr", "ccr", "usp", "Usp"})
        EXPECT_EQ(labelFor(name), std::string("_") + name);
    EXPECT_EQ(labelFor("d8"), "d8");
    EXPECT_EQ(labelFor("spr"), "spr");
    EXPECT_EQ(labelFor("caf\xc3\xa9"), "caf__");
    EXPECT_EQ(labelFor(""), "_");
    EXPECT_EQ(joinPath("tmp", "a.s"), "tmp/a.s");
    EXPECT_EQ(joinPath("tmp/", "a.s"), "tmp/a.s");
    EXPECT_EQ(joinPath("", "a.s"), "a.s");
}

TEST(OutputNames, EachModeHasItsFiles) {
    const Image img(4, 1, 0xFFFF0000);
    Settings s;
    s.targetDir = "out";
    const auto names = [&](const Settings& settings) {
        std::vector<std::string> n;
        for (const auto& f : outputsFor(encodePicture(img.view(), settings), settings, "a/b.png"))
            n.push_back(f.path);
        return n;
    };
    EXPECT_EQ(names(s), std::vector<std::string>{"out/b.s"});
    s.format = OutputFormat::Binary;
    EXPECT_EQ(names(s), std::vector<std::string>{"out/b.rgb"});
    s.model = ColourModel::Cry16;
    EXPECT_EQ(names(s), std::vector<std::string>{"out/b.cry"});
    s.colourMap = true;
    EXPECT_EQ(names(s), (std::vector<std::string>{"out/b.map", "out/b.clut"}));
    s.format = OutputFormat::Assembly;
    EXPECT_EQ(names(s), std::vector<std::string>{"out/b.s"});
}

TEST(Assembly, HeaderEquatesLabelAndHexData) {
    Image img(5, 2, 0xFFFF0000);
    img.at(4, 1) = 0x00000000;
    const Settings s;
    const std::string text =
        assemblySource(encodePicture(img.view(), s), s, "my logo.bmp", "my_logo");
    EXPECT_NE(text.find("; Generated by rastix from my logo.bmp"), std::string::npos);
    EXPECT_NE(text.find("5 x 2 pixels"), std::string::npos);
    EXPECT_NE(text.find("RGB16"), std::string::npos);
    EXPECT_NE(text.find("true colour"), std::string::npos);
    EXPECT_NE(text.find("8 pixels (2 phrases)"), std::string::npos);
    EXPECT_NE(text.find("my_logo_width = 5"), std::string::npos);
    EXPECT_NE(text.find("my_logo_height = 2"), std::string::npos);
    EXPECT_NE(text.find("my_logo_phrases = 2"), std::string::npos);
    EXPECT_NE(text.find("my_logo_depth = 4"), std::string::npos);
    const auto data = text.find("\t.data\n\t.phrase\n\t.globl\tmy_logo\nmy_logo:\n");
    ASSERT_NE(data, std::string::npos);
    EXPECT_NE(text.find("\tdc.w\t$F800,$F800,$F800,$F800,$F800,$0000,$0000,$0000\n"
                        "\tdc.w\t$F800,$F800,$F800,$F800,$0000,$0000,$0000,$0000\n",
                        data),
              std::string::npos);
}

TEST(Assembly, ColourMapHasBytesAndPalette) {
    Image img(8, 1, 0xFF0000FF);
    img.at(0, 0) = 0xFFFF0000;
    Settings s;
    s.colourMap = true;
    s.optimiseMapDepth = true;
    const std::string text = assemblySource(encodePicture(img.view(), s), s, "m.gif", "m");
    // 8 pixels at 1 bit need padding, so index 0 is transparent and the map is 2 bits deep:
    // palette 0 transparent, 1 blue, 2 red: 10 01 01 01 01 01 01 01, then zeros.
    EXPECT_NE(text.find("\tdc.b\t$95,$55,$00,$00,$00,$00,$00,$00\n"), std::string::npos) << text;
    EXPECT_NE(text.find("m_colours = 3"), std::string::npos);
    EXPECT_NE(text.find("m_depth = 1"), std::string::npos);
    EXPECT_NE(text.find("m_clut:\n\tdc.w\t$0000,$07C0,$F800\n"), std::string::npos) << text;
}

TEST(Assembly, GasSyntaxHasTheSameLinesInItsOwnNotation) {
    Image img(3, 1, 0xFFFF0000);
    Settings s;
    s.colourMap = true;
    s.syntax = AsmSyntax::Gas;
    const std::string text = assemblySource(encodePicture(img.view(), s), s, "g.png", "g");
    EXPECT_NE(text.find("| Generated by rastix from g.png\n"), std::string::npos) << text;
    EXPECT_NE(text.find("g_colours = 2\t| palette entries\n"), std::string::npos);
    EXPECT_NE(text.find("\t.data\n\t.balign 8\n\t.globl\tg\ng:\n"
                        "\t.byte\t0x01,0x01,0x01,0x00,0x00,0x00,0x00,0x00\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\t.balign 8\n\t.globl\tg_clut\ng_clut:\n\t.short\t0x0000,0xF800\n"),
              std::string::npos);
    for (const char* madmacOnly : {";", "$", "dc.", ".phrase"})
        EXPECT_EQ(text.find(madmacOnly), std::string::npos) << madmacOnly;
}

TEST(Assembly, TextMadeOnSeveralThreadsIsPutInOrder) {
    // A map of about 5 MB of text: several pieces for each thread.
    Image img(1000, 1200);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            img.at(x, y) = 0xFF000000u | static_cast<std::uint32_t>((x / 3 + y * 5) % 200) << 8;
    Settings s;
    s.colourMap = true;
    const EncodedPicture map = encodePicture(img.view(), s);
    const std::string expected = assemblySource(map, s, "m.gif", "m");
    for (const int threads : {2, 3}) {
        std::string text;
        int puts = 0;
        EXPECT_TRUE(writeAssemblySource(
            map, s, "m.gif", "m",
            [&](const std::string& piece) {
                text += piece;
                return ++puts > 0;
            },
            threads));
        EXPECT_GT(puts, 4);
        EXPECT_TRUE(text == expected) << threads;
        // A put that fails stops the rest.
        puts = 0;
        EXPECT_FALSE(writeAssemblySource(
            map, s, "m.gif", "m", [&](const std::string&) { return ++puts < 3; }, threads));
        EXPECT_EQ(puts, 3);
    }
}

TEST(Conversion, HelpExampleWritesTheFourFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string target = dir.path().toStdString();
    AtomicFileWriter writer;
    const RunResult r = run({"--target-dir", target, "pics/logo.bmp", "-cry", "photo.jpeg", "-rgb",
                             "--no-ascii", "1.gif", "2.gif"},
                            someImages(), writer);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(entries(dir), (QStringList{"1.rgb", "2.rgb", "logo.s", "photo.s"}));
    // One line per file, in argument order.
    const auto a = r.out.find("logo.s");
    const auto b = r.out.find("photo.s");
    const auto c = r.out.find("1.rgb");
    const auto d = r.out.find("2.rgb");
    EXPECT_TRUE(a < b && b < c && c < d) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 4);
    EXPECT_NE(readAll(dir.filePath("photo.s")).indexOf("CRY16"), -1);
    EXPECT_EQ(readAll(dir.filePath("1.rgb")), QByteArray::fromHex("003f003f003f0000"));
    EXPECT_EQ(readAll(dir.filePath("2.rgb")), QByteArray::fromHex("ffffffffffff0000"));
}

TEST(Conversion, ExistingOutputIsRefusedWithoutOverwrite) {
    QTemporaryDir dir;
    const std::string target = dir.path().toStdString();
    {
        QFile f(dir.filePath("1.rgb"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    AtomicFileWriter writer;
    RunResult r = run({"--binary", "--target-dir", target, "1.gif", "2.gif"}, someImages(), writer);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("1.rgb"), std::string::npos);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    EXPECT_EQ(readAll(dir.filePath("1.rgb")), QByteArray("keep me"));
    EXPECT_EQ(readAll(dir.filePath("2.rgb")).size(), 8); // the other picture still converted

    r = run({"--binary", "--overwrite", "--target-dir", target, "1.gif"}, someImages(), writer);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(readAll(dir.filePath("1.rgb")), QByteArray::fromHex("003f003f003f0000"));
}

namespace {

class NamedTemporaryFiles : public AtomicFileWriter {
protected:
    bool tryUnnamedFiles() const override { return false; }
};

// The same rules whether the file has a name while it is written or not.
void checkStaging(AtomicFileWriter& writer, bool unnamed) {
    QTemporaryDir dir;
    std::string error;
    const auto bytes = [](const char* text) {
        return reinterpret_cast<const std::uint8_t*>(text);
    };
    std::unique_ptr<StagedFile> file = writer.stage(dir.filePath("a.rgb").toStdString(), error);
    ASSERT_TRUE(file) << error;
    ASSERT_TRUE(file->append(bytes("abc"), 3));
    // Unnamed while being written, a conversion that is killed leaves nothing behind.
    EXPECT_EQ(entries(dir).size(), unnamed ? 0 : 1) << entries(dir).join(' ').toStdString();
    ASSERT_TRUE(file->commit(ExistingFile::Keep, error)) << error;
    EXPECT_EQ(entries(dir), QStringList{"a.rgb"});
    EXPECT_EQ(readAll(dir.filePath("a.rgb")), QByteArray("abc"));

    {
        std::unique_ptr<StagedFile> abandoned =
            writer.stage(dir.filePath("b.rgb").toStdString(), error);
        ASSERT_TRUE(abandoned && abandoned->append(bytes("xyz"), 3));
    }
    EXPECT_EQ(entries(dir), QStringList{"a.rgb"});

    file = writer.stage(dir.filePath("a.rgb").toStdString(), error);
    ASSERT_TRUE(file && file->append(bytes("new"), 3));
    EXPECT_FALSE(file->commit(ExistingFile::Keep, error));
    EXPECT_NE(error.find("exists already"), std::string::npos) << error;
    file = writer.stage(dir.filePath("a.rgb").toStdString(), error);
    ASSERT_TRUE(file && file->append(bytes("new"), 3));
    ASSERT_TRUE(file->commit(ExistingFile::Replace, error)) << error;
    file.reset();
    EXPECT_EQ(entries(dir), QStringList{"a.rgb"});
    EXPECT_EQ(readAll(dir.filePath("a.rgb")), QByteArray("new"));
}

} // namespace

TEST(StagedFile, NothingIsLeftBehindButTheCompleteFile) {
    AtomicFileWriter writer;
#ifdef __linux__
    checkStaging(writer, true);
#else
    checkStaging(writer, false);
#endif
    NamedTemporaryFiles named;
    checkStaging(named, false);
}

TEST(Conversion, AFileMadeMeanwhileIsNotClobberedWithoutOverwrite) {
    QTemporaryDir dir;
    const std::string target = dir.path().toStdString();
    IntrudedWriter writer(dir.filePath("1.rgb"));
    RunResult r = run({"--binary", "--target-dir", target, "1.gif"}, someImages(), writer);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("exists already"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readAll(dir.filePath("1.rgb")), QByteArray("theirs"));
    EXPECT_EQ(entries(dir), QStringList{"1.rgb"}); // and no temporary file left

    r = run({"--binary", "--overwrite", "--target-dir", target, "1.gif"}, someImages(), writer);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readAll(dir.filePath("1.rgb")), QByteArray::fromHex("003f003f003f0000"));
}

TEST(Conversion, MapIsNotWrittenWhenItsPaletteWouldBeRefused) {
    QTemporaryDir dir;
    {
        QFile f(dir.filePath("1.clut"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    AtomicFileWriter writer;
    const RunResult r =
        run({"--binary", "--clut", "--target-dir", dir.path().toStdString(), "1.gif"}, someImages(),
            writer);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(entries(dir), QStringList{"1.clut"});
}

TEST(Conversion, AColourMapIsWrittenWholeOrNotAtAll) {
    struct Case {
        const char* name;
        std::size_t diskRoom;  // bytes that fit before the disk is full
        bool paletteIsAFolder; // the palette's move into place fails after the map's
    };
    // 1.gif as an 8-bit map: 8 bytes of map, then 4 of palette.
    for (const Case& c : {Case{"full disk", 8, false}, Case{"move refused", 1000, true}}) {
        for (const bool existed : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (existed ? ", replacing" : ", new"));
            QTemporaryDir dir;
            QStringList before;
            if (existed) {
                QFile old(dir.filePath("1.map"));
                ASSERT_TRUE(old.open(QIODevice::WriteOnly));
                old.write("old map");
                before << "1.map";
            }
            if (c.paletteIsAFolder) {
                ASSERT_TRUE(QDir(dir.path()).mkdir("1.clut"));
                before << "1.clut";
            }
            FailingWriter writer(c.diskRoom);
            const RunResult r = run({"--binary", "--clut", "--overwrite", "--target-dir",
                                     dir.path().toStdString(), "1.gif"},
                                    someImages(), writer);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            before.sort();
            EXPECT_EQ(entries(dir), before);
            if (existed) {
                EXPECT_EQ(readAll(dir.filePath("1.map")), QByteArray("old map"));
            }
        }
    }
}

TEST(Conversion, SizesTheConsoleCannotShowAreWrittenWithAWarning) {
    FakePictures pictures;
    pictures.images["tall.png"] = Image(8, 1024, 0xFF112233);
    pictures.images["wide.png"] = Image(4093, 1, 0xFF112233);    // 1024 phrases at 16 bits
    pictures.images["edge.png"] = Image(4092, 1023, 0xFF112233); // exactly the limits
    QTemporaryDir dir;
    AtomicFileWriter writer;
    const RunResult r = run(
        {"--binary", "--target-dir", dir.path().toStdString(), "tall.png", "wide.png", "edge.png"},
        pictures, writer);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(entries(dir), (QStringList{"edge.rgb", "tall.rgb", "wide.rgb"}));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
    EXPECT_NE(r.err.find("tall.png: warning: 8x1024 pixels"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("wide.png: warning: 4093x1 pixels (1024 phrases"), std::string::npos);
    EXPECT_NE(r.err.find("1023"), std::string::npos);
}

TEST(Conversion, UnreadablePictureAndBadCutFailAloneAndNameTheFile) {
    QTemporaryDir dir;
    AtomicFileWriter writer;
    const RunResult r =
        run({"--target-dir", dir.path().toStdString(), "missing.png", "--cut", "2,0:4x2",
             "pics/logo.bmp", "--cut", "3,0:4x2", "photo.jpeg", "--no-cut", "--binary", "1.gif"},
            someImages(), writer);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.png"), std::string::npos);
    EXPECT_NE(r.err.find("photo.jpeg"), std::string::npos);
    EXPECT_NE(r.err.find("outside"), std::string::npos);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2);
    EXPECT_EQ(entries(dir), (QStringList{"1.rgb", "logo.s"}));
    EXPECT_NE(readAll(dir.filePath("logo.s")).indexOf("logo_width = 4"), -1);
}

TEST(Conversion, ForcedWriteFailureLeavesNoPartialFile) {
    QTemporaryDir dir;
    const std::string target = dir.path().toStdString();
    FakePictures pictures;
    pictures.images["big.png"] = Image(1000, 600, 0xFF336699);
    FailingWriter failing(5000);
    RunResult r = run({"--binary", "--target-dir", target, "big.png"}, pictures, failing);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("big.png"), std::string::npos);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(entries(dir).isEmpty()) << entries(dir).join(' ').toStdString();

    // An existing file is not clobbered either, even with --overwrite.
    {
        QFile f(dir.filePath("big.rgb"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    FailingWriter failingAgain(5000);
    r = run({"--binary", "--overwrite", "--target-dir", target, "big.png"}, pictures, failingAgain);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(entries(dir), QStringList{"big.rgb"});
    EXPECT_EQ(readAll(dir.filePath("big.rgb")), QByteArray("old"));
}

TEST(Conversion, ManyPicturesKeepArgumentOrder) {
    FakePictures pictures;
    std::vector<std::string> args = {"--binary"};
    QTemporaryDir dir;
    args.push_back("--target-dir");
    args.push_back(dir.path().toStdString());
    for (int i = 0; i < 40; ++i) {
        // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) on a chain of "+".
        std::string name = "p";
        name += std::to_string(i);
        name += ".png";
        // Larger pictures first, so later ones tend to finish earlier.
        pictures.images[name] = Image(200 - i * 4, 50, 0xFF000000u + static_cast<unsigned>(i));
        args.push_back(name);
    }
    AtomicFileWriter writer;
    const RunResult r = run(args, pictures, writer);
    ASSERT_EQ(r.status, 0) << r.err;
    std::size_t at = 0;
    for (int i = 0; i < 40; ++i) {
        const auto next = r.out.find("/p" + std::to_string(i) + ".rgb", at);
        ASSERT_NE(next, std::string::npos) << i;
        at = next;
    }
    EXPECT_EQ(entries(dir).size(), 40);
}

TEST(PictureProblems, TheRealCauseIsNamed) {
    QTemporaryDir dir;
    const auto failingWith = [](int error) {
        return [error](const std::string&) {
            return error;
        };
    };
    const std::string file = dir.filePath("p.png").toStdString();
    EXPECT_EQ(pictureAccessProblem(file, failingWith(EACCES)), std::strerror(EACCES));
    EXPECT_EQ(pictureAccessProblem(file, failingWith(ENOENT)), std::strerror(ENOENT));
    EXPECT_EQ(pictureAccessProblem(file, failingWith(0)), "");
    EXPECT_EQ(pictureAccessProblem(dir.path().toStdString()), "is a folder, not a picture");
    EXPECT_EQ(pictureAccessProblem(file), std::strerror(ENOENT));

    for (const char* damage :
         {"Corrupt JPEG data: premature end of data segment", "Premature end of JPEG file",
          "libpng warning: tEXt: CRC error", "libpng error: Read Error"})
        EXPECT_TRUE(meansDamage(damage)) << damage;
    for (const char* remark : {"libpng warning: iCCP: known incorrect sRGB profile",
                               "Warning: unknown JFIF revision number 1.03"})
        EXPECT_FALSE(meansDamage(remark)) << remark;
    EXPECT_EQ(foldMessages({"a.\n", "b", "a", ""}), "a; b");
}

TEST(Utf8Paths, NamesOutsideAsciiAndExclusiveCreation) {
    QTemporaryDir dir;
    const std::string folder =
        dir.filePath(QStringLiteral("Bilder \u00e4\u00df \u20ac")).toStdString();
    ASSERT_TRUE(std::filesystem::create_directory(utf8Path(folder)));
    const std::string file = joinPath(folder, "sch\u00f6n.rgb");
    std::FILE* created = createNewFile(utf8Path(file));
    ASSERT_NE(created, nullptr);
    std::fputs("first", created);
    std::fclose(created);
    // A second creation must fail, and must not empty the file (MinGW's fopen ignores "x").
    errno = 0;
    EXPECT_EQ(createNewFile(utf8Path(file)), nullptr);
    EXPECT_EQ(errno, EEXIST);
    std::FILE* read = openFile(file, "rb");
    ASSERT_NE(read, nullptr);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text, read), 5u);
    std::fclose(read);
    EXPECT_EQ(utf8Text(utf8Path(file)), file);
    EXPECT_EQ(QFile(QString::fromStdString(file)).size(), 5);
}

TEST(Help, DocumentsEveryOption) {
    const std::string help = helpText();
    for (const char* option :
         {"-rgb",          "-cry",         "--assembly",     "--ascii",    "--binary",
          "--no-ascii",    "--target-dir", "--clut",         "--no-clut",  "--opt-clut",
          "--no-opt-clut", "--overwrite",  "--no-overwrite", "--15-bits",  "--16-bits",
          "--gray",        "--glass",      "--normal",       "--positive", "--negative",
          "--both",        "--rotate",     "--cut",          "--help",     "--version",
          ".rgb",          ".cry",         ".map",           ".clut",      ".s",
          "Glass packing", "phrase",       "--colours"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    for (const char* syntax : {"--syntax madmac", "--syntax gas", "--dither none",
                               "--dither ordered", "--dither diffusion"})
        EXPECT_NE(help.find(syntax), std::string::npos) << syntax;
}
