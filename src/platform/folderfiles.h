#pragma once

#include <QString>
#include <QStringList>

namespace glyphmill {

// The names of the files in `folder` that the file list shows, sorted without regard to case.
// Hidden files are left out, as the system's own file browser leaves them out: names beginning
// with a dot on Unix, files with the hidden or the system attribute on Windows.
QStringList visibleFileNames(const QString& folder);

} // namespace glyphmill
