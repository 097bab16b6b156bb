#include "fileattributes.h"

#include <QFileInfo>

namespace glyphmill {

bool SystemFileAttributes::isDirectory(const QString& path) const {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool SystemFileAttributes::exists(const QString& path) const {
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool SystemFileAttributes::isExecutable(const QString& path) const {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace glyphmill
