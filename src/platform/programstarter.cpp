#include "programstarter.h"

#include <QProcess>

namespace glyphmill {

bool DetachedProcessStarter::startDetached(const QString& program, const QStringList& arguments) {
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments);
}

} // namespace glyphmill
