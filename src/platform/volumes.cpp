#include "volumes.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace glyphmill {

#ifdef _WIN32

QStringList SystemVolumes::names() const {
    // Every drive letter, with or without a medium, as the classic drive list shows them.
    QStringList drives;
    for (const QFileInfo& root : QDir::drives())
        drives.append(root.path().left(2).toLower());
    return drives;
}

bool SystemVolumes::isReadable(const QString& volume) const {
    const QString root = volume + QLatin1Char('/');
    const QStorageInfo storage(root);
    return storage.isValid() && storage.isReady() && QDir(root).isReadable();
}

#else

namespace {

bool isPseudoFileSystem(const QByteArray& type) {
    static const QByteArrayList kPseudo = {
        "proc",       "sysfs",    "cgroup",  "cgroup2",     "devpts",          "devtmpfs",
        "securityfs", "pstore",   "bpf",     "tracefs",     "debugfs",         "mqueue",
        "hugetlbfs",  "configfs", "fusectl", "binfmt_misc", "autofs",          "efivarfs",
        "rpc_pipefs", "nsfs",     "ramfs",   "selinuxfs",   "fuse.gvfsd-fuse", "fuse.portal"};
    return kPseudo.contains(type);
}

bool isSystemMountPoint(const QString& root) {
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run"}) {
        const QString p = QString::fromLatin1(prefix);
        if (root == p || root.startsWith(p + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

QStringList SystemVolumes::names() const {
    QStringList roots;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        if (!storage.isValid() || isPseudoFileSystem(storage.fileSystemType()) ||
            isSystemMountPoint(root) || roots.contains(root))
            continue;
        roots.append(root);
    }
    std::sort(roots.begin(), roots.end());
    roots.removeAll(QStringLiteral("/"));
    roots.prepend(QStringLiteral("/"));
    return roots;
}

bool SystemVolumes::isReadable(const QString& volume) const {
    const QStorageInfo storage(volume);
    const QFileInfo info(volume);
    return storage.isValid() && storage.isReady() && info.isDir() && info.isReadable() &&
           info.isExecutable();
}

#endif

} // namespace glyphmill
