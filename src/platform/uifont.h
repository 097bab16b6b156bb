#pragma once

#include <QFont>

namespace glyphmill {

// Fits the program's user-interface font to the way the system renders text, so captions keep
// the widths the window layout was drawn for.
void adaptUiFont(QFont& font);

} // namespace glyphmill
