// Every run started from the main window tells, in the window, how it went once it has ended.
#include "main/filelist.h"
#include "uistyle.h"
#include "windowfixture.h"

#include <QApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

using namespace glyphmill;
using namespace glyphmill::testing;

namespace {

struct RunFixture : WindowFixture {
    RunFixture() {
        files.addFile(
            QString::fromStdString(PathConvention::native().converterPath("/opt/glyphmill")),
            "program", true);
        open();
        window->show();
    }

    void run(const QStringList& names) {
        for (const QString& name : names)
            makeFile(name);
        auto* list = child<FileList>("File1");
        list->setPath(path(QString()));
        list->selectNames(QSet<QString>(names.begin(), names.end()), true);
        child<QPushButton>("Command3")->click();
    }

    QTreeWidget* runs() const { return child<QTreeWidget>("ListRuns"); }
    QString line(int row) const {
        const QTreeWidgetItem* item = runs()->topLevelItem(row);
        return item ? item->text(0) : QString();
    }

    // The converter's lines under a run, as far as they are shown.
    QStringList shownLines(int row) const {
        QTreeWidgetItem* item = runs()->topLevelItem(row);
        QStringList lines;
        for (int i = 0; item->isExpanded() && i < item->childCount(); ++i)
            lines.append(item->child(i)->text(0));
        return lines;
    }

    // Clicks the expander at the start of a run's line.
    void openRun(int row) const {
        const QRect rect = runs()->visualItemRect(runs()->topLevelItem(row));
        QTest::mouseClick(runs()->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left() - runs()->indentation() / 2, rect.center().y()));
    }
};

// "Run <id> at hh:mm:ss: <outcome>"
QRegularExpression runLine(qint64 pid, const QString& outcome) {
    return QRegularExpression(QStringLiteral("^Run %1 at \\d\\d:\\d\\d:\\d\\d: %2$")
                                  .arg(pid)
                                  .arg(QRegularExpression::escape(outcome)));
}

} // namespace

class TestRunList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void aFailedRunShowsItsFailureLine() {
        RunFixture f;
        f.launcher.output = "wrote a.s (RGB16 8x8)\n";
        f.launcher.errors = "rastix: b.bmp: cannot read the picture\n";
        f.run({QStringLiteral("a.bmp"), QStringLiteral("b.bmp")});
        f.launcher.ends[4242] = {ProcessEnd::How::Exited, 1};
        QTRY_VERIFY(
            runLine(4242, QStringLiteral("1 of 2 pictures failed")).match(f.line(0)).hasMatch());
        f.openRun(0);
        QCOMPARE(f.shownLines(0),
                 (QStringList{QStringLiteral("wrote a.s (RGB16 8x8)"),
                              QStringLiteral("rastix: b.bmp: cannot read the picture")}));
    }

    void aRunThatWritesShowsTheFilesOnRequest() {
        RunFixture f;
        const QStringList wrote = {QStringLiteral("wrote a.bin (RGB16 8x8)"),
                                   QStringLiteral("wrote b.bin (RGB16 8x8)"),
                                   QStringLiteral("wrote c.bin (RGB16 8x8)")};
        f.launcher.output = wrote.join(QLatin1Char('\n')).toUtf8() + '\n';
        f.run({QStringLiteral("a.bmp"), QStringLiteral("b.bmp"), QStringLiteral("c.bmp")});
        QVERIFY(runLine(4242, QStringLiteral("running")).match(f.line(0)).hasMatch());
        f.launcher.ends[4242] = {ProcessEnd::How::Exited, 0};
        QTRY_VERIFY(runLine(4242, QStringLiteral("3 files written")).match(f.line(0)).hasMatch());
        QVERIFY(f.shownLines(0).isEmpty());
        f.openRun(0);
        QCOMPARE(f.shownLines(0), wrote);
    }

    void twoRunsBothReport() {
        RunFixture f;
        f.launcher.output = "wrote a.s (RGB16 8x8)\n";
        f.run({QStringLiteral("a.bmp")});
        f.run({QStringLiteral("a.bmp")});
        // The newest first.
        f.launcher.ends[4243] = {ProcessEnd::How::Exited, 0};
        QTRY_VERIFY(runLine(4243, QStringLiteral("1 file written")).match(f.line(0)).hasMatch());
        QVERIFY(runLine(4242, QStringLiteral("running")).match(f.line(1)).hasMatch());
        f.launcher.ends[4242] = {ProcessEnd::How::Exited, 0};
        QTRY_VERIFY(runLine(4242, QStringLiteral("1 file written")).match(f.line(1)).hasMatch());
    }
};

QTEST_MAIN(TestRunList)
#include "test_runlist.moc"
