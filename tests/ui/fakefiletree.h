#pragma once

#include "fileattributes.h"
#include "folderlisting.h"

#include <QByteArray>
#include <QDir>
#include <QHash>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace glyphmill::testing {

// The volume the browser starts on and the folder it opens there: the root on Unix, drive c: on
// Windows.
#ifdef _WIN32
inline const QString kStartVolume = QStringLiteral("c:");
inline const QString kStartFolder = QStringLiteral("c:\\");
#else
inline const QString kStartVolume = QStringLiteral("/");
inline const QString kStartFolder = QStringLiteral("/");
#endif

// A disk in memory: folders, and files with their content. It answers the windows' attribute
// queries and lists folders for the browser, so no window test reads the real disk; paths may
// be spelt with either separator. Its root is the folder the browser starts in, so what the
// browser shows at first is this tree too. Every folder listed is noted.
class FakeFileTree final : public FileAttributes, public FolderListing {
public:
    FakeFileTree() { addFolder(kStartFolder); }

    // Adds the folder and every folder above it.
    void addFolder(const QString& path) {
        for (QString key = keyOf(path); !key.isEmpty(); key = parentOf(key))
            m_entries[key].folder = true;
    }

    // Adds the file and the folders above it; only an executable one can be started.
    void addFile(const QString& path, const QByteArray& content = "x", bool executable = false) {
        const QString key = keyOf(path);
        addFolder(parentOf(key));
        m_entries[key] = Entry{false, content, executable};
    }

    // Removes the entry, and everything in it when it is a folder.
    void remove(const QString& path) {
        const QString key = keyOf(path);
        const QString inside = key.endsWith(QLatin1Char('/')) ? key : key + QLatin1Char('/');
        m_entries.removeIf([&](const auto& entry) {
            return entry.key() == key || entry.key().startsWith(inside);
        });
    }

    bool isFile(const QString& path) const {
        const auto found = m_entries.constFind(keyOf(path));
        return found != m_entries.cend() && !found->folder;
    }

    QByteArray content(const QString& path) const { return m_entries.value(keyOf(path)).content; }

    bool isDirectory(const QString& path) const override {
        const auto found = m_entries.constFind(keyOf(path));
        return found != m_entries.cend() && found->folder;
    }
    bool exists(const QString& path) const override { return m_entries.contains(keyOf(path)); }
    bool isExecutable(const QString& path) const override {
        return isFile(path) && m_entries.value(keyOf(path)).executable;
    }

    QStringList folderNames(const QString& folder) const override { return names(folder, true); }
    QStringList fileNames(const QString& folder) const override { return names(folder, false); }

    // Every folder the browser had listed, in the order asked, spelt as asked.
    mutable QStringList listed;

private:
    struct Entry {
        bool folder = false;
        QByteArray content;
        bool executable = false;
    };

    static QString keyOf(const QString& path) {
        return path.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(path));
    }

    // Empty for a root ("/", "c:/").
    static QString parentOf(const QString& key) {
        const qsizetype cut = key.lastIndexOf(QLatin1Char('/'));
        if (cut < 0 || cut == key.size() - 1)
            return {};
        const QString parent = key.left(cut);
        return parent.isEmpty() || parent.endsWith(QLatin1Char(':')) ? parent + QLatin1Char('/')
                                                                     : parent;
    }

    QStringList names(const QString& folder, bool folders) const {
        listed.append(folder);
        const QString key = keyOf(folder);
        QStringList found;
        for (auto entry = m_entries.cbegin(); entry != m_entries.cend(); ++entry) {
            if (entry->folder == folders && parentOf(entry.key()) == key)
                found.append(entry.key().mid(entry.key().lastIndexOf(QLatin1Char('/')) + 1));
        }
        // The system's order: without regard to case.
        std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
            const int order = a.compare(b, Qt::CaseInsensitive);
            return order != 0 ? order < 0 : a < b;
        });
        return found;
    }

    QHash<QString, Entry> m_entries;
};

} // namespace glyphmill::testing
