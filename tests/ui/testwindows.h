#pragma once

#include "fakes.h"

#include <QObject>
#include <QString>

namespace glyphmill {

// The child of the given name and type; a missing one is named in the test's output, so the
// failure that follows is easy to read.
template <typename T> T* namedChild(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qWarning("no %s named %s", T::staticMetaObject.className(), name);
    return child;
}

} // namespace glyphmill
