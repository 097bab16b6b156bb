#include "files/pictureproblems.h"
#include "files/utf8path.h"
#include "output/outputnames.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace rastix;

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
          "libpng warning: tEXt: CRC error", "libpng error: Read Error",
          "Corrupt JPEG data: 67 extraneous bytes before marker 0xd9", "gAMA: CRC error",
          "libpng warning: tRNS: invalid", "IDAT: invalid distance too far back",
          "TIFFReadDirectory: IO error during reading of \"BitsPerSample\""})
        EXPECT_TRUE(meansDamage(damage)) << damage;
    for (const char* remark :
         {"libpng warning: iCCP: known incorrect sRGB profile",
          "Warning: unknown JFIF revision number 1.03", "libpng warning: gAMA: invalid",
          "pHYs: invalid", "libpng warning: bKGD: invalid",
          "libpng warning: sRGB: profile 'sRGB': 9h: invalid sRGB rendering intent",
          "TIFFReadDirectoryCheckOrder: Warning, Invalid TIFF directory; tags are not sorted in "
          "ascending order"})
        EXPECT_FALSE(meansDamage(remark)) << remark;
    EXPECT_EQ(foldMessages({"a.\n", "b", "a", ""}), "a; b");
}

#ifndef _WIN32
// Opening a named pipe waits for a writer: it is refused before anything opens it.
TEST(PictureProblems, PipesAndDevicesAreNotOpened) {
    QTemporaryDir dir;
    const std::string fifo = dir.filePath("fifo.png").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int opened = 0;
    const auto counting = [&](const std::string&) {
        ++opened;
        return 0;
    };
    EXPECT_EQ(pictureAccessProblem(fifo, counting), "is a pipe, not a picture file");
    EXPECT_EQ(pictureAccessProblem("/dev/null", counting), "is a device, not a picture file");
    EXPECT_EQ(opened, 0);
}
#endif

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

namespace {

QByteArray pngChunk(const char* type, const QByteArray& data, quint32 declared) {
    QByteArray c;
    for (int shift = 24; shift >= 0; shift -= 8)
        c.append(char(declared >> shift));
    return c.append(type).append(data).append(4, '\0'); // the checksum is not looked at
}

} // namespace

TEST(PictureProblems, APngChunkLongerThanTheFileIsFoundBeforeDecoding) {
    const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    const QByteArray header = pngChunk("IHDR", QByteArray(13, '\1'), 13);
    const QByteArray data = pngChunk("IDAT", QByteArray(40, 'x'), 40);
    const QByteArray end = pngChunk("IEND", {}, 0);
    const QByteArray whole = signature + header + data + end;
    const struct {
        const char* name;
        QByteArray bytes;
        std::string problem;
    } cases[] = {
        {"whole", whole, ""},
        {"junk after the end", whole + QByteArray(100, '\xff'), ""},
        {"no end chunk", signature + header + data, ""},
        {"cut in the data", (signature + header + data).chopped(10),
         "the file ends inside its IDAT chunk (40 bytes declared, 34 left)"},
        // 48 bytes asking libpng for 1.6 GB
        {"text of 1.6 GB", signature + header + pngChunk("iTXt", "cHRM", 0x65000040),
         "the file ends inside its iTXt chunk (1694498880 bytes declared, 8 left)"},
        {"type not letters", signature + pngChunk("I\nDR", QByteArray(13, '\1'), 99),
         "the file ends inside a chunk (99 bytes declared, 17 left)"},
        {"not a PNG", "GIF89a" + QByteArray(40, '\0'), ""},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString path = dir.filePath("p.png");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        EXPECT_EQ(pngChunkPastTheEnd(path.toStdString()), c.problem) << c.name;
    }
}
