#include "uifont.h"

namespace glyphmill {

void adaptUiFont([[maybe_unused]] QFont& font) {
#ifdef _WIN32
    // GDI hints glyph advances to whole pixels, which makes a caption at 10 pixels several pixels
    // wider than its design width ("Regular 16 bits mode" by 7) and clips the captions laid out
    // for it. Without horizontal hinting Qt draws through DirectWrite at the design advances, as
    // text is laid out elsewhere.
    font.setHintingPreference(QFont::PreferVerticalHinting);
#endif
}

} // namespace glyphmill
