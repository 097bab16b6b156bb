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
// through the installed Qt image readers.
inline constexpr std::array<PictureFormat, 9> kPictureFormats = {{
    {"BMP", {".bmp"}},
    {"GIF", {".gif"}},
    {"JPEG", {".jpg", ".jpeg"}},
    {"PNG", {".png"}},
    {"PPM", {".ppm", ".pgm", ".pbm"}},
    {"XPM", {".xpm"}},
    {"TIFF", {".tif", ".tiff"}},
    {"WebP", {".webp"}},
    {"TGA", {".tga"}},
}};

} // namespace rastix
