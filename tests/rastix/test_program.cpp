// Runs the built converter as the front-end does, on real picture files.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
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

} // namespace

class TestRastixProgram : public QObject {
    Q_OBJECT

private slots:
    void faultyCommandLinesWriteNothing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("zero width") << QStringList{"a.png", "--cut", "10,20:0x5"};
        QTest::newRow("rotate abc") << QStringList{"a.png", "--rotate", "abc"};
        QTest::newRow("missing dir") << QStringList{"--target-dir", "nowhere", "a.png"};
        QTest::newRow("unknown") << QStringList{"a.png", "--sparkle"};
        QTest::newRow("no value") << QStringList{"a.png", "--rotate"};
        QTest::newRow("no picture") << QStringList{"--binary"};
    }

    void faultyCommandLinesWriteNothing() {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        QVERIFY(QImage(4, 4, QImage::Format_RGB32).save(dir.filePath("a.png")));
        const Result r = runRastix(args, dir.path());
        QCOMPARE(r.status, 2);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.err.startsWith("rastix: "));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.png"});
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

    void helpAndVersion() {
        QTemporaryDir dir;
        Result r = runRastix({"--help"}, dir.path());
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("--opt-clut"));
        r = runRastix({"--version"}, dir.path());
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.startsWith("rastix "));
    }
};

QTEST_GUILESS_MAIN(TestRastixProgram)
#include "test_program.moc"
