#pragma once

// The picture formats rastix reads, named as users know them, with the file-name endings they
// go by. Glyphmill's preview decides what is a picture from this same list, so the front-end
// never offers less than the converter takes, nor more.

#include <array>
#include <string_view>

namespace rastix {

struct PictureFormat {
    std::string_view name;
    // Lower case, with the dot; unused places are empty.
    std::array<std::string_view, 3> endings;
};

// In the order --help names them; TGA comes last because rastix reads it itself, the others
// through the installed Qt image readers. TIFF and WebP come from Qt's image-format plugins,
// which Qt for Windows as the release is built with (Qt's base alone) does not have: there
// neither is read, so neither is offered.
inline constexpr std::array kPictureFormats = {
    PictureFormat{"BMP", {".bmp"}},
    PictureFormat{"GIF", {".gif"}},
    PictureFormat{"JPEG", {".jpg", ".jpeg"}},
    PictureFormat{"PNG", {".png"}},
    PictureFormat{"PPM", {".ppm", ".pgm", ".pbm"}},
    PictureFormat{"XPM", {".xpm"}},
#ifndef _WIN32
    PictureFormat{"TIFF", {".tif", ".tiff"}},
    PictureFormat{"WebP", {".webp"}},
#endif
    PictureFormat{"TGA", {".tga"}},
};

} // namespace rastix
