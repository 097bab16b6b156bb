#pragma once

class QApplication;
class QWidget;

namespace glyphmill {

// The look every window is designed for: a fixed style and a compact font, so that the
// captions of the fixed layouts fit on every machine.
void applyUiStyle(QApplication& app);

// Places a top-level window in the middle of its screen's available area.
void centreOnScreen(QWidget& window);

} // namespace glyphmill
