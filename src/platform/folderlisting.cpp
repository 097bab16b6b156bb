#include "folderlisting.h"

#include <QDir>

#ifdef _WIN32
#include <QSet>

#include <windows.h>
#endif

namespace glyphmill {

namespace {

#ifdef _WIN32
// Qt leaves out files with the hidden attribute but knows nothing of the system attribute,
// which marks files such as desktop.ini and thumbs.db that Explorer does not show either.
QSet<QString> systemFileNames(const QString& folder) {
    QSet<QString> names;
    const std::wstring pattern =
        QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("*"))).toStdWString();
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(QString::fromWCharArray(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}
#endif

} // namespace

QStringList SystemFolderListing::folderNames(const QString& folder) const {
    // Without QDir::Hidden, Qt leaves out dot-folders on Unix and folders with the hidden
    // attribute on Windows.
    return QDir(QDir::fromNativeSeparators(folder))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

QStringList SystemFolderListing::fileNames(const QString& folder) const {
    // Without QDir::Hidden, Qt leaves out dot-files on Unix and files with the hidden attribute
    // on Windows. QDir::System keeps what Qt counts as system entries but a file list shows all
    // the same: shortcuts on Windows, pipes and sockets on Unix.
    QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::System, QDir::Name | QDir::IgnoreCase);
#ifdef _WIN32
    const QSet<QString> system = systemFileNames(folder);
    if (!system.isEmpty())
        names.removeIf([&system](const QString& name) { return system.contains(name); });
#endif
    return names;
}

} // namespace glyphmill
