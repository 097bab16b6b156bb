#include "systeminformation.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphmill;

namespace {

// A stand-in for a system-information program: it leaves a mark next to itself when started.
bool writeTool(const QString& folder, const QString& name) {
    QFile script(folder + QLatin1Char('/') + name);
    if (!script.open(QIODevice::WriteOnly))
        return false;
    // Only shell built-ins: the PATH holds nothing but the stand-ins.
    script.write("#!/bin/sh\n: > \"$0.started\"\n");
    script.close();
    return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

// The real lookup on the PATH and the real detached start, with a PATH that holds only
// stand-ins.
class TestNativeSystemInformation : public QObject {
    Q_OBJECT

private:
    QByteArray m_savedPath;

private slots:
    void init() { m_savedPath = qgetenv("PATH"); }
    void cleanup() { qputenv("PATH", m_savedPath); }

    void startsTheFirstKnownToolOnThePath() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeTool(dir.path(), QStringLiteral("kinfocenter")));
        QVERIFY(writeTool(dir.path(), QStringLiteral("gnome-system-monitor")));
        qputenv("PATH", QFile::encodeName(dir.path()));

        const std::unique_ptr<SystemInformation> tool = makeSystemInformation();
        QVERIFY(tool->StartSysInfo());
        QTRY_VERIFY(QFile::exists(dir.filePath(QStringLiteral("kinfocenter.started"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("gnome-system-monitor.started"))));
    }

    void noKnownToolOnThePathFails() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeTool(dir.path(), QStringLiteral("something-else")));
        qputenv("PATH", QFile::encodeName(dir.path()));

        const std::unique_ptr<SystemInformation> tool = makeSystemInformation();
        QVERIFY(!tool->StartSysInfo());
    }
};

QTEST_GUILESS_MAIN(TestNativeSystemInformation)
#include "test_nativesysteminformation.moc"
