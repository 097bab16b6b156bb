#include "cursorfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphmill;

namespace {

void put16(QByteArray& b, quint32 v) {
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}

void put32(QByteArray& b, quint32 v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

// A 2 x 2 one-bit cursor: palette black and white; top row white, black; bottom row masked
// out on the left. Hot spot (1, 0).
QByteArray oneBitCursor() {
    QByteArray picture;
    put32(picture, 40);
    put32(picture, 2);
    put32(picture, 4);
    put16(picture, 1);
    put16(picture, 1);
    for (int i = 0; i < 6; ++i)
        put32(picture, 0);
    put32(picture, 0x000000); // palette 0: black
    put32(picture, 0xffffff); // palette 1: white
    // Rows are stored bottom-up, each padded to four bytes; the first pixel is the top bit.
    auto row = [&picture](unsigned char bits) {
        picture.append(char(bits));
        picture.append(QByteArray(3, '\0'));
    };
    row(0x40); // bottom row: black, white
    row(0x80); // top row: white, black
    row(0x80); // mask, bottom row: the left pixel is transparent
    row(0x00); // mask, top row: all opaque
    QByteArray file;
    put16(file, 0);
    put16(file, 2);
    put16(file, 1);
    file.append(char(2));
    file.append(char(2));
    file.append(char(0));
    file.append(char(0));
    put16(file, 1);
    put16(file, 0);
    put32(file, static_cast<quint32>(picture.size()));
    put32(file, 22);
    return file + picture;
}

} // namespace

class TestCursorFile : public QObject {
    Q_OBJECT

private slots:
    void readsOneBitPicturesWithTheirMask() {
        QString error;
        const CursorImage cursor = readCursor(oneBitCursor(), &error);
        QVERIFY2(!cursor.image.isNull(), qPrintable(error));
        QCOMPARE(cursor.image.size(), QSize(2, 2));
        QCOMPARE(cursor.hotSpot, QPoint(1, 0));
        QCOMPARE(cursor.image.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(cursor.image.pixel(1, 0), qRgb(0, 0, 0));
        QCOMPARE(qAlpha(cursor.image.pixel(0, 1)), 0);
        QCOMPARE(cursor.image.pixel(1, 1), qRgb(255, 255, 255));
    }

    void readsTheProjectsCursors() {
        const QDir folder(QStringLiteral(GLYPHMILL_CURSOR_DIR));
        QString error;
        const CursorImage hwe = readCursorFile(folder.filePath(QStringLiteral("hwe.cur")), &error);
        QVERIFY2(!hwe.image.isNull(), qPrintable(error));
        QCOMPARE(hwe.image.size(), QSize(32, 32));
        QCOMPARE(hwe.hotSpot, QPoint(0, 0));
        QCOMPARE(hwe.image.pixel(0, 0), qRgb(0, 0, 0)); // the arrow's tip
        QCOMPARE(qAlpha(hwe.image.pixel(31, 0)), 0);
        QCOMPARE(hwe.image.pixel(15, 22), qRgb(255, 206, 84)); // the folder

        const CursorImage beam =
            readCursorFile(folder.filePath(QStringLiteral("hibeam.cur")), &error);
        QVERIFY2(!beam.image.isNull(), qPrintable(error));
        QCOMPARE(beam.hotSpot, QPoint(12, 14));
        QCOMPARE(beam.image.pixel(12, 14), qRgb(255, 255, 255)); // inside the beam
    }

    void refusesWhatIsNoCursor() {
        QString error;
        QByteArray icon = oneBitCursor();
        icon[2] = 1; // an icon, not a cursor
        QVERIFY(readCursor(icon, &error).image.isNull());
        QVERIFY(!error.isEmpty());
        QVERIFY(readCursor(QByteArray(), &error).image.isNull());
        QVERIFY(readCursor(oneBitCursor().left(40), &error).image.isNull());
        QByteArray outside = oneBitCursor();
        outside[18] = char(0x7f); // picture offset far beyond the end
        QVERIFY(readCursor(outside, &error).image.isNull());
        QVERIFY(readCursorFile(QStringLiteral("/nonexistent/cursor.cur"), &error).image.isNull());
    }

    void paddingPutsTheHotSpotInTheCentre() {
        CursorImage cursor;
        cursor.image = QImage(32, 32, QImage::Format_ARGB32);
        cursor.image.fill(Qt::transparent);
        cursor.image.setPixel(3, 5, qRgb(255, 0, 0));
        cursor.hotSpot = QPoint(3, 5);
        const QImage padded = centredOnHotSpot(cursor).toImage();
        QCOMPARE(padded.width(), padded.height());
        QCOMPARE(padded.pixel(padded.width() / 2, padded.height() / 2), qRgb(255, 0, 0));
    }

    void lookupTriesTheWorkingFolderThenTheApplicationFolder() {
        QTemporaryDir work;
        QTemporaryDir app;
        QVERIFY(work.isValid() && app.isValid());
        QVERIFY(QDir(app.path()).mkdir(QStringLiteral("cursors")));
        QVERIFY(QFile::copy(QStringLiteral(GLYPHMILL_CURSOR_DIR "/hibeam.cur"),
                            app.filePath(QStringLiteral("cursors/hibeam.cur"))));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        const CursorFolderDragCursors cursors(app.path());
        const QPixmap fromApp = cursors.load(QStringLiteral("hibeam.cur"));
        const QPixmap missing = cursors.load(QStringLiteral("hwe.cur"));
        QVERIFY(QDir(work.path()).mkdir(QStringLiteral("cursors")));
        QVERIFY(QFile::copy(QStringLiteral(GLYPHMILL_CURSOR_DIR "/hwe.cur"),
                            work.filePath(QStringLiteral("cursors/hwe.cur"))));
        const QPixmap fromWork = cursors.load(QStringLiteral("hwe.cur"));
        QVERIFY(QDir::setCurrent(before));
        QVERIFY(!fromApp.isNull());
        QVERIFY(missing.isNull()); // the drag keeps Qt's own cursor
        QVERIFY(!fromWork.isNull());
    }

    void lookupEndsInTheInstalledDataFolderBesideTheProgramsFolder() {
        QTemporaryDir work;
        QTemporaryDir prefix;
        QVERIFY(work.isValid() && prefix.isValid());
        const QDir root(prefix.path());
        const QString bin = root.filePath(QStringLiteral("bin"));
        const QString data = root.filePath(QStringLiteral("share/glyphmill/cursors"));
        QVERIFY(root.mkpath(QStringLiteral("bin/cursors")) && root.mkpath(data));
        QVERIFY(QFile::copy(QStringLiteral(GLYPHMILL_CURSOR_DIR "/hwe.cur"),
                            QDir(data).filePath(QStringLiteral("hwe.cur"))));
        QVERIFY(QFile::copy(QStringLiteral(GLYPHMILL_CURSOR_DIR "/hibeam.cur"),
                            QDir(data).filePath(QStringLiteral("hibeam.cur"))));
        QVERIFY(QFile::copy(QStringLiteral(GLYPHMILL_CURSOR_DIR "/hibeam.cur"),
                            QDir(bin).filePath(QStringLiteral("cursors/hibeam.cur"))));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        const CursorFolderDragCursors cursors(bin);
        const QString installed = cursors.locate(QStringLiteral("hwe.cur"));
        const QString besideProgram = cursors.locate(QStringLiteral("hibeam.cur"));
        const bool loads = !cursors.load(QStringLiteral("hwe.cur")).isNull();
        QVERIFY(QDir::setCurrent(before));
        QCOMPARE(installed, QDir(data).filePath(QStringLiteral("hwe.cur")));
        QCOMPARE(besideProgram, QDir(bin).filePath(QStringLiteral("cursors/hibeam.cur")));
        QVERIFY(loads);
    }
};

QTEST_MAIN(TestCursorFile)
#include "test_cursorfile.moc"
