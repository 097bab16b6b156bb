#include "files/pictureformats.h"
#include "main/dirlist.h"
#include "main/filelist.h"
#include "tgafiles.h"
#include "uistyle.h"
#include "windowfixture.h"

#include <QBuffer>
#include <QGroupBox>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QTest>

using namespace glyphmill;
using namespace glyphmill::testing;

class TestPreview : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> m_f;

    FileList* file1() const { return m_f->child<FileList>("File1"); }
    QWidget* image1() const { return m_f->widget("Image1"); }
    QString frameTitle() const { return m_f->child<QGroupBox>("Frame1")->title(); }
    QString width() const { return m_f->child<QLabel>("LabelWidth")->text(); }
    QString height() const { return m_f->child<QLabel>("LabelHeight")->text(); }
    QPixmap shown() const { return m_f->child<QLabel>("Image1")->pixmap(); }

    // A picture in the folder of pictures, its bytes as `format` writes them.
    bool savePicture(const QString& name, QSize size, const char* format) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(QColor(30, 120, 200));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, format))
            return false;
        m_f->makeFile(QStringLiteral("pics/") + name, bytes);
        return true;
    }

    // A 1 x 1 GIF: Qt writes none.
    static QByteArray tinyGif() {
        QByteArray gif("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13);
        gif.append("\xFF\xFF\xFF\x00\x00\x00", 6);
        gif.append("\x2C\x00\x00\x00\x00\x01\x00\x01\x00", 9);
        gif.append("\x00\x02\x02\x44\x01\x00\x3B", 7);
        return gif;
    }

    // Clicks the entry `name` of the file list, as the user picks a file.
    void click(const QString& name) {
        int row = -1;
        for (int i = 0; i < file1()->count(); ++i) {
            if (file1()->entry(i) == name)
                row = i;
        }
        QVERIFY2(row >= 0, qPrintable(name));
        const QModelIndex index = file1()->model()->index(row, 0);
        file1()->scrollTo(index);
        QTest::mouseClick(file1()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          file1()->visualRect(index).center());
        QCOMPARE(file1()->fileName(), name);
    }

    void openAtPictures() {
        m_f->open();
        m_f->window->show();
        m_f->child<DirList>("Dir1")->setPath(m_f->path(QStringLiteral("pics")));
    }

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void init() {
        m_f = std::make_unique<WindowFixture>();
        m_f->makeFolder(QStringLiteral("pics"));
    }

    void cleanup() { m_f.reset(); }

    void tallPictureFitsTheHeightAndSitsCentred() {
        QVERIFY(savePicture(QStringLiteral("tall.bmp"), QSize(100, 1000), "BMP"));
        openAtPictures();
        click(QStringLiteral("tall.bmp"));
        QCOMPARE(frameTitle(), QStringLiteral("Preview of <tall.bmp>"));
        QCOMPARE(width(), QStringLiteral("100"));
        QCOMPARE(height(), QStringLiteral("1000"));
        // 337 x 3375 twips at left 2179, top 240.
        QCOMPARE(image1()->geometry(), QRect(145, 16, 22, 225));
        QVERIFY(!shown().isNull());
        QVERIFY2(m_f->command().endsWith(QStringLiteral(" tall.bmp")), qPrintable(m_f->command()));
    }

    void pictureOfTheBoxAspectFillsTheBox() {
        QVERIFY(savePicture(QStringLiteral("same.bmp"), QSize(264, 200), "BMP"));
        openAtPictures();
        click(QStringLiteral("same.bmp"));
        QCOMPARE(image1()->geometry(), QRect(8, 16, 297, 225));
    }

    void widePictureSitsTwoThirdsDown() {
        QVERIFY(savePicture(QStringLiteral("wide.gif"), QSize(600, 100), "BMP"));
        openAtPictures();
        click(QStringLiteral("wide.gif"));
        // 4455 x 742 twips; (3735 - 742) * 2 / 3 = 1995.3 twips from the top of the frame.
        QCOMPARE(image1()->geometry(), QRect(8, 133, 297, 49));
        QCOMPARE(width(), QStringLiteral("600"));
    }

    void largePictureIsDecodedAtTheSizeShown() {
        QVERIFY(savePicture(QStringLiteral("Photo.JPG"), QSize(3000, 2000), "JPEG"));
        openAtPictures();
        click(QStringLiteral("Photo.JPG"));
        QCOMPARE(frameTitle(), QStringLiteral("Preview of <Photo.JPG>"));
        QCOMPARE(width(), QStringLiteral("3000"));
        QCOMPARE(height(), QStringLiteral("2000"));
        QCOMPARE(image1()->geometry().size(), QSize(297, 198));
        QVERIFY2(shown().width() <= 297 && shown().height() <= 198,
                 qPrintable(QStringLiteral("%1 x %2").arg(shown().width()).arg(shown().height())));
    }

    void everyFormatTheConverterReadsIsPreviewed_data() {
        QTest::addColumn<QString>("name");
        for (const rastix::PictureFormat& format : rastix::kPictureFormats) {
            for (std::string_view ending : format.endings) {
                if (!ending.empty()) {
                    const QString name = QStringLiteral("picture") +
                                         QString::fromLatin1(ending.data(), ending.size());
                    QTest::newRow(qPrintable(name)) << name;
                }
            }
        }
    }

    void everyFormatTheConverterReadsIsPreviewed() {
        QFETCH(QString, name);
        const QByteArray suffix = name.section(QLatin1Char('.'), -1).toLatin1();
        QSize size(7, 5);
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(QColor(30, 120, 200));
        QByteArray bytes;
        if (suffix == "gif") {
            bytes = tinyGif();
            size = QSize(1, 1);
        } else if (suffix == "tga") {
            tgafiles::Layout layout{2, 24};
            layout.footer = true;
            bytes = tgafiles::writeTga(picture, layout);
        } else {
            QBuffer buffer(&bytes);
            QVERIFY(buffer.open(QIODevice::WriteOnly));
            QImageWriter writer(&buffer, suffix);
            QVERIFY2(writer.write(picture), qPrintable(writer.errorString()));
        }
        m_f->makeFile(QStringLiteral("pics/") + name, bytes);
        openAtPictures();
        click(name);
        QVERIFY2(m_f->prompt.messages.isEmpty(), qPrintable(m_f->prompt.messages.value(0).text));
        QCOMPARE(frameTitle(), QStringLiteral("Preview of <") + name + QStringLiteral(">"));
        QCOMPARE(width(), QString::number(size.width()));
        QCOMPARE(height(), QString::number(size.height()));
        QVERIFY(!shown().isNull());
    }

    // Qt's TGA reader knows only files with a TGA 2.0 footer; the converter reads them all.
    void tgaWithoutFooterIsPreviewed() {
        QImage picture(QSize(7, 5), QImage::Format_RGB32);
        picture.fill(QColor(30, 120, 200));
        m_f->makeFile(QStringLiteral("pics/plain.tga"), tgafiles::writeTga(picture, {2, 24}));
        openAtPictures();
        click(QStringLiteral("plain.tga"));
        QVERIFY2(m_f->prompt.messages.isEmpty(), qPrintable(m_f->prompt.messages.value(0).text));
        QCOMPARE(width(), QStringLiteral("7"));
        const QImage image = shown().toImage();
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), QColor(30, 120, 200));
    }

    void nameTestLooksAnywhereInTheName() {
        QVERIFY(savePicture(QStringLiteral("notes.bmp.txt"), QSize(40, 30), "BMP"));
        openAtPictures();
        click(QStringLiteral("notes.bmp.txt"));
        QCOMPARE(frameTitle(), QStringLiteral("Preview of <notes.bmp.txt>"));
        QCOMPARE(width(), QStringLiteral("40"));
    }

    void otherFilesResetThePreview() {
        QVERIFY(savePicture(QStringLiteral("a.bmp"), QSize(40, 30), "BMP"));
        m_f->makeFile(QStringLiteral("pics/readme.txt"));
        openAtPictures();
        click(QStringLiteral("a.bmp"));
        QCOMPARE(width(), QStringLiteral("40"));
        click(QStringLiteral("readme.txt"));
        QCOMPARE(frameTitle(), QStringLiteral("Preview"));
        QCOMPARE(width(), QStringLiteral("0"));
        QCOMPARE(height(), QStringLiteral("0"));
        QVERIFY(shown().isNull());
        QVERIFY(m_f->command().endsWith(QStringLiteral(" readme.txt")));
        QVERIFY(m_f->prompt.messages.isEmpty());
    }

    void brokenPictureIsReportedAndResetsThePreview() {
        QVERIFY(savePicture(QStringLiteral("good.bmp"), QSize(40, 30), "BMP"));
        m_f->makeFile(QStringLiteral("pics/broken.jpg"), "this is no picture at all");
        openAtPictures();
        click(QStringLiteral("good.bmp"));
        click(QStringLiteral("broken.jpg"));
        QCOMPARE(m_f->prompt.messages.size(), 1);
        const Prompt::Message& message = m_f->prompt.messages.first();
        QCOMPARE(message.title, QStringLiteral("Glyphmill"));
        QVERIFY2(message.text.contains(m_f->path(QStringLiteral("pics/broken.jpg"))),
                 qPrintable(message.text));
        QCOMPARE(message.buttons, Prompt::Buttons::Ok);
        QCOMPARE(frameTitle(), QStringLiteral("Preview"));
        QCOMPARE(width(), QStringLiteral("0"));
        QVERIFY(shown().isNull());
        QVERIFY(m_f->command().endsWith(QStringLiteral(" broken.jpg")));
        // Still usable: the next picture shows.
        click(QStringLiteral("good.bmp"));
        QCOMPARE(width(), QStringLiteral("40"));
    }

    void hugeOrTruncatedPicturesNeverCrash() {
        // A bitmap header that claims 100000 x 100000 pixels and carries none.
        QByteArray huge("BM");
        auto put32 = [&huge](quint32 v) {
            for (int i = 0; i < 4; ++i)
                huge.append(char((v >> (8 * i)) & 0xff));
        };
        auto put16 = [&huge](quint16 v) {
            huge.append(char(v & 0xff));
            huge.append(char(v >> 8));
        };
        put32(54 + 16);
        put32(0);
        put32(54);
        put32(40);
        put32(100000);
        put32(100000);
        put16(1);
        put16(24);
        for (int i = 0; i < 6; ++i)
            put32(0);
        huge.append(QByteArray(16, '\x7f'));
        m_f->makeFile(QStringLiteral("pics/huge.bmp"), huge);

        QImage photo(800, 600, QImage::Format_RGB32);
        photo.fill(Qt::red);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(photo.save(&buffer, "JPEG"));
        m_f->makeFile(QStringLiteral("pics/cut.jpg"), jpeg.left(jpeg.size() / 3));

        openAtPictures();
        for (const QString& name : {QStringLiteral("huge.bmp"), QStringLiteral("cut.jpg")}) {
            m_f->prompt.messages.clear();
            click(name);
            // Either the reader made something of it and the sizes show, or it was reported
            // and the preview is empty; never a half-set preview.
            if (m_f->prompt.messages.isEmpty()) {
                QVERIFY(!shown().isNull());
                QCOMPARE(frameTitle(), QStringLiteral("Preview of <%1>").arg(name));
                QVERIFY(width() != QStringLiteral("0"));
            } else {
                QCOMPARE(m_f->prompt.messages.size(), 1);
                QVERIFY(m_f->prompt.messages.first().text.contains(name));
                QCOMPARE(frameTitle(), QStringLiteral("Preview"));
                QCOMPARE(width(), QStringLiteral("0"));
                QVERIFY(shown().isNull());
            }
        }
        // The claimed size is far past what may be allocated: it must be the report.
        m_f->prompt.messages.clear();
        click(QStringLiteral("huge.bmp"));
        QCOMPARE(m_f->prompt.messages.size(), 1);
    }
};

QTEST_MAIN(TestPreview)
#include "test_preview.moc"
