#pragma once

#include <functional>

class QWidget;

namespace glyphmill::testing {

// Linked into every window test. A modal window waits for a click that nobody makes, and a real
// message box or folder dialog has no business in a test anyway: every window gets a fake prompt
// and folder chooser. So the moment a modal window shows, the guard reacts; by default the test
// program stops at once, naming the window.
using ModalWindowReaction = std::function<void(QWidget& window)>;

// Replaces the reaction (the guard's own test watches instead of stopping); returns the one it
// replaced.
ModalWindowReaction setModalWindowReaction(ModalWindowReaction reaction);

} // namespace glyphmill::testing
