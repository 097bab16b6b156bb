#pragma once

#include "codec/encodedpicture.h"
#include "image/largeblock.h"
#include "settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rastix {

// A picture as the console shows it: 8-bit red, green and blue for each pixel, rows without
// gaps.
struct ShownPicture {
    int width = 0;
    int height = 0;
    ByteBuffer rgb;
};

// What shows where a pixel is not drawn (TRANS and a transparent word or index 0): a grey that
// no converted colour is mistaken for, so glass stays visible.
constexpr std::uint8_t kShownBackdropGrey = 128;
// The line buffer a relative CRY object is drawn over: the neutral colour byte at half
// intensity, the point its deltas are measured from, so that a picture kept whole (--both)
// shows as its absolute CRY.
constexpr std::uint16_t kGlassLineBuffer = 0x8880;

// The encoded words read back by the console's display rules, not the source picture: each
// 16-bit word as the screen mode of the settings shows it (RGB16, CRY16, or with --15-bits the
// mixed mode, where bit 0 picks RGB or CRY), a map's pixels through the CLUT loaded with its
// palette words where its bank lies and addressed as the object's INDEX field says, relative
// CRY added to kGlassLineBuffer. Rows lose their phrase padding; a sheet's frames are each
// read from their own offset in the data and laid out in the sheet's columns, left to right
// and top to bottom. Empty, with error set, when the data is shorter than its frames need.
ShownPicture consoleView(const EncodedPicture& picture, const Settings& settings,
                         std::string& error);

} // namespace rastix
