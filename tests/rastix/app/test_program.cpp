// Runs the built converter as the front-end does, on real picture files.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

Result runRastix(const QStringList& args, const QString& workingDir) {
    QProcess p;
    p.setWorkingDirectory(workingDir);
    p.start(QStringLiteral(RASTIX_PROGRAM), args);
    Result r;
    if (!p.waitForFinished(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray pngWithComment(QImage image) {
    image.setText("Comment", "made for a test");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestRastixProgram : public QObject {
    Q_OBJECT

private slots:
    void faultyCommandLinesWriteNothing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("cause");
        QTest::newRow("zero width") << QStringList{"--cut", "10,20:0x5", "a.png"} << "10,20:0x5";
        QTest::newRow("rotate abc") << QStringList{"--rotate", "abc", "a.png"} << "abc";
        QTest::newRow("rotate huge")
            << QStringList{"--rotate", "99999999999", "a.png"} << "out of range";
        QTest::newRow("missing dir")
            << QStringList{"--target-dir", "nowhere", "a.png"} << "does not exist";
        QTest::newRow("file as dir")
            << QStringList{"--target-dir", "a.png", "a.png"} << "is not a folder";
        QTest::newRow("unknown") << QStringList{"a.png", "--sparkle"} << "--sparkle";
        QTest::newRow("no value") << QStringList{"a.png", "--rotate"} << "needs a value";
        QTest::newRow("no picture") << QStringList{"--binary"} << "no picture";
        QTest::newRow("after last")
            << QStringList{"a.png", "-cry"} << "-cry after the last picture applies to no picture";
        QTest::newRow("same output") << QStringList{"--overwrite", "a.png", "sub/../a.png"}
                                     << "a.png and sub/../a.png would both write a.s";
        QTest::newRow("same label")
            << QStringList{"a.png", "--binary", "a-end.png", "--assembly", "a_end.png"}
            << "a.png and a_end.png would both define the global name a_end";
    }

    void faultyCommandLinesWriteNothing() {
        QFETCH(QStringList, args);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        QVERIFY(QImage(4, 4, QImage::Format_RGB32).save(dir.filePath("a.png")));
        const Result r = runRastix(args, dir.path());
        QCOMPARE(r.status, 2);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.err.startsWith("rastix: "));
        QVERIFY2(r.err.contains(cause), qPrintable(r.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.png"});
    }

    // Decoders only warn about data that is missing or garbled, and fill the gap: each such
    // picture fails on one line of ours, and nothing of theirs reaches stderr.
    void damagedOrUnreadablePicturesFailOnOneLineEach() {
        QTemporaryDir dir;
        QImage photo(64, 64, QImage::Format_RGB32);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                photo.setPixel(x, y, qRgb(x * 4, y * 4, (x * y) & 255));
        QVERIFY(photo.save(dir.filePath("ok.jpg")));
        const QByteArray jpeg = readAll(dir.filePath("ok.jpg"));
        writeFile(dir.filePath("cut.jpg"), jpeg.left(jpeg.size() / 2));
        writeFile(dir.filePath("short.png"), pngWithComment(photo).left(1000));
        QByteArray png = pngWithComment(photo);
        png[png.indexOf("tEXt") + 6] = 'X'; // the comment no longer matches its checksum
        writeFile(dir.filePath("crc.png"), png);
        // libpng would allocate the 1.6 GB this text chunk declares before finding it missing.
        writeFile(dir.filePath("text.png"), png.left(33) + QByteArray("\x65\0\0\x40iTXtcHRM", 12));
        QVERIFY(QDir(dir.path()).mkdir("folder.png"));
        // BMP and GIF readers fill in what is missing without a word.
        QVERIFY(photo.save(dir.filePath("whole.bmp")));
        writeFile(dir.filePath("half.bmp"), readAll(dir.filePath("whole.bmp")).chopped(100));
        const QByteArray gif = readAll(RASTIX_SAMPLES "/ship.gif");
        QVERIFY(!gif.isEmpty());
        writeFile(dir.filePath("ship.gif"), gif);
        writeFile(dir.filePath("part.gif"), gif.left(gif.size() - 40));

        const Result r =
            runRastix({"--binary", "cut.jpg", "short.png", "crc.png", "text.png", "half.bmp",
                       "part.gif", "folder.png", "ok.jpg", "-cry", "whole.bmp", "ship.gif"},
                      dir.path());
        QCOMPARE(r.status, 1);
        // Windows writes text lines with CR LF.
        const QStringList lines = r.err.split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 7);
        const char* expected[][2] = {{"cut.jpg", "Premature end of data segment"},
                                     {"short.png", "ends inside its IDAT chunk"},
                                     {"crc.png", "CRC error"},
                                     {"text.png", "ends inside its iTXt chunk (1694498880 bytes"},
                                     {"half.bmp", "ends before its pixel data"},
                                     {"part.gif", "ends before its last picture"},
                                     {"folder.png", "is a folder"}};
        for (int i = 0; i < 7; ++i) {
            QVERIFY2(lines[i].startsWith(QString("rastix: ") + expected[i][0] + ": "),
                     qPrintable(lines[i]));
            QVERIFY2(lines[i].contains(expected[i][1], Qt::CaseInsensitive), qPrintable(lines[i]));
        }
        QCOMPARE(QDir(dir.path()).entryList({"*.rgb", "*.cry"}, QDir::Files),
                 (QStringList{"ok.rgb", "ship.cry", "whole.cry"}));
    }

    void decodesRealFilesAndKeepsTransparency() {
        QTemporaryDir dir;
        QImage png(3, 1, QImage::Format_ARGB32);
        png.setPixel(0, 0, qRgba(255, 0, 0, 255));
        png.setPixel(1, 0, qRgba(0, 255, 0, 0));
        png.setPixel(2, 0, qRgba(0, 0, 255, 255));
        QVERIFY(png.save(dir.filePath("dots.png")));
        QImage bmp(2, 2, QImage::Format_RGB32);
        bmp.fill(qRgb(255, 255, 255));
        QVERIFY(bmp.save(dir.filePath("white.bmp")));
        QVERIFY(QDir(dir.path()).mkdir("out"));

        const Result r = runRastix(
            {"--binary", "--target-dir", "out", "dots.png", "-cry", "white.bmp"}, dir.path());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out.count('\n'), 2);
        QVERIFY(r.out.indexOf("dots.rgb") < r.out.indexOf("white.cry"));
        QCOMPARE(readAll(dir.filePath("out/dots.rgb")), QByteArray::fromHex("f800000007c00000"));
        QCOMPARE(readAll(dir.filePath("out/white.cry")),
                 QByteArray::fromHex("88ff88ff0000000088ff88ff00000000"));
    }

    void badPictureFailsAloneWithStatusOne() {
        QTemporaryDir dir;
        QFile junk(dir.filePath("junk.jpg"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("this is not a JPEG");
        junk.close();
        QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(dir.filePath("ok.bmp")));
        QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(dir.filePath("small.bmp")));
        const Result r =
            runRastix({"junk.jpg", "ok.bmp", "--cut", "4,4:8x8", "small.bmp"}, dir.path());
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err.count('\n'), 2);
        QVERIFY(r.err.contains("junk.jpg"));
        QVERIFY(r.err.contains("small.bmp"));
        QVERIFY(QFile::exists(dir.filePath("ok.s")));
        QVERIFY(!QFile::exists(dir.filePath("junk.s")));
        QVERIFY(!QFile::exists(dir.filePath("small.s")));
    }

    // Names outside ASCII in the picture, the target folder and the working folder.
    void writesWhereverThePicturesAre() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Bilder \u00e4\u00df \u20ac"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/Ausgabe \u00e9")));
        QImage picture(4, 2, QImage::Format_RGB32);
        picture.fill(qRgb(255, 0, 0));
        QVERIFY(picture.save(folder + QStringLiteral("/sch\u00f6n \u03b1.png")));
        const Result r = runRastix({"--binary", "--target-dir", QStringLiteral("Ausgabe \u00e9"),
                                    QStringLiteral("sch\u00f6n \u03b1.png")},
                                   folder);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(readAll(folder + QStringLiteral("/Ausgabe \u00e9/sch\u00f6n \u03b1.rgb")),
                 QByteArray::fromHex("f800f800f800f800f800f800f800f800"));
    }

