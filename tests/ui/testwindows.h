#pragma once

#include "main/formmain.h"

#include <QObject>
#include <QString>

namespace glyphmill {

// What every main window under test needs: a posix system with the program installed in
// /opt/glyphmill. Tests add the fakes they watch.
inline MainWindowServices testServices(const FileAttributes& files) {
    MainWindowServices services;
    services.appFolder = QStringLiteral("/opt/glyphmill");
    services.convention = PathConvention::posix();
    services.files = &files;
    return services;
}

// The child of the given name and type; a missing one is named in the test's output, so the
// failure that follows is easy to read.
template <typename T> T* namedChild(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qWarning("no %s named %s", T::staticMetaObject.className(), name);
    return child;
}

} // namespace glyphmill
