#pragma once

#include "convert/loadedpicture.h"

#include <string>

namespace rastix {

enum class AnimationLoad {
    Still,   // not an animation of more than one frame: to be read as a still picture
    Loaded,  // the frames are in the picture (see LoadedPicture::frameHeight)
    Refused, // damaged, or refused by the admission: the error says why
};

// Reads an animated GIF, WebP or PNG as its frames composed and stacked (see
// LoadedPicture::frameHeight). Qt's GIF reader clears a frame disposed to the background with
// the file's background colour, where viewers leave it transparent, and its WebP reader does
// not clear an opaque frame disposed to the background; so GIF and WebP are cut into their
// frames and composed here, each frame decoded alone by Qt. An APNG's frames are decoded by
// libpng (which knows no APNG) and composed here. Without libpng an APNG is read as its
// default image.
AnimationLoad loadAnimation(const std::string& path, LoadedPicture& picture, std::string& error);

// Whether the file is an animation of more than one frame, as loadAnimation reads it; its frames
// are found but not decoded.
bool isAnimation(const std::string& path);

} // namespace rastix
