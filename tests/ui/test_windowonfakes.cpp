// The main window runs on the services it is handed and on nothing else: its browser shows the
// fake disk, never the real one, its messages go to the fake prompt, and a real modal box in a
// window test is caught instead of waiting for a click.
#include "main/dirlist.h"
#include "main/drivelist.h"
#include "main/filelist.h"
#include "modalguard.h"
#include "uistyle.h"
#include "windowfixture.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace glyphmill;
using namespace glyphmill::testing;

class TestWindowOnFakes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void browserShowsTheFakeDiskAlone() {
        WindowFixture f;
        f.files.addFolder(kStartFolder + QStringLiteral("Beta"));
        f.files.addFolder(kStartFolder + QStringLiteral("alpha/deeper"));
        f.files.addFile(kStartFolder + QStringLiteral("top.bmp"));
        f.open();

        QStringList folders;
        auto* dir = f.child<DirList>("Dir1");
        for (int row = 0; row < dir->count(); ++row)
            folders.append(dir->item(row)->data(DirList::kPathRole).toString());
        QCOMPARE(folders, QStringList({kStartFolder, kStartFolder + QStringLiteral("alpha"),
                                       kStartFolder + QStringLiteral("Beta")}));
        auto* list = f.child<FileList>("File1");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->entry(0), QStringLiteral("top.bmp"));
        QCOMPARE(f.child<DriveList>("Drive1")->itemText(0), kStartVolume);
        // Both lists asked the fake, for the start folder alone.
        QVERIFY(!f.files.listed.isEmpty());
        QCOMPARE(QSet<QString>(f.files.listed.begin(), f.files.listed.end()),
                 QSet<QString>{kStartFolder});
    }

    void messagesGoToTheFakePrompt() {
        WindowFixture f;
        f.volumes.volumes.append(f.path(QStringLiteral("gone")));
        f.volumes.unreadable.insert(f.path(QStringLiteral("gone")));
        f.open();
        // No converter on the fake disk.
        f.child<QPushButton>("Command3")->click();
        f.child<DriveList>("Drive1")->setDrive(f.path(QStringLiteral("gone")));
        QCOMPARE(f.prompt.messages.size(), 2);
        QVERIFY2(f.prompt.messages[0].text.startsWith(QStringLiteral("Can't find external binary")),
                 qPrintable(f.prompt.messages[0].text));
        QCOMPARE(f.prompt.messages[1].text, QStringLiteral("Unité inaccessible"));
        QVERIFY(f.launcher.started.isEmpty());
    }

    void aRealModalBoxIsCaught() {
        QStringList caught;
        const ModalWindowReaction stop = setModalWindowReaction([&caught](QWidget& window) {
            caught.append(window.windowTitle());
            // Closed from the box's own loop, which has not started yet.
            QTimer::singleShot(0, &window, [&window] { window.close(); });
        });
        // Should the guard miss a box, it is closed a little later and the test fails instead of
        // waiting for ever.
        QTimer rescue;
        connect(&rescue, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        rescue.start(3000);

        MessageBoxPrompt().ask(nullptr, {QStringLiteral("Real box"), QStringLiteral("No one reads"),
                                         Prompt::Icon::Warning, Prompt::Buttons::OkCancel});
        QDialog dialog;
        dialog.setWindowTitle(QStringLiteral("Real dialog"));
        dialog.exec();
        setModalWindowReaction(stop);
        QCOMPARE(caught, QStringList({QStringLiteral("Real box"), QStringLiteral("Real dialog")}));
    }
};

QTEST_MAIN(TestWindowOnFakes)
#include "test_windowonfakes.moc"
