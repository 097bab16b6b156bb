#include "cli/commandline.h"
#include "convert/loadedpicture.h"
#include "convert/runjobs.h"
#include "folderfiles.h"
#include "output/output.h"
#include "runharness.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <sstream>

using namespace rastix;

namespace {

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

FakePictures someImages() {
    FakePictures p;
    p.images["pics/logo.bmp"] = Image(6, 2, 0xFFFF0000);
    p.images["photo.jpeg"] = Image(4, 4, 0xFF0000FF);
    p.images["1.gif"] = Image(3, 1, 0xFF00FF00);
    p.images["2.gif"] = Image(3, 1, 0xFFFFFFFF);
    return p;
}

} // namespace

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

// A stream whose every write fails, like standard output on a full disk.
class FullStream : public std::streambuf {
protected:
    int_type overflow(int_type) override {
        errno = ENOSPC;
        return traits_type::eof();
    }
};

TEST(Conversion, EveryLineStaysOneLineAndALostLineFailsTheRun) {
    QTemporaryDir dir;
    FakePictures pictures;
    const std::string target = dir.path().toStdString();
    AtomicFileWriter writer;
#ifndef _WIN32 // where control characters can be in a file's name
    pictures.images["new\nline.gif"] = Image(3, 1, 0xFF00FF00);
    const RunResult r =
        run({"--target-dir", target, "new\nline.gif", "gone\x1b[2J.gif"}, pictures, writer);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "wrote " + target + "/new\\nline.s (3x1, RGB16, true colour)\n");
    EXPECT_EQ(r.err, "rastix: gone\\x1b[2J.gif: cannot read picture: not found\n");
#endif

    // One picture, and several (converted by other threads): the line is said once.
    pictures.images["plain.gif"] = Image(3, 1, 0xFF00FF00);
    for (const std::size_t pictureCount : {1, 3}) {
        Job job{"plain.gif", Settings{}};
        job.settings.targetDir = target;
        job.settings.overwrite = true;
        FullStream full;
        std::ostream out(&full);
        std::ostringstream err;
        EXPECT_EQ(
            runJobs(std::vector<Job>(pictureCount, job), pictures.loader(), writer, out, err, 2),
            1);
        EXPECT_EQ(err.str(), "rastix: cannot write to standard output: " +
                                 std::string(std::strerror(ENOSPC)) + "\n");
    }
}
