#pragma once

#include <string_view>

namespace glyphmill {

// A width and height in twips.
struct TwipSize {
    long long width = 0;
    long long height = 0;
};

// Where the preview picture goes inside its frame, in twips relative to the frame. Left and top
// keep their fractions; the caller rounds them once, when it turns twips into pixels.
struct PreviewPlacement {
    double left = 0;
    double top = 0;
    long long width = 0;
    long long height = 0;
};

// The picture scaled to touch the box on one axis, keeping its aspect: as wide as the box when
// the picture is at least as wide (ties included), else as tall. Smaller pictures grow. The other
// side is rounded down. A picture without area gives an empty size.
TwipSize fitIntoBox(long long pictureWidth, long long pictureHeight, TwipSize box);

// Centred across; vertically two thirds of the free room go above the picture, which sits the
// picture a little low in the frame, where the eye expects it.
PreviewPlacement placeInFrame(TwipSize picture, TwipSize frame);

// The preview's name test: the ending of a format rastix reads (".jpg", ".bmp", ".jpeg", ".gif",
// ".png", ".tga", ...) anywhere in the lower-cased name.
bool looksLikePicture(std::string_view fileName);

} // namespace glyphmill
