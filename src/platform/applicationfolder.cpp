#include "applicationfolder.h"

#include <QCoreApplication>
#include <QDir>

namespace glyphmill {

QString withoutTrailingSeparator(QString path, QChar separator) {
    while (path.endsWith(separator))
        path.chop(1);
    return path;
}

QString applicationFolder() {
    return withoutTrailingSeparator(
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()), QDir::separator());
}

} // namespace glyphmill
