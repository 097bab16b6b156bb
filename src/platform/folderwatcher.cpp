#include "folderwatcher.h"

#include <QDir>

#include <algorithm>
#include <utility>

namespace glyphmill {

SystemFolderWatcher::SystemFolderWatcher(QObject* parent)
    : FolderWatcher(parent) {
    m_quiet.setSingleShot(true);
    connect(&m_quiet, &QTimer::timeout, this, &SystemFolderWatcher::tellPending);
    connect(&m_system, &QFileSystemWatcher::directoryChanged, this,
            &SystemFolderWatcher::noteChange);
}

void SystemFolderWatcher::watch(const QStringList& folders) {
    QHash<QString, QString> wanted;
    for (const QString& folder : folders) {
        if (!folder.isEmpty())
            wanted.insert(QDir::cleanPath(QDir::fromNativeSeparators(folder)), folder);
    }
    const QStringList watched = m_system.directories();
    QStringList gone;
    for (const QString& path : watched) {
        if (!wanted.contains(path))
            gone.append(path);
    }
    if (!gone.isEmpty())
        m_system.removePaths(gone);
    QStringList added;
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (!watched.contains(it.key()))
            added.append(it.key());
    }
    // A folder that cannot be watched (gone, or the system's watches used up) is simply not
    // followed: the lists still show what it held when they were filled.
    if (!added.isEmpty())
        m_system.addPaths(added);
    m_asked = std::move(wanted);
}

void SystemFolderWatcher::noteChange(const QString& watchedPath) {
    const auto asked = m_asked.constFind(watchedPath);
    if (asked == m_asked.cend())
        return;
    m_pending.insert(*asked);
    if (!m_sinceFirstPending.isValid())
        m_sinceFirstPending.start();
    const qint64 left = kLongestWaitMs - m_sinceFirstPending.elapsed();
    m_quiet.start(static_cast<int>(std::clamp<qint64>(left, 0, kQuietMs)));
}

void SystemFolderWatcher::tellPending() {
    const QSet<QString> changed = std::exchange(m_pending, {});
    m_sinceFirstPending.invalidate();
    for (const QString& folder : changed)
        emit folderChanged(folder);
}

} // namespace glyphmill