#ifndef _WIN32 // where control characters can be in a file's name
    // A picture deep in folders, its name holding line breaks: its header keeps one short line,
    // GNU as takes the file, and its equates are global when asked.
    void assemblersTakeAnyNameAndExportedEquates() {
        QTemporaryDir dir;
        QString folder = dir.path();
        for (int depth = 0; depth < 12; ++depth)
            folder += QLatin1Char('/') + QString(250, QLatin1Char('d'));
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(dir.filePath("gas")));
        const QString picture = folder + QStringLiteral("/a\nb\r.png");
        QVERIFY(QImage(4, 4, QImage::Format_RGB32).save(picture));
        QVERIFY(QImage(4, 4, QImage::Format_RGB32).save(dir.filePath("e.png")));
        QCOMPARE(
            runRastix({"--export-equates", picture, "--no-export-equates", "e.png"}, dir.path())
                .status,
            0);
        const QString source = QStringLiteral("a\nb\r.s"); // its label is a_b_
        const QByteArray text = readAll(dir.filePath(source));
        QVERIFY(text.contains("\na_b__width == 4\t; pixels\n"));
        QVERIFY(readAll(dir.filePath("e.s")).contains("\ne_width = 4\t; pixels\n"));
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.size(), readAll(dir.filePath("e.s")).split('\n').size());
        for (const QByteArray& line : lines)
            QVERIFY2(line.size() < 1024, line.left(80).constData());
        QCOMPARE(
            runRastix({"--syntax", "gas", "--export-equates", picture}, dir.filePath("gas")).status,
            0);
        const QString as = QStandardPaths::findExecutable("m68k-linux-gnu-as");
        const QString nm = QStandardPaths::findExecutable("m68k-linux-gnu-nm");
        if (as.isEmpty() || nm.isEmpty())
            QSKIP("no m68k-linux-gnu-as and -nm (binutils-m68k-linux-gnu)");
        QProcess assemble;
        assemble.setWorkingDirectory(dir.filePath("gas"));
        assemble.start(as, {"-o", "a.o", source});
        QVERIFY(assemble.waitForFinished(60000));
        QVERIFY2(assemble.exitCode() == 0, assemble.readAllStandardError().constData());
        QProcess symbols;
        symbols.setWorkingDirectory(dir.filePath("gas"));
        symbols.start(nm, {"a.o"});
        QVERIFY(symbols.waitForFinished(60000));
        QVERIFY(symbols.readAllStandardOutput().contains("00000004 A a_b__width\n"));
    }
