// The converter weighs what a picture will need against the memory there is before it
// allocates any of it, and says so on one line when it cannot have it.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The test gives the program little memory by limiting its address space, which the address
// sanitizer cannot run under (it reserves terabytes of it).
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#define RASTIX_LIMIT_ADDRESS_SPACE 1
#include <sys/resource.h>
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
        QFile file(dir.filePath("wide.gif"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(gifWithWideScreen());
        file.close();
        QProcess p;
        p.setWorkingDirectory(dir.path());
        // A machine with 3 GB to spare: turned by 30 degrees the screen needs a canvas of
        // 56567 x 32673 pixels, 7 GB.
        p.setChildProcessModifier([] {
            const rlimit limit{rlim_t{3} << 30, rlim_t{3} << 30};
            setrlimit(RLIMIT_AS, &limit);
        });
        p.start(QStringLiteral(RASTIX_PROGRAM), {"--binary", "--rotate", "30", "wide.gif"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.startsWith("rastix: wide.gif: needs about ") &&
                     err.contains("of memory to convert, but only"),
                 qPrintable(err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"wide.gif"});
#endif
    }
};

QTEST_GUILESS_MAIN(TestRastixProgramMemory)
#include "test_programmemory.moc"
