// The watcher on a real folder: the system's notifications, gathered into one per burst.
#include "folderwatcher.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphmill;

class TestFolderWatcher : public QObject {
    Q_OBJECT

private:
    static bool makeFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("x", 1) == 1;
    }

    // Long enough for the system's notice and the watcher's quiet moment together.
    static constexpr int kSettleMs = SystemFolderWatcher::kQuietMs + 500;

private slots:
    void everyChangeOfAnEntryIsTold_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("file made") << QStringLiteral("make");
        QTest::newRow("file removed") << QStringLiteral("remove");
        QTest::newRow("file renamed") << QStringLiteral("rename");
        QTest::newRow("folder made") << QStringLiteral("mkdir");
    }

    void everyChangeOfAnEntryIsTold() {
        QFETCH(QString, change);
        QTemporaryDir tree;
        QVERIFY(makeFile(tree.filePath(QStringLiteral("old.png"))));
        const QString folder = QDir::toNativeSeparators(tree.path());
        SystemFolderWatcher watcher;
        QSignalSpy told(&watcher, &FolderWatcher::folderChanged);
        watcher.watch({folder});
        QDir dir(tree.path());
        if (change == QLatin1String("make"))
            QVERIFY(makeFile(dir.filePath(QStringLiteral("new.png"))));
        else if (change == QLatin1String("remove"))
            QVERIFY(dir.remove(QStringLiteral("old.png")));
        else if (change == QLatin1String("rename"))
            QVERIFY(dir.rename(QStringLiteral("old.png"), QStringLiteral("new.png")));
        else
            QVERIFY(dir.mkdir(QStringLiteral("sub")));
        QTRY_COMPARE_WITH_TIMEOUT(told.count(), 1, 5000);
        // Spelt as it was asked for, so the lists know it for theirs.
        QCOMPARE(told.at(0).at(0).toString(), folder);
    }

    void aBurstOfWritesIsToldOnce() {
        QTemporaryDir tree;
        SystemFolderWatcher watcher;
        QSignalSpy told(&watcher, &FolderWatcher::folderChanged);
        watcher.watch({tree.path()});
        // A converter writing its outputs: a file every few milliseconds, each told by the
        // system on its own.
        for (int i = 0; i < 8; ++i) {
            QVERIFY(makeFile(tree.filePath(QStringLiteral("frame%1.s").arg(i))));
            QTest::qWait(SystemFolderWatcher::kQuietMs / 4);
        }
        QTRY_VERIFY_WITH_TIMEOUT(told.count() >= 1, 5000);
        QTest::qWait(kSettleMs);
        QCOMPARE(told.count(), 1);
    }

    void aFolderNoLongerWatchedIsNotTold() {
        QTemporaryDir first;
        QTemporaryDir second;
        SystemFolderWatcher watcher;
        QSignalSpy told(&watcher, &FolderWatcher::folderChanged);
        watcher.watch({first.path()});
        watcher.watch({second.path()});
        QVERIFY(makeFile(first.filePath(QStringLiteral("a.png"))));
        QVERIFY(makeFile(second.filePath(QStringLiteral("b.png"))));
        QTRY_COMPARE_WITH_TIMEOUT(told.count(), 1, 5000);
        QTest::qWait(kSettleMs);
        QCOMPARE(told.count(), 1);
        QCOMPARE(told.at(0).at(0).toString(), second.path());
    }
};

QTEST_GUILESS_MAIN(TestFolderWatcher)
#include "test_folderwatcher.moc"
