#include "processlauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphmill;

namespace {

// A copy of the stand-in program, under a name with a space: it writes its working folder and
// its arguments (one per line, each between brackets) into record.txt beside itself.
QString writeRecorder(const QTemporaryDir& dir) {
#ifdef _WIN32
    const QString path = dir.filePath(QStringLiteral("record me.exe"));
#else
    const QString path = dir.filePath(QStringLiteral("record me"));
#endif
    return QFile::copy(QStringLiteral(GLYPHMILL_RECORDER), path) ? path : QString();
}

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Lets the waiting stand-in go on.
bool letGo(const QTemporaryDir& dir) {
    QFile go(dir.filePath(QStringLiteral("go")));
    return go.open(QIODevice::WriteOnly);
}

} // namespace

class TestProcessLauncher : public QObject {
    Q_OBJECT

private slots:
    void startsWithExactArgumentsInTheGivenFolder() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString program = writeRecorder(dir);
        QVERIFY(!program.isEmpty());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("work dir")));
        const QString work = dir.filePath(QStringLiteral("work dir"));
        const QString out = dir.filePath(QStringLiteral("record.txt"));
        const QString before = QDir::currentPath();

        SystemProcessLauncher launcher;
        // Nothing in them may reach a shell, and Windows quoting must bring each back whole.
        const QStringList args = {
            QStringLiteral("a b"),       QStringLiteral("$(touch x)"),
            QStringLiteral("-rf"),       QStringLiteral("q\"'; ls"),
            QStringLiteral("tr\\ail\\"), QStringLiteral("\u00e4\u00df \u20ac")};
        const qint64 pid = launcher.startDetached(program, args, work, {});
        QVERIFY(pid > 0);
        QCOMPARE(QDir::currentPath(), before);

        // Under Wine the name can show a moment before another process may open the file.
        QFile file(out);
        QTRY_VERIFY_WITH_TIMEOUT(file.isOpen() || file.open(QIODevice::ReadOnly), 20000);
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QDir(work).canonicalPath());
        QStringList expected;
        for (const QString& a : args)
            expected << QLatin1Char('[') + a + QLatin1Char(']');
        QCOMPARE(lines.mid(1, args.size()), expected);
        QVERIFY(!QFile::exists(QDir(work).filePath(QStringLiteral("x"))));
    }

    void streamsGoToTheirFilesAndTheEndIsLearnt() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const OutputFiles files{dir.filePath(QStringLiteral("out")),
                                dir.filePath(QStringLiteral("err"))};
        SystemProcessLauncher launcher;
        const qint64 pid = launcher.startDetached(QStringLiteral(GLYPHMILL_TALKER),
                                                  {QStringLiteral("a b.s"), QStringLiteral("c.s")},
                                                  dir.path(), files);
        QVERIFY(pid > 0);
        QVERIFY(!launcher.ended(pid));
        QVERIFY(letGo(dir));
        // Asked until it tells, and not once more: an end is told only once.
        std::optional<ProcessEnd> end;
        const auto endOnce = [&] {
            if (!end)
                end = launcher.ended(pid);
            return end.has_value();
        };
        QTRY_VERIFY_WITH_TIMEOUT(endOnce(), 20000);
        QCOMPARE(end->how, ProcessEnd::How::Exited);
        QCOMPARE(end->exitCode, 3);
        QCOMPARE(readAll(files.output).remove(QLatin1Char('\r')),
                 QStringLiteral("wrote a b.s\nwrote c.s\n"));
        QCOMPARE(readAll(files.errors).remove(QLatin1Char('\r')), QStringLiteral("talker: done\n"));
        QCOMPARE(launcher.ended(pid)->how, ProcessEnd::How::Unknown);
    }

    void theProgramRunsOnWhenTheLauncherGoes() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const OutputFiles files{dir.filePath(QStringLiteral("out")), {}};
        {
            SystemProcessLauncher launcher;
            QVERIFY(launcher.startDetached(QStringLiteral(GLYPHMILL_TALKER), {QStringLiteral("x")},
                                           dir.path(), files) > 0);
        }
        QVERIFY(letGo(dir));
        QTRY_COMPARE_WITH_TIMEOUT(readAll(files.output).trimmed(), QStringLiteral("wrote x"),
                                  20000);
    }

    void missingProgramGivesZero() {
        QTemporaryDir dir;
        SystemProcessLauncher launcher;
        QCOMPARE(launcher.startDetached(dir.filePath(QStringLiteral("nothing here")), {},
                                        dir.path(), {}),
                 qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestProcessLauncher)
#include "test_processlauncher.moc"
