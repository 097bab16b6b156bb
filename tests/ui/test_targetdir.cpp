#include "main/dirlist.h"
#include "main/targetdirfield.h"
#include "uistyle.h"
#include "windowfixture.h"

#include <QPushButton>
#include <QTest>

using namespace glyphmill;
using namespace glyphmill::testing;

class TestTargetDir : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> m_f;

    TargetDirField* field() const { return m_f->child<TargetDirField>("TextTargetDir"); }
    DirList* dir1() const { return m_f->child<DirList>("Dir1"); }

    static std::unique_ptr<QMimeData> folderDragData(const QString& folder) {
        auto data = std::make_unique<QMimeData>();
        data->setData(DirList::kFolderMimeType, folder.toUtf8());
        return data;
    }

    bool enter(const QMimeData* data) {
        QDragEnterEvent event(QPoint(3, 3), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(field(), &event);
        return event.isAccepted();
    }

    void leave() {
        QDragLeaveEvent event;
        QCoreApplication::sendEvent(field(), &event);
    }

    bool dropOnField(const QMimeData* data) {
        QDropEvent event(QPointF(3, 3), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(field(), &event);
        return event.isAccepted();
    }

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void init() {
        m_f = std::make_unique<WindowFixture>();
        m_f->makeFile(QStringLiteral("pics/a.bmp"));
        m_f->makeFolder(QStringLiteral("out"));
        m_f->open();
    }

    void cleanup() { m_f.reset(); }

    void dialogChoiceGetsAClosingSeparatorAndIsRemembered() {
        const QString out = m_f->path(QStringLiteral("out"));
        m_f->folders.answer = out;
        const QString before = m_f->command();
        m_f->child<QPushButton>("CommandChose")->click();
        QCOMPARE(field()->text(), out + QDir::separator());
        QCOMPARE(m_f->folders.titles, QStringList{QStringLiteral("Chose an output directory")});
        // It starts in the folder being browsed, and the command waits for the next rebuild.
        QCOMPARE(m_f->folders.startFolders.first(), dir1()->path());
        QCOMPARE(m_f->command(), before);

        m_f->folders.answer = kStartFolder;
        m_f->child<QPushButton>("CommandChose")->click();
        QCOMPARE(field()->text(), kStartFolder);
        QCOMPARE(m_f->folders.startFolders.at(1), out);
    }

    void cancellingTheDialogKeepsTheText() {
        field()->setText(QStringLiteral("typed by hand"));
        m_f->folders.answer = std::nullopt;
        m_f->child<QPushButton>("CommandChose")->click();
        QCOMPARE(field()->text(), QStringLiteral("typed by hand"));
        QCOMPARE(m_f->folders.titles.size(), 1);
    }

    void folderDragShowsThePromptAndLeavingRestoresTheText() {
        const QString out = m_f->path(QStringLiteral("out"));
        field()->setText(out); // typed: the command does not know it yet
        QVERIFY(!m_f->command().contains(QStringLiteral("--target-dir")));
        const auto data = folderDragData(m_f->path(QStringLiteral("pics")));
        QVERIFY(enter(data.get()));
        QCOMPARE(field()->text(), QStringLiteral(">>Drop this here to set target directory!<<"));
        QCOMPARE(m_f->cursors.asked, QStringList{QStringLiteral("hibeam.cur")});
        QCOMPARE(dir1()->dragIcon().width(), 20);
        leave();
        QCOMPARE(field()->text(), out);
        QCOMPARE(m_f->cursors.asked.last(), QStringLiteral("hwe.cur"));
        QCOMPARE(dir1()->dragIcon().width(), 10);
        QVERIFY2(m_f->command().contains(QStringLiteral(" --target-dir ") + out),
                 qPrintable(m_f->command()));
    }

    void folderDropAddsASeparatorUnlessThereIsOne_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");
        const QString folder = treePath(QStringLiteral("out"));
        QTest::newRow("root") << kStartFolder << kStartFolder;
        QTest::newRow("folder") << folder << folder + QDir::separator();
    }

    void folderDropAddsASeparatorUnlessThereIsOne() {
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        field()->setText(QStringLiteral("old"));
        const auto data = folderDragData(folder);
        QVERIFY(enter(data.get()));
        QVERIFY(dropOnField(data.get()));
        QCOMPARE(field()->text(), expected);
        QVERIFY(m_f->command().contains(QStringLiteral(" --target-dir ") + expected));
    }

    void shellDropTakesTheFolderOfTheFirstItem() {
        const QString pics = m_f->path(QStringLiteral("pics"));
        const QString out = m_f->path(QStringLiteral("out"));
        const QString picture = m_f->path(QStringLiteral("pics/a.bmp"));
        const auto file = fileListData({picture, out});
        QVERIFY(enter(file.get()));
        QVERIFY(dropOnField(file.get()));
        QCOMPARE(field()->text(), pics + QDir::separator());
        QVERIFY(
            m_f->command().contains(QStringLiteral(" --target-dir ") + pics + QDir::separator()));

        const auto folder = fileListData({out, picture});
        QVERIFY(enter(folder.get()));
        QVERIFY(dropOnField(folder.get()));
        QCOMPARE(field()->text(), out + QDir::separator());
        // A shell drag changes no cursor.
        QVERIFY(m_f->cursors.asked.isEmpty());
    }

    void shellDragThatLeavesRestoresTheText() {
        field()->setText(QStringLiteral("half typed"));
        const auto data = fileListData({m_f->path(QStringLiteral("pics/a.bmp"))});
        QVERIFY(enter(data.get()));
        QCOMPARE(field()->text(), TargetDirField::kDropPrompt);
        leave();
        QCOMPARE(field()->text(), QStringLiteral("half typed"));
        QVERIFY(m_f->cursors.asked.isEmpty());
    }

    void textDragsAreIgnored() {
        field()->setText(QStringLiteral("keep me"));
        QMimeData text;
        text.setText(QStringLiteral("/usr"));
        QVERIFY(!enter(&text));
        QVERIFY(!dropOnField(&text));
        QCOMPARE(field()->text(), QStringLiteral("keep me"));
        leave();
        QCOMPARE(field()->text(), QStringLiteral("keep me"));
    }
};

QTEST_MAIN(TestTargetDir)
#include "test_targetdir.moc"
