#include "processlauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphmill;

namespace {

// A stand-in program that writes its working folder and its arguments (one per line, each
// between brackets) into the file named by its first argument, then renames it into place so
// the test never reads half a file.
const char kRecorder[] =
    "#!/bin/sh\n"
    "out=\"$1\"; shift\n"
    "{ pwd; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > \"$out.part\"\n"
    "mv \"$out.part\" \"$out\"\n";

QString writeRecorder(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("record me"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(kRecorder);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class TestProcessLauncher : public QObject {
    Q_OBJECT

private slots:
    void startsWithExactArgumentsInTheGivenFolder() {
#ifdef _WIN32
        QSKIP("uses a shell script as the started program");
#endif
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString program = writeRecorder(dir);
        QVERIFY(!program.isEmpty());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("work dir")));
        const QString work = dir.filePath(QStringLiteral("work dir"));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        const QString before = QDir::currentPath();

        SystemProcessLauncher launcher;
        const QStringList args = {out, QStringLiteral("a b"), QStringLiteral("$(touch x)"),
                                  QStringLiteral("-rf"), QStringLiteral("q\"'; ls")};
        const qint64 pid = launcher.startDetached(program, args, work);
        QVERIFY(pid > 0);
        QCOMPARE(QDir::currentPath(), before);

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 20000);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QDir(work).canonicalPath());
        QCOMPARE(lines.mid(1, 4),
                 (QStringList{QStringLiteral("[a b]"), QStringLiteral("[$(touch x)]"),
                              QStringLiteral("[-rf]"), QStringLiteral("[q\"'; ls]")}));
        QVERIFY(!QFile::exists(QDir(work).filePath(QStringLiteral("x"))));
    }

    void missingProgramGivesZero() {
        QTemporaryDir dir;
        SystemProcessLauncher launcher;
        QCOMPARE(
            launcher.startDetached(dir.filePath(QStringLiteral("nothing here")), {}, dir.path()),
            qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestProcessLauncher)
#include "test_processlauncher.moc"
