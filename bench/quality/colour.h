#pragma once

namespace quality {

// A colour as shown on screen, 0-255 a channel.
struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;

    bool operator==(const Colour&) const = default;
};

} // namespace quality
