// The converter weighs what a picture will need against the memory there is before it
// allocates any of it, and says so on one line when it cannot have it.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

// The test gives the program little memory by limiting its address space, which the address
// sanitizer cannot run under (it reserves terabytes of it). GCC says it is on with a macro,
// Clang through __has_feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RASTIX_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define RASTIX_ADDRESS_SANITIZER 1
#endif
#if defined(__linux__) && !defined(RASTIX_ADDRESS_SANITIZER)
#define RASTIX_LIMIT_ADDRESS_SPACE 1
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

#ifdef RASTIX_LIMIT_ADDRESS_SPACE

// A few hundred bytes that ask for a 65304 x 24 screen holding one pixel.
QByteArray gifWithWideScreen() {
    QByteArray gif("GIF89a");
    const auto word = [&](int v) {
        gif.append(char(v & 0xFF));
        gif.append(char(v >> 8));
    };
    word(65304);
    word(24);
    gif.append("\x80\x00\x00", 3);             // two-entry colour table
    gif.append("\xFF\xFF\xFF\x00\x00\x00", 6); // white, black
    gif.append('\x2C');                        // one 1 x 1 image at 0,0
    word(0);
    word(0);
    word(1);
    word(1);
    gif.append("\x00\x02\x02\x44\x01\x00\x3B", 7); // its LZW data, end
    return gif;
}

QString writeWideGif(const QTemporaryDir& dir) {
    QFile file(dir.filePath("wide.gif"));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(gifWithWideScreen());
    return file.fileName();
}

struct Run {
    int status = -1;
    QString err;
};

// A machine with 3 GB to spare: turned by 30 degrees the GIF's screen needs a canvas of
// 56567 x 32673 pixels, 7 GB.
Run runWithLittleMemory(const QString& workDir, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.setChildProcessModifier([] {
        const rlimit limit{rlim_t{3} << 30, rlim_t{3} << 30};
        setrlimit(RLIMIT_AS, &limit);
    });
    p.start(QStringLiteral(RASTIX_PROGRAM), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

// A folder in which no file can be made: a read-only one, unless the tests run as root, whom
// permissions do not stop; then sysfs, where no one may make files. Empty when there is none.
QString folderTakingNoFiles(const QTemporaryDir& dir) {
    if (::geteuid() != 0) {
        const QString folder = dir.filePath("read-only");
        QDir().mkdir(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        return folder;
    }
    QFile probe("/sys/rastix-probe");
    if (QDir("/sys").exists() && !probe.open(QIODevice::WriteOnly))
        return "/sys";
    return {};
}
#endif

} // namespace

class TestRastixProgramMemory : public QObject {
    Q_OBJECT

private slots:
    void aTurnThatCannotFitFailsAtOnceOnOneLine() {
#ifndef RASTIX_LIMIT_ADDRESS_SPACE
        QSKIP("needs an address space limit, which the address sanitizer cannot run under");
#else
        QTemporaryDir dir;
        QVERIFY(!writeWideGif(dir).isEmpty());
        const Run run = runWithLittleMemory(dir.path(), {"--binary", "--rotate", "30", "wide.gif"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY2(run.err.startsWith("rastix: wide.gif: needs about ") &&
                     run.err.contains("of memory to convert, but only"),
                 qPrintable(run.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"wide.gif"});
#endif
    }

    // What keeps the outputs from being written is said before memory is weighed: the picture
    // is never decoded.
    void whatKeepsTheOutputsFromBeingWrittenIsSaidFirst_data() {
        QTest::addColumn<bool>("existing");
        QTest::newRow("an existing output") << true;
        QTest::newRow("a folder that takes no file") << false;
    }
    void whatKeepsTheOutputsFromBeingWrittenIsSaidFirst() {
#ifndef RASTIX_LIMIT_ADDRESS_SPACE
        QSKIP("needs an address space limit, which the address sanitizer cannot run under");
#else
        QFETCH(bool, existing);
        QTemporaryDir dir;
        QVERIFY(!writeWideGif(dir).isEmpty());
        QString target = dir.path();
        QString expected;
        if (existing) {
            QFile output(dir.filePath("wide.rgb"));
            QVERIFY(output.open(QIODevice::WriteOnly));
            output.write("kept");
            output.close();
            expected = "rastix: " + output.fileName() +
                       ": exists already, not overwritten (use --overwrite); wide.gif skipped\n";
        } else {
            target = folderTakingNoFiles(dir);
            if (target.isEmpty())
                QSKIP("running as root, and no folder here refuses root a file");
            expected = "rastix: wide.gif: cannot create a temporary file in '" + target +
                       "': " + QString::fromLocal8Bit(std::strerror(EACCES)) + "\n";
        }
        const Run run = runWithLittleMemory(
            dir.path(), {"--binary", "--rotate", "30", "--target-dir", target, "wide.gif"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, expected);
        if (existing) {
            QFile output(dir.filePath("wide.rgb"));
            QVERIFY(output.open(QIODevice::ReadOnly));
            QCOMPARE(output.readAll(), QByteArray("kept"));
        }
#endif
    }
};

QTEST_GUILESS_MAIN(TestRastixProgramMemory)
#include "test_programmemory.moc"