#endif

    void helpAndVersion() {
        QTemporaryDir dir;
        Result r = runRastix({"--help"}, dir.path());
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("--opt-clut"));
        r = runRastix({"--version"}, dir.path());
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.startsWith("rastix "));
    }

    // What is printed is part of the result: a full stdout fails the run, a name's newline or
    // escape sequence never splits or colours a line.
    void linesAreKeptAndStayOneLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("fullStdout");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        const QString full = "rastix: cannot write to standard output: No space left on device\n";
        QTest::newRow("wrote") << QStringList{"a.png"} << true << 1 << full;
        QTest::newRow("help") << QStringList{"--help"} << true << 1 << full;
        QTest::newRow("version") << QStringList{"--version"} << true << 1 << full;
#ifndef _WIN32 // where control characters can be in a file's name
        QTest::newRow("missing")
            << QStringList{"no\nsuch\x1b[2J.png"} << false << 1
            << "rastix: no\\nsuch\\x1b[2J.png: cannot read picture: No such file or directory\n";
#endif
        QTest::newRow("folder") << QStringList{"--target-dir", "no\nwhere", "a.png"} << false << 2
                                << "rastix: target directory 'no\\nwhere' does not exist\n";
    }

    void linesAreKeptAndStayOneLine() {
        QFETCH(QStringList, args);
        QFETCH(bool, fullStdout);
        QFETCH(int, status);
        QFETCH(QString, err);
        if (fullStdout && !QFile::exists("/dev/full"))
            QSKIP("no /dev/full on this system");
        QTemporaryDir dir;
        QVERIFY(QImage(4, 4, QImage::Format_RGB32).save(dir.filePath("a.png")));
        QProcess p;
        p.setWorkingDirectory(dir.path());
        if (fullStdout)
            p.setStandardOutputFile("/dev/full");
        p.start(QStringLiteral(RASTIX_PROGRAM), args);
        QVERIFY(p.waitForFinished(60000));
        // Windows writes text lines with CR LF.
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()).replace("\r\n", "\n"), err);
        QCOMPARE(p.exitCode(), status);
    }
};

QTEST_GUILESS_MAIN(TestRastixProgram)
#include "test_program.moc"
