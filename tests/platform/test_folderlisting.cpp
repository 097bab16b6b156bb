#include "folderlisting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace glyphmill;

namespace {

// Hidden as the system hides: a leading dot on Unix, the hidden attribute on Windows.
bool hide(const QString& path) {
#ifdef _WIN32
    const auto* name = reinterpret_cast<const wchar_t*>(path.utf16());
    const DWORD attributes = GetFileAttributesW(name);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesW(name, attributes | FILE_ATTRIBUTE_HIDDEN);
#else
    return QFileInfo(path).fileName().startsWith(QLatin1Char('.'));
#endif
}

} // namespace

class TestFolderListing : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tree;

    QString path(const QString& name) const {
        return QDir::toNativeSeparators(m_tree.filePath(name));
    }
    bool makeFile(const QString& name) const {
        QFile file(m_tree.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
    }
    bool makeFolder(const QString& name) const { return QDir(m_tree.path()).mkpath(name); }

private slots:
    void initTestCase() {
        QVERIFY(m_tree.isValid());
        for (const char* name : {"b.bmp", "A.bmp", "c.txt", ".hidden"})
            QVERIFY(makeFile(QString::fromLatin1(name)));
        for (const char* name : {"zeta", "Alpha", ".cache", "zeta/deeper"})
            QVERIFY(makeFolder(QString::fromLatin1(name)));
        QVERIFY(hide(path(QStringLiteral(".hidden"))));
        QVERIFY(hide(path(QStringLiteral(".cache"))));
    }

    // Files but no folders, folders but no files; sorted without regard to case, hidden entries
    // left out, only the folder's own entries.
    void listsTheFolderAsTheSystemShowsIt() {
        const SystemFolderListing listing;
        const QString folder = path(QString());
        QCOMPARE(listing.fileNames(folder),
                 QStringList(
                     {QStringLiteral("A.bmp"), QStringLiteral("b.bmp"), QStringLiteral("c.txt")}));
        QCOMPARE(listing.folderNames(folder),
                 QStringList({QStringLiteral("Alpha"), QStringLiteral("zeta")}));
        QCOMPARE(listing.folderNames(path(QStringLiteral("zeta"))),
                 QStringList{QStringLiteral("deeper")});
    }

    void aFolderThatIsNotThereListsNothing() {
        const SystemFolderListing listing;
        QVERIFY(listing.fileNames(path(QStringLiteral("missing"))).isEmpty());
        QVERIFY(listing.folderNames(path(QStringLiteral("missing"))).isEmpty());
    }
};

QTEST_MAIN(TestFolderListing)
#include "test_folderlisting.moc"
