#pragma once

#include <QString>

namespace glyphmill {

// The folder of the running executable, in the system's own spelling, without a trailing
// separator. The converter is looked up there.
QString applicationFolder();

// `path` without trailing separators (a bare root keeps nothing, so that appending a
// separator and a name gives the right path).
QString withoutTrailingSeparator(QString path, QChar separator);

} // namespace glyphmill
