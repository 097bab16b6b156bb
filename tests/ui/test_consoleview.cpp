#include "folderlisting.h"
#include "main/consoleview.h"
#include "main/dirlist.h"
#include "main/filelist.h"
#include "pictureloader.h"
#include "uistyle.h"
#include "windowfixture.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace glyphmill;
using namespace glyphmill::testing;

namespace {

const QRgb kColours[] = {qRgb(248, 0, 0), qRgb(0, 252, 0), qRgb(0, 0, 248), qRgb(128, 128, 128)};

// Four pixels a row in the colours above, two rows; each colour the console shows exactly.
QImage fourColours() {
    QImage picture(4, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x)
            picture.setPixel(x, y, kColours[x]);
    }
    return picture;
}

QByteArray pngOf(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

const char kMetadata[] = R"({
  "data_bytes": 640, "palette_bytes": 32, "phrases": 5, "depth": 2, "bits_per_pixel": 4,
  "palette_entries": 16, "bank": 3, "warnings": ["too wide for one object"]
})";

// What the converter writes for a finished run: the shown picture and its metadata.
void writeOutputs(const QString& folder, const QImage& shown, const QByteArray& metadata) {
    QFile png(QDir(folder).filePath(QStringLiteral("ship.shown.png")));
    QVERIFY(png.open(QIODevice::WriteOnly));
    png.write(pngOf(shown));
    QFile json(QDir(folder).filePath(QStringLiteral("ship.json")));
    QVERIFY(json.open(QIODevice::WriteOnly));
    json.write(metadata);
}

BackgroundEnd exited(int status, const QByteArray& errors = {}) {
    BackgroundEnd end;
    end.started = true;
    end.end = {ProcessEnd::How::Exited, status};
    end.errors = errors;
    return end;
}

} // namespace

class TestConsoleView : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> m_f;

    FakeBackgroundRunner& runner() const { return m_f->runner; }
    ConsoleView* view() const { return m_f->child<ConsoleView>("ConsoleView"); }
    QString cost() const { return m_f->child<QLabel>("LabelConsoleCost")->text(); }
    bool busy() const { return m_f->child<QLabel>("LabelConsoleBusy")->isVisible(); }

    void clickNamed(const char* name) {
        auto* button = m_f->child<QAbstractButton>(name);
        QVERIFY2(button, name);
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(4, button->height() / 2));
    }

    // Opens the window at a folder holding ship.png and picks it.
    void openAndPick() {
        m_f->makeFile(QStringLiteral("pics/ship.png"), pngOf(fourColours()));
        m_f->open();
        m_f->window->show();
        m_f->child<DirList>("Dir1")->setPath(m_f->path(QStringLiteral("pics")));
        m_f->window->Show_preview(QStringLiteral("ship.png"), m_f->path(QStringLiteral("pics")));
    }

    // Ends run `index` as the converter does when it succeeds, and waits for the view.
    void succeed(qsizetype index, const QImage& shown = fourColours()) {
        writeOutputs(runner().outputFolder(index), shown, kMetadata);
        QSignalSpy shownSpy(view(), &ConsoleView::resultShown);
        runner().finish(index, exited(0));
        QVERIFY(shownSpy.wait(5000));
    }

    // Lets the queued run start.
    static void turn() { QCoreApplication::processEvents(); }

