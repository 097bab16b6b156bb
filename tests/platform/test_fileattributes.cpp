#include "fileattributes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphmill;

namespace {

// Named as the system names programs: Windows knows one by its ".exe" alone.
#ifdef _WIN32
constexpr char kProgram[] = "program.exe";
#else
constexpr char kProgram[] = "program";
#endif

} // namespace

class TestFileAttributes : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    bool makeFile(const char* name, QFile::Permissions permissions) const {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write("x") != 1)
            return false;
        file.close();
        return file.setPermissions(permissions);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(makeFile("plain", QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(makeFile(kProgram, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // What the run button asks before it starts the converter.
    void answersAsTheDiskHasIt_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("executable");
        QTest::newRow("folder") << "folder" << true << true << false;
        QTest::newRow("missing") << "missing" << false << false << false;
#ifndef _WIN32 // Windows runs any file named .exe: there is no right to run it to take away
        QTest::newRow("plain file") << "plain" << false << true << false;
#endif
        QTest::newRow("program") << kProgram << false << true << true;
        QTest::newRow("no name") << "" << false << false << false;
    }

    void answersAsTheDiskHasIt() {
        QFETCH(QString, name);
        QFETCH(bool, folder);
        QFETCH(bool, exists);
        QFETCH(bool, executable);
        const QString asked = name.isEmpty() ? QString() : m_dir.filePath(name);
        const SystemFileAttributes files;
        QCOMPARE(files.isDirectory(asked), folder);
        QCOMPARE(files.exists(asked), exists);
        QCOMPARE(files.isExecutable(asked), executable);
    }
};

QTEST_MAIN(TestFileAttributes)
#include "test_fileattributes.moc"
