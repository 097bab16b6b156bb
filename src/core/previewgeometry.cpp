#include "previewgeometry.h"

#include "files/pictureformats.h"

#include <cctype>
#include <string>

namespace glyphmill {

TwipSize fitIntoBox(long long pictureWidth, long long pictureHeight, TwipSize box) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || box.width <= 0 || box.height <= 0)
        return {};
    // pw / ph >= BW / BH, compared in whole numbers so that equal aspects really tie.
    if (pictureWidth * box.height >= box.width * pictureHeight)
        return {box.width, box.width * pictureHeight / pictureWidth};
    return {box.height * pictureWidth / pictureHeight, box.height};
}

PreviewPlacement placeInFrame(TwipSize picture, TwipSize frame) {
    PreviewPlacement placement;
    placement.width = picture.width;
    placement.height = picture.height;
    placement.left = static_cast<double>(frame.width - picture.width) / 2.0;
    placement.top = static_cast<double>(frame.height - picture.height) * 2.0 / 3.0;
    return placement;
}

bool looksLikePicture(std::string_view fileName) {
    std::string lower(fileName);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const rastix::PictureFormat& format : rastix::kPictureFormats) {
        for (std::string_view ending : format.endings) {
            if (!ending.empty() && lower.find(ending) != std::string::npos)
                return true;
        }
    }
    return false;
}

} // namespace glyphmill