private slots:
    void initTestCase() { applyUiStyle(*qApp); }
    void init() { m_f = std::make_unique<WindowFixture>(); }
    void cleanup() { m_f.reset(); }

    void offByDefaultThePreviewShowsAndNothingRuns() {
        openAndPick();
        turn();
        QVERIFY(!m_f->child<QCheckBox>("CheckConsole")->isChecked());
        QVERIFY(m_f->widget("Image1")->isVisible());
        QVERIFY(!view()->isVisible());
        QVERIFY(runner().runs.isEmpty());
    }

    void theSwitchShowsThePictureTheConverterMade() {
        openAndPick();
        clickNamed("CheckConsole");
        turn();
        QCOMPARE(runner().runs.size(), 1);
        const auto& run = runner().runs.first();
#ifdef _WIN32
        QCOMPARE(run.program, QStringLiteral("/opt/glyphmill\\rastix.exe"));
#else
        QCOMPARE(run.program, QStringLiteral("/opt/glyphmill/rastix"));
#endif
        QCOMPARE(run.workingDirectory, m_f->path(QStringLiteral("pics")));
        QCOMPARE(run.arguments.last(), QStringLiteral("ship.png"));
        QVERIFY(run.arguments.contains(QStringLiteral("--show-png")));
        QVERIFY(runner().outputFolder(0).startsWith(QDir::toNativeSeparators(QDir::tempPath())));
        QVERIFY(busy());

        const QImage shown = fourColours().mirrored(true, false);
        succeed(0, shown);
        QVERIFY(view()->isVisible());
        QVERIFY(!m_f->widget("Image1")->isVisible());
        QVERIFY(!busy());
        QCOMPARE(view()->shownPicture().size(), QSize(4, 2));
        for (int x = 0; x < 4; ++x)
            QCOMPARE(view()->shownPicture().pixel(x, 1), shown.pixel(x, 1));
        QCOMPARE(cost(), QStringLiteral("640 bytes + 32 of palette, 5 phrases a line, depth 2 (4 "
                                        "bits), 16 palette entries, bank 3\n"
                                        "Warning: too wide for one object"));
        // The run's folder is the view's own, and emptied once read.
        QTRY_VERIFY(!QDir(runner().outputFolder(0)).exists());

        clickNamed("CheckConsole");
        QVERIFY(m_f->widget("Image1")->isVisible());
        QVERIFY(!view()->isVisible());
    }

    void anOptionClickStopsTheRunAndItsResultIsNeverShown() {
        openAndPick();
        clickNamed("CheckConsole");
        turn();
        clickNamed("OptionCRY");
        turn();
        QCOMPARE(runner().runs.size(), 2);
        QVERIFY(runner().runs[0].stopped);
        QVERIFY(runner().runs[1].arguments.contains(QStringLiteral("-cry")));

        writeOutputs(runner().outputFolder(0), fourColours(), kMetadata);
        runner().finish(0, exited(0));
        QTest::qWait(50);
        QVERIFY(view()->shownPicture().isNull());
        QVERIFY(busy());
        QVERIFY(!QDir(runner().outputFolder(0)).exists());

        succeed(1);
        QCOMPARE(view()->shownPicture().pixel(0, 0), kColours[0]);
    }

    void aBurstOfClicksMakesOneRun() {
        openAndPick();
        clickNamed("CheckConsole");
        turn();
        succeed(0);
        clickNamed("OptionCLUT");
        clickNamed("OptionCRY");
        clickNamed("OptionAssembly");
        turn();
        QCOMPARE(runner().runs.size(), 2);
        // Back to what is shown: nothing needs to run.
        clickNamed("OptionTC");
        clickNamed("OptionRGB");
        clickNamed("OptionBinary");
        turn();
        QVERIFY(runner().runs[1].stopped);
        QCOMPARE(runner().runs.size(), 2);
    }

    void aRefusalShowsTheConvertersLineInTheViewsPlace() {
        openAndPick();
        clickNamed("CheckConsole");
        turn();
        QSignalSpy shownSpy(view(), &ConsoleView::resultShown);
        runner().finish(0, exited(2, "wrote nothing\nrastix: ship.png: the cut lies outside\n"));
        QCOMPARE(shownSpy.size(), 1);
        QCOMPARE(view()->message(), QStringLiteral("rastix: ship.png: the cut lies outside"));
        QVERIFY(m_f->child<QLabel>("LabelConsoleMessage")->isVisible());
        QVERIFY(m_f->prompt.messages.isEmpty());
        QVERIFY(!busy());
    }

    // Switched off, the picture may be rewritten; switched on again, it is converted anew.
    void switchingOnAgainConvertsAnew() {
        openAndPick();
        clickNamed("CheckConsole");
        turn();
        succeed(0);
        clickNamed("CheckConsole");
        clickNamed("CheckConsole");
        turn();
        QCOMPARE(runner().runs.size(), 2);
    }

    // Over the view, a drop does what it does over the preview the view covers.
    void aDropOnTheViewReplacesTheSelection() {
        m_f->makeFile(QStringLiteral("pics/boat.png"), pngOf(fourColours()));
        openAndPick();
        clickNamed("CheckConsole");
        turn();
        const auto data = fileListData({m_f->path(QStringLiteral("pics/boat.png"))});
        QVERIFY(drop(m_f->widget("ScrollConsole"), data.get()));
        QCOMPARE(m_f->child<FileList>("File1")->selectedNames(),
                 QStringList({QStringLiteral("boat.png")}));
    }

    void zoomDrawsSharpSquares() {
        openAndPick();
        clickNamed("CheckConsole");
        turn();
        succeed(0);
        clickNamed("OptionZoom4");
        auto* picture = m_f->child<QWidget>("PictureConsole");
        QCOMPARE(picture->size(), QSize(16, 8));
        const QImage drawn = picture->grab().toImage();
        for (int x = 0; x < 16; ++x)
            QCOMPARE(drawn.pixel(x, 5), kColours[x / 4]);
        clickNamed("OptionZoom2");
        QCOMPARE(picture->size(), QSize(8, 4));
    }

    // The converter itself, as built, on a picture on disk in a folder whose name has a blank.
    void theRealConverterShowsThePicturesPixels() {
        QTemporaryDir disk;
        const QString folder = QDir::toNativeSeparators(disk.filePath(QStringLiteral("my pics")));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(fourColours().save(QDir(folder).filePath(QStringLiteral("ship.png"))));
        SystemFileAttributes files;
        SystemFolderListing listing;
        ImageReaderPictureLoader pictures;
        ProcessBackgroundRunner realRunner;
        MainWindowServices services = m_f->services();
        services.convention = PathConvention::native();
        services.appFolder = QDir::toNativeSeparators(QStringLiteral(GLYPHMILL_RASTIX_FOLDER));
        services.files = &files;
        services.listing = &listing;
        services.pictures = &pictures;
        services.runner = &realRunner;
        FormMain window(services);
        window.show();
        window.findChild<DirList*>(QStringLiteral("Dir1"))->setPath(folder);
        auto* list = window.findChild<FileList*>(QStringLiteral("File1"));
        QCOMPARE(list->entry(0), QStringLiteral("ship.png"));
        const QModelIndex first = list->model()->index(0, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualRect(first).center());
        auto* consoleView = window.findChild<ConsoleView*>(QStringLiteral("ConsoleView"));
        QSignalSpy shownSpy(consoleView, &ConsoleView::resultShown);
        auto* check = window.findChild<QCheckBox*>(QStringLiteral("CheckConsole"));
        QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, QPoint(4, check->height() / 2));
        QVERIFY(shownSpy.wait(20000));
        QVERIFY2(consoleView->message().isEmpty(), qPrintable(consoleView->message()));
        const QImage shown = consoleView->shownPicture();
        QCOMPARE(shown.size(), QSize(4, 2));
        for (int x = 0; x < 4; ++x)
            QCOMPARE(QColor(shown.pixel(x, 0)), QColor(kColours[x]));
        const QString costLine =
            window.findChild<QLabel*>(QStringLiteral("LabelConsoleCost"))->text();
        // Four pixels of 16 bits pad to one phrase a line: 2 lines of 8 bytes.
        QVERIFY2(costLine.startsWith(QStringLiteral("16 bytes, 1 phrase a line")),
                 qPrintable(costLine));
    }
};

QTEST_MAIN(TestConsoleView)
#include "test_consoleview.moc"
