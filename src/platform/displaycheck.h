#pragma once

#include <QString>

namespace glyphmill {

// Empty when a graphical display can be reached; otherwise the one line to tell the user.
// Checked before the application object exists, since Qt aborts without a display.
QString missingDisplayMessage();

} // namespace glyphmill
