#include "loaders/animationframes.h"

#include <algorithm>
#include <cstddef>

namespace rastix {

namespace {

std::uint32_t littleEndian(const std::string& s, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(s[at + std::size_t(i)]);
    return value;
}

void putLittleEndian(std::string& to, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        to += static_cast<char>(value >> (8 * i) & 0xFF);
}

// "its VP8L chunk", naming the tag only when it is letters, digits and spaces, as a valid one
// is: anything else could put a line break into the message.
std::string chunkName(const std::string& tag) {
    const bool named = std::all_of(tag.begin(), tag.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == ' ';
    });
    return named ? "its " + tag + " chunk" : std::string("a chunk");
}

} // namespace

bool cutOutWebpFrames(const std::string& file, CutOutAnimation& animation, std::string& error) {
    animation = {};
    if (file.size() < 12 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 4, "WEBP") != 0)
        return true;
    const std::size_t end =
        std::min<std::size_t>(file.size(), std::size_t{8} + littleEndian(file, 4, 4));
    bool animated = false;
    // Chunks: a tag, a length and the data, padded to an even length.
    for (std::size_t at = 12; at < end;) {
        if (end - at < 8) {
            error = "the file ends inside a chunk's header";
            return false;
        }
        const std::string tag = file.substr(at, 4);
        const std::size_t length = littleEndian(file, at + 4, 4);
        if (length > end - at - 8) {
            error = "the file ends inside " + chunkName(tag);
            return false;
        }
        const std::size_t data = at + 8;
        at = data + length + (length & 1);
        if (tag == "VP8X" && length >= 10) {
            animated = (file[data] & 0x02) != 0;
            animation.canvasWidth = int(littleEndian(file, data + 4, 3)) + 1;
            animation.canvasHeight = int(littleEndian(file, data + 7, 3)) + 1;
        } else if (tag == "ANMF" && animated) {
            if (length < 16) {
                error = "an ANMF chunk is too short";
                return false;
            }
            CutOutFrame frame;
            FramePlacement& place = frame.placement;
            place.x = int(littleEndian(file, data, 3)) * 2;
            place.y = int(littleEndian(file, data + 3, 3)) * 2;
            place.width = int(littleEndian(file, data + 6, 3)) + 1;
            place.height = int(littleEndian(file, data + 9, 3)) + 1;
            frame.delayMs = int(littleEndian(file, data + 12, 3));
            const unsigned flags = static_cast<unsigned char>(file[data + 15]);
            place.blend = (flags & 0x02) ? FrameBlend::Source : FrameBlend::Over;
            place.disposal = (flags & 0x01) ? FrameDisposal::Background : FrameDisposal::Keep;
            if (place.x + place.width > animation.canvasWidth ||
                place.y + place.height > animation.canvasHeight) {
                error = "frame " + std::to_string(animation.frames.size() + 1) +
                        " does not fit its canvas";
                return false;
            }
            const std::string payload = file.substr(data + 16, length - 16);
            // The frame alone: an extended file of its size holding the frame's chunks.
            std::string& out = frame.stream;
            out = "RIFF";
            putLittleEndian(out, std::uint32_t(4 + 18 + payload.size()), 4);
            out += "WEBPVP8X";
            putLittleEndian(out, 10, 4);
            // Flagged as having alpha: Qt's reader goes by the flag, and a lossless frame's
            // alpha is inside its bitstream, where only decoding it would tell.
            putLittleEndian(out, 0x10, 4);
            putLittleEndian(out, std::uint32_t(place.width - 1), 3);
            putLittleEndian(out, std::uint32_t(place.height - 1), 3);
            out += payload;
            animation.frames.push_back(std::move(frame));
        }
    }
    return true;
}

} // namespace rastix
