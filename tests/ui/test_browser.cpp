#include "main/dirlist.h"
#include "main/drivelist.h"
#include "main/filelist.h"
#include "uistyle.h"
#include "windowfixture.h"

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace glyphmill;
using namespace glyphmill::testing;

class TestBrowser : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> m_f;

    DriveList* drive1() const { return m_f->child<DriveList>("Drive1"); }
    DirList* dir1() const { return m_f->child<DirList>("Dir1"); }
    FileList* file1() const { return m_f->child<FileList>("File1"); }

    QStringList dirEntries() const {
        QStringList paths;
        for (int i = 0; i < dir1()->count(); ++i)
            paths.append(dir1()->item(i)->data(DirList::kPathRole).toString());
        return paths;
    }

    QStringList fileEntries() const {
        QStringList names;
        for (int i = 0; i < file1()->count(); ++i)
            names.append(file1()->entry(i));
        return names;
    }

    void sendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
                   Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void init() {
        m_f = std::make_unique<WindowFixture>();
        m_f->makeFile(QStringLiteral("pics/b.bmp"));
        m_f->makeFile(QStringLiteral("pics/A.bmp"));
        m_f->makeFile(QStringLiteral("pics/c.txt"));
        m_f->makeFolder(QStringLiteral("pics/zeta"));
        m_f->makeFolder(QStringLiteral("pics/Alpha"));
        m_f->makeFolder(QStringLiteral("other"));
        m_f->makeFile(QStringLiteral("other/o.gif"));
        m_f->volumes.volumes = {kStartVolume, m_f->path(QStringLiteral("pics")),
                                m_f->path(QStringLiteral("other"))};
    }

    void cleanup() { m_f.reset(); }

    void startsAtTheRoot() {
        m_f->open();
        QCOMPARE(drive1()->property("drive").toString(), kStartVolume);
        QCOMPARE(dir1()->property("path").toString(), kStartFolder);
        QCOMPARE(file1()->property("path").toString(), kStartFolder);
        QCOMPARE(drive1()->count(), 3);
        QCOMPARE(drive1()->itemText(0), kStartVolume);
        QVERIFY(m_f->prompt.messages.isEmpty());
    }

    void folderListShowsAncestorsThenSubFolders() {
        m_f->open();
        const QString pics = m_f->path(QStringLiteral("pics"));
        dir1()->setProperty("path", pics);
        QCOMPARE(dir1()->path(), pics);
        // The root, every folder down to the current one, then its sub-folders; each indented by
        // its depth and named by its last part, the root by its whole path.
        QCOMPARE(dirEntries(), QStringList({kStartFolder, m_f->path(QString()), pics,
                                            m_f->path(QStringLiteral("pics/Alpha")),
                                            m_f->path(QStringLiteral("pics/zeta"))}));
        QStringList shown;
        for (int i = 0; i < dir1()->count(); ++i)
            shown.append(dir1()->item(i)->text());
        QCOMPARE(shown,
                 QStringList({kStartFolder, QStringLiteral("  tree"), QStringLiteral("    pics"),
                              QStringLiteral("      Alpha"), QStringLiteral("      zeta")}));
        const int current = 2;
        QCOMPARE(dir1()->currentRow(), current);
    }

    void folderChangeRefillsTheFileListOnly() {
        m_f->open();
        auto* width = m_f->child<QLabel>("LabelWidth");
        width->setText(QStringLiteral("77"));
        QSignalSpy fileChanges(file1(), &FileList::pathChanged);
        dir1()->setPath(m_f->path(QStringLiteral("pics")));
        QCOMPARE(fileChanges.count(), 1);
        QCOMPARE(file1()->path(), m_f->path(QStringLiteral("pics")));
        // Files but no folders; sorted without regard to case.
        QCOMPARE(fileEntries(), QStringList({QStringLiteral("A.bmp"), QStringLiteral("b.bmp"),
                                             QStringLiteral("c.txt")}));
        QCOMPARE(width->text(), QStringLiteral("77"));
    }

    void openingASubFolderByKeyboardSetsThePath() {
        m_f->open();
        const QString pics = m_f->path(QStringLiteral("pics"));
        dir1()->setPath(pics);
        const QString zetaPath = m_f->path(QStringLiteral("pics/zeta"));
        const qsizetype zeta = dirEntries().indexOf(zetaPath);
        QVERIFY(zeta > 0);
        dir1()->setCurrentRow(static_cast<int>(zeta));
        QSignalSpy changes(dir1(), &DirList::pathChanged);
        dir1()->setFocus();
        QTest::keyClick(dir1(), Qt::Key_Return);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(dir1()->path(), zetaPath);
        QCOMPARE(file1()->path(), zetaPath);
        QCOMPARE(file1()->count(), 0);
    }

    void settingAFolderThatDoesNotExistChangesNothing() {
        m_f->open();
        dir1()->setPath(m_f->path(QStringLiteral("pics")));
        QSignalSpy changes(dir1(), &DirList::pathChanged);
        dir1()->setPath(m_f->path(QStringLiteral("pics/missing")));
        dir1()->setPath(m_f->path(QStringLiteral("pics/c.txt")));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(dir1()->path(), m_f->path(QStringLiteral("pics")));
    }

    void driveChangeCascadesToFoldersAndFiles() {
        m_f->open();
        const QString other = m_f->path(QStringLiteral("other"));
        drive1()->setProperty("drive", other);
        QCOMPARE(dir1()->path(), other);
        QCOMPARE(file1()->path(), other);
        QCOMPARE(fileEntries(), QStringList{QStringLiteral("o.gif")});
        QVERIFY(m_f->prompt.messages.isEmpty());
    }

    void unreadableDriveIsReportedOnceAndTheListsStay() {
        m_f->volumes.unreadable.insert(m_f->path(QStringLiteral("other")));
        m_f->open();
        const QString pics = m_f->path(QStringLiteral("pics"));
        drive1()->setDrive(pics);
        QCOMPARE(dir1()->path(), pics);
        drive1()->setCurrentIndex(drive1()->findText(m_f->path(QStringLiteral("other"))));
        QCOMPARE(m_f->prompt.messages.size(), 1);
        const Prompt::Message& message = m_f->prompt.messages.first();
        QCOMPARE(message.text, QStringLiteral("Unité inaccessible"));
        QCOMPARE(message.title, QStringLiteral("Glyphmill"));
        QCOMPARE(message.buttons, Prompt::Buttons::Ok);
        QCOMPARE(dir1()->path(), pics);
        QCOMPARE(file1()->path(), pics);
        // The drive list names the drive whose folders are still shown.
        QCOMPARE(drive1()->drive(), pics);
    }

    void driveListIsAskedAgainWhenItOpens() {
        m_f->open();
        m_f->volumes.volumes.append(m_f->path(QStringLiteral("pics/zeta")));
        m_f->volumes.volumes.removeAll(kStartVolume);
        drive1()->showPopup();
        drive1()->hidePopup();
        QCOMPARE(drive1()->count(), 4); // the new volume, and the start kept as it is in use
        QCOMPARE(drive1()->findText(m_f->path(QStringLiteral("pics/zeta"))), 2);
        QCOMPARE(drive1()->drive(), kStartVolume);
        QCOMPARE(dir1()->path(), kStartFolder);
    }

    void fileNamePropertyIsTheFocusedEntry() {
        m_f->open();
        dir1()->setPath(m_f->path(QStringLiteral("pics")));
        QCOMPARE(file1()->property("fileName").toString(), QString());
        file1()->setProperty("fileName", QStringLiteral("b.bmp"));
        QCOMPARE(file1()->fileName(), QStringLiteral("b.bmp"));
        QVERIFY(file1()->isSelected(1));
        file1()->setProperty("fileName", QStringLiteral("nothing.bmp"));
        QCOMPARE(file1()->fileName(), QStringLiteral("b.bmp"));
    }

    // Picking every file by keyboard names them all, in list order. (Hidden files never get
    // that far: the system's listing leaves them out.)
    void everyFileListedCanBePickedByKeyboard() {
        m_f->open();
        dir1()->setPath(m_f->path(QStringLiteral("pics")));
        m_f->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_f->window.get()));
        const QRect first = file1()->visualRect(file1()->model()->index(0, 0));
        QTest::mouseClick(file1()->viewport(), Qt::LeftButton, {}, first.center());
        QTest::keyClick(file1(), Qt::Key_End, Qt::ShiftModifier);
        QVERIFY2(m_f->command().endsWith(QStringLiteral("--no-overwrite  A.bmp b.bmp c.txt")),
                 qPrintable(m_f->command()));
        QCOMPARE(fileEntries(), QStringList({QStringLiteral("A.bmp"), QStringLiteral("b.bmp"),
                                             QStringLiteral("c.txt")}));
    }

    void commandNamesSelectedFilesInListOrder() {
        m_f->open();
        dir1()->setPath(m_f->path(QStringLiteral("pics")));
        file1()->setSelected(2, true); // c.txt
        file1()->setSelected(0, true); // A.bmp
        file1()->setSelected(1, true); // b.bmp
        file1()->setSelected(1, false);
        m_f->window->Refresh_cmd();
        QVERIFY2(m_f->command().endsWith(QStringLiteral("--no-overwrite  A.bmp c.txt")),
                 qPrintable(m_f->command()));
        QCOMPARE(file1()->selectedNames(),
                 QStringList({QStringLiteral("A.bmp"), QStringLiteral("c.txt")}));
    }

    void fileListFollowsTheDiskKeepingThePicks_data() {
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("made");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("created") << QString() << QStringLiteral("a0.png")
                                 << QStringList{"A.bmp", "a0.png", "b.bmp", "c.txt"};
        QTest::newRow("removed") << QStringLiteral("c.txt") << QString()
                                 << QStringList{"A.bmp", "b.bmp"};
        QTest::newRow("renamed") << QStringLiteral("A.bmp") << QStringLiteral("d.bmp")
                                 << QStringList{"b.bmp", "c.txt", "d.bmp"};
    }

    void fileListFollowsTheDiskKeepingThePicks() {
        QFETCH(QString, removed);
        QFETCH(QString, made);
        QFETCH(QStringList, listed);
        m_f->open();
        const QString pics = m_f->path(QStringLiteral("pics"));
        dir1()->setPath(pics);
        file1()->setFileName(QStringLiteral("b.bmp"));
        file1()->setSelected(2, true); // c.txt
        m_f->window->Refresh_cmd();
        if (!removed.isEmpty())
            m_f->files.remove(m_f->path(QStringLiteral("pics/") + removed));
        if (!made.isEmpty())
            m_f->makeFile(QStringLiteral("pics/") + made);
        m_f->watcher.change(pics);
        QCOMPARE(fileEntries(), listed);
        QStringList kept{QStringLiteral("b.bmp"), QStringLiteral("c.txt")};
        kept.removeAll(removed);
        QCOMPARE(file1()->selectedNames(), kept);
        QCOMPARE(file1()->fileName(), QStringLiteral("b.bmp"));
        QVERIFY2(m_f->command().endsWith(kept.join(QLatin1Char(' '))), qPrintable(m_f->command()));
    }

    void fileListKeepsTheEntryAtTheTopOfItsView() {
        for (int i = 10; i < 300; ++i)
            m_f->makeFile(QStringLiteral("pics/f%1.bmp").arg(i));
        m_f->open();
        m_f->window->show();
        dir1()->setPath(m_f->path(QStringLiteral("pics")));
        file1()->scrollTo(file1()->model()->index(150, 0), QAbstractItemView::PositionAtTop);
        const QString top = file1()->entry(file1()->indexAt(QPoint(0, 0)).row());
        QVERIFY(top.startsWith(QLatin1Char('f')));
        m_f->makeFile(QStringLiteral("pics/0.bmp"));
        m_f->watcher.change(m_f->path(QStringLiteral("pics")));
        QCOMPARE(file1()->entry(0), QStringLiteral("0.bmp"));
        QCOMPARE(file1()->entry(file1()->indexAt(QPoint(0, 0)).row()), top);
    }

    void folderListFollowsTheDiskAndLeavesAFolderThatIsGone() {
        m_f->open();
        const QString pics = m_f->path(QStringLiteral("pics"));
        const QString zeta = m_f->path(QStringLiteral("pics/zeta"));
        dir1()->setPath(pics);
        m_f->makeFolder(QStringLiteral("pics/new"));
        m_f->watcher.change(pics);
        QVERIFY(dirEntries().contains(m_f->path(QStringLiteral("pics/new"))));
        dir1()->setPath(zeta);
        QCOMPARE(m_f->watcher.watched, QStringList({zeta, zeta}));
        m_f->files.remove(zeta);
        m_f->watcher.change(zeta);
        QCOMPARE(dir1()->path(), pics);
        QCOMPARE(file1()->path(), pics);
        QVERIFY(!dirEntries().contains(zeta));
        QCOMPARE(m_f->watcher.watched, QStringList({pics, pics}));
    }

    void dropOnThePreviewReplacesTheSelection() {
        m_f->open();
        const QString pics = m_f->path(QStringLiteral("pics"));
        dir1()->setPath(pics);
        file1()->setSelected(2, true); // c.txt, selected before the drop
        const auto data = fileListData({m_f->path(QStringLiteral("pics/b.bmp")),
                                        m_f->path(QStringLiteral("pics/A.bmp")),
                                        m_f->path(QStringLiteral("pics/zeta"))});
        QVERIFY(drop(m_f->widget("Image1"), data.get()));
        QCOMPARE(file1()->selectedNames(),
                 QStringList({QStringLiteral("A.bmp"), QStringLiteral("b.bmp")}));
    }

    void dropOnTheFileListAddsToTheSelectionAndMovesThere() {
        m_f->open();
        const QString pics = m_f->path(QStringLiteral("pics"));
        const auto first = fileListData({m_f->path(QStringLiteral("pics/c.txt"))});
        QVERIFY(drop(file1(), first.get()));
        // From the root, the browser moved to the dropped files' drive and folder.
        QCOMPARE(drive1()->drive(), pics);
        QCOMPARE(dir1()->path(), pics);
        QCOMPARE(file1()->path(), pics);
        const auto second = fileListData({m_f->path(QStringLiteral("pics/b.bmp"))});
        QVERIFY(drop(file1(), second.get()));
        QCOMPARE(file1()->selectedNames(),
                 QStringList({QStringLiteral("b.bmp"), QStringLiteral("c.txt")}));
        // The command line is not rebuilt by a drop.
        QVERIFY(!m_f->command().contains(QStringLiteral("b.bmp")));
    }

    void droppedFilesAreComparedWithCase() {
        m_f->open();
        const QString pics = m_f->path(QStringLiteral("pics"));
        const auto data = fileListData({m_f->path(QStringLiteral("pics/a.bmp"))}); // not "A.bmp"
        QVERIFY(drop(m_f->widget("Image1"), data.get()));
        QCOMPARE(dir1()->path(), pics);
        QVERIFY(file1()->selectedNames().isEmpty());
    }

    void droppedFolderOpensItAndSelectsNothing() {
        m_f->open();
        const QString other = m_f->path(QStringLiteral("other"));
        const auto data = fileListData({other});
        QVERIFY(drop(file1(), data.get()));
        QCOMPARE(dir1()->path(), other);
        QCOMPARE(file1()->path(), other);
        QCOMPARE(file1()->count(), 1);
        QVERIFY(file1()->selectedNames().isEmpty());
    }

    void dropFeedbackKeepsOneEffect() {
        m_f->open();
        const auto files = fileListData({m_f->path(QStringLiteral("pics/b.bmp"))});
        QWidget* image = m_f->widget("Image1");
        QDragEnterEvent onImage(QPoint(1, 1), Qt::CopyAction | Qt::MoveAction, files.get(),
                                Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(image, &onImage);
        QVERIFY(onImage.isAccepted());
        QCOMPARE(onImage.dropAction(), Qt::MoveAction);
        QDragEnterEvent onList(QPoint(1, 1), Qt::CopyAction | Qt::MoveAction, files.get(),
                               Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(file1()->viewport(), &onList);
        QVERIFY(onList.isAccepted());
        QCOMPARE(onList.dropAction(), Qt::CopyAction);
        // A list that offers only copying cannot be moved onto the preview.
        QDragEnterEvent copyOnly(QPoint(1, 1), Qt::CopyAction, files.get(), Qt::LeftButton,
                                 Qt::NoModifier);
        QCoreApplication::sendEvent(image, &copyOnly);
        QVERIFY(!copyOnly.isAccepted());

        QMimeData text;
        text.setText(QStringLiteral("/tmp"));
        QVERIFY(!drop(image, &text));
        QVERIFY(!drop(file1(), &text));
        QCOMPARE(dir1()->path(), kStartFolder);
    }

    void folderDragStartsWithTheLeftButtonAlone_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<bool>("starts");
        QTest::newRow("left") << int(Qt::LeftButton) << int(Qt::LeftButton) << true;
        QTest::newRow("right") << int(Qt::RightButton) << int(Qt::RightButton) << false;
        QTest::newRow("left and right")
            << int(Qt::LeftButton) << int(Qt::LeftButton | Qt::RightButton) << false;
    }

    void folderDragStartsWithTheLeftButtonAlone() {
        QFETCH(int, button);
        QFETCH(int, buttons);
        QFETCH(bool, starts);
        m_f->open();
        dir1()->setPath(m_f->path(QStringLiteral("pics")));
        QSignalSpy starting(dir1(), &DirList::folderDragStarting);
        QWidget* viewport = dir1()->viewport();
        const auto pressed = static_cast<Qt::MouseButton>(button);
        sendMouse(viewport, QEvent::MouseButtonPress, QPoint(10, 5), pressed,
                  static_cast<Qt::MouseButtons>(buttons));
        sendMouse(viewport, QEvent::MouseMove, QPoint(40, 30), Qt::NoButton,
                  static_cast<Qt::MouseButtons>(buttons));
        QCOMPARE(starting.count(), starts ? 1 : 0);
        if (starts) {
            // The drag took the folder-carrying cursor, freshly read.
            QCOMPARE(m_f->cursors.asked, QStringList{QStringLiteral("hwe.cur")});
            QCOMPARE(dir1()->dragIcon().width(), 10);
        }
    }
};

QTEST_MAIN(TestBrowser)
#include "test_browser.moc"
