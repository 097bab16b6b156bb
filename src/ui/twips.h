#pragma once

#include <QRect>

namespace glyphmill {

// Window designs are given in twips; the screen has 15 of them to a logical pixel.
inline constexpr int kTwipsPerPixel = 15;

int twipsToPixels(int twips);
QRect twipsToPixels(int left, int top, int width, int height);

} // namespace glyphmill
