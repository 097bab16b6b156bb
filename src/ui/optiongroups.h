#pragma once

class QWidget;

namespace glyphmill {

// Makes the option buttons of each container of `window` one group that the keyboard treats as
// Windows does: Tab enters the group at its selected button only, and the arrow keys move the
// selection within the group. Qt, left alone, enters a group at whichever button comes first in
// the tab order, and counts the buttons of nested containers as members of the outer group.
// Call it once the window's option buttons exist.
void groupOptionButtons(QWidget& window);

} // namespace glyphmill
