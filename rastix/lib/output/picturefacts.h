#pragma once

#include "codec/encodedpicture.h"
#include "settings.h"

#include <string>
#include <vector>

namespace rastix {

// What every source output (assembly or C) says of a picture, so that they say the same.

// The lines of its comment header, without the comment marks.
std::vector<std::string> pictureDescription(const EncodedPicture& shape, const Settings& settings,
                                            const std::string& sourceName);

// A constant it defines: LABEL_name = value, and what it means.
struct PictureConstant {
    std::string name;
    long long value = 0;
    std::string note;
};
// The sizes and the object's fields, in the order they are written.
std::vector<PictureConstant> pictureConstants(const EncodedPicture& shape,
                                              const Settings& settings);

// A table of one long a frame that a sheet or an animation has beside its data: LABEL_suffix.
struct FrameTable {
    std::string suffix;
    std::vector<long long> values;
    std::string note;
};
// In the order they are written: the offsets, then any delays and reflections.
std::vector<FrameTable> frameTables(const EncodedPicture& shape);

} // namespace rastix
