#include "pathconvention.h"
#include "pictureloader.h"
#include "volumes.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphmill;

class TestPictureLoader : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString save(const QString& name, QSize size, const char* format) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        const QString path = m_dir.filePath(name);
        return picture.save(path, format) ? path : QString();
    }

private slots:
    void largePictureIsDecodedSmall() {
        const QString path = save(QStringLiteral("big.jpg"), QSize(2400, 1600), "JPEG");
        QVERIFY(!path.isEmpty());
        QSize asked;
        const LoadedPicture picture = ImageReaderPictureLoader().load(path, [&asked](QSize s) {
            asked = s;
            return QSize(240, 160);
        });
        QVERIFY2(picture.ok(), qPrintable(picture.error));
        QCOMPARE(asked, QSize(2400, 1600));
        QCOMPARE(picture.size, QSize(2400, 1600));
        QCOMPARE(picture.image.size(), QSize(240, 160));
    }

    void smallPictureKeepsItsOwnSize() {
        const QString path = save(QStringLiteral("small.bmp"), QSize(16, 8), "BMP");
        const LoadedPicture picture =
            ImageReaderPictureLoader().load(path, [](QSize) { return QSize(297, 148); });
        QVERIFY(picture.ok());
        QCOMPARE(picture.image.size(), QSize(16, 8));
    }

    void contentDecidesNotTheName() {
        const QString path = save(QStringLiteral("picture.gif.txt"), QSize(10, 20), "BMP");
        const LoadedPicture picture = ImageReaderPictureLoader().load(path, {});
        QVERIFY2(picture.ok(), qPrintable(picture.error));
        QCOMPARE(picture.size, QSize(10, 20));
    }

    void failuresSayWhy() {
        QFile junk(m_dir.filePath(QStringLiteral("junk.bmp")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("BM but nothing else of a bitmap");
        junk.close();
        for (const QString& path :
             {junk.fileName(), m_dir.filePath(QStringLiteral("none.gif")), m_dir.path()}) {
            const LoadedPicture picture = ImageReaderPictureLoader().load(path, {});
            QVERIFY(!picture.ok());
            QVERIFY2(!picture.error.isEmpty(), qPrintable(path));
            QVERIFY(picture.image.isNull());
        }
    }

    // Bytes in memory are read as the file holding them is: the same size, and as small.
    void picturesInMemoryDecodeAsFilesDo() {
        const QString path = save(QStringLiteral("big.png"), QSize(600, 300), "PNG");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QImageReader reader(&buffer);
        const auto shown = [](QSize) {
            return QSize(60, 30);
        };
        const LoadedPicture fromMemory = readPicture(reader, shown);
        const LoadedPicture fromFile = ImageReaderPictureLoader().load(path, shown);
        QVERIFY2(fromMemory.ok(), qPrintable(fromMemory.error));
        QCOMPARE(fromMemory.size, fromFile.size);
        QCOMPARE(fromMemory.image, fromFile.image);
        QCOMPARE(fromMemory.image.size(), QSize(60, 30));
    }

    void systemVolumesStartAtTheRoot() {
        const SystemVolumes volumes;
        const QStringList names = volumes.names();
        QVERIFY(!names.isEmpty());
#ifdef _WIN32
        // Drive letters as the drive list shows them (Wine has c: and z:).
        QCOMPARE(names.first(), QStringLiteral("c:"));
        for (const QString& name : names)
            QVERIFY2(name.size() == 2 && name[0].isLower() && name[1] == QLatin1Char(':'),
                     qPrintable(name));
        QCOMPARE(PathConvention::native().converterPath("c:\\Glyphmill"),
                 std::string("c:\\Glyphmill\\rastix.exe"));
#else
        QCOMPARE(names.first(), QStringLiteral("/"));
        for (const QString& name : names) {
            QVERIFY2(!name.startsWith(QStringLiteral("/proc")) &&
                         !name.startsWith(QStringLiteral("/sys")),
                     qPrintable(name));
        }
        QCOMPARE(PathConvention::native().converterPath("/opt/glyphmill"),
                 std::string("/opt/glyphmill/rastix"));
#endif
        QVERIFY(volumes.isReadable(names.first()));
        QVERIFY(!volumes.isReadable(m_dir.filePath(QStringLiteral("not-there"))));
    }
};

QTEST_MAIN(TestPictureLoader)
#include "test_pictureloader.moc"
