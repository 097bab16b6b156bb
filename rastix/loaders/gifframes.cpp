#include "loaders/animationframes.h"

#include <cstddef>

namespace rastix {

namespace {

// Reads a GIF's blocks in order; every read checks that the file holds what it takes.
class GifCursor {
public:
    explicit GifCursor(const std::string& file)
        : m_file(file) {}
    bool has(std::size_t count) const { return m_file.size() - m_at >= count; }
    unsigned byte(std::size_t offset = 0) const {
        return static_cast<unsigned char>(m_file[m_at + offset]);
    }
    unsigned word(std::size_t offset) const { return byte(offset) | byte(offset + 1) << 8; }
    std::string take(std::size_t count) {
        std::string part = m_file.substr(m_at, count);
        m_at += count;
        return part;
    }
    // A run of data sub-blocks up to its empty one, included; false when the file ends first.
    bool takeSubBlocks(std::string& into) {
        for (;;) {
            if (!has(1))
                return false;
            const std::size_t length = byte();
            if (!has(1 + length))
                return false;
            into += take(1 + length);
            if (length == 0)
                return true;
        }
    }

private:
    const std::string& m_file;
    std::size_t m_at = 0;
};

std::size_t colourTableBytes(unsigned packed) {
    return (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0;
}

void putWord(std::string& to, unsigned value) {
    to += static_cast<char>(value & 0xFF);
    to += static_cast<char>(value >> 8 & 0xFF);
}

FrameDisposal gifDisposal(unsigned method) {
    // 0 says nothing and 4 to 7 are undefined: viewers leave those frames as drawn.
    if (method == 2)
        return FrameDisposal::Background;
    if (method == 3)
        return FrameDisposal::Previous;
    return FrameDisposal::Keep;
}

} // namespace

bool cutOutGifFrames(const std::string& file, CutOutAnimation& animation, std::string& error) {
    animation = {};
    GifCursor in(file);
    if (!in.has(13) || file.compare(0, 3, "GIF") != 0)
        return true;
    const std::string header = in.take(13);
    const unsigned screenPacked = static_cast<unsigned char>(header[10]);
    const std::size_t globalTable = colourTableBytes(screenPacked);
    if (!in.has(globalTable)) {
        error = "the file ends inside its global colour table";
        return false;
    }
    const std::string globalColours = in.take(globalTable);
    animation.canvasWidth = static_cast<int>((header[6] & 0xFF) | (header[7] & 0xFF) << 8);
    animation.canvasHeight = static_cast<int>((header[8] & 0xFF) | (header[9] & 0xFF) << 8);
    std::string control; // the graphic control extension for the next image, if any
    const auto damaged = [&](const std::string& what) {
        error = what + " (frame " + std::to_string(animation.frames.size() + 1) + ")";
        return false;
    };
    for (;;) {
        if (!in.has(1))
            return damaged("the file ends before its trailer");
        const unsigned introducer = in.byte();
        if (introducer == 0x3B)
            return true;
        if (introducer == 0x21) {
            if (!in.has(2))
                return damaged("the file ends inside an extension");
            const bool isControl = in.byte(1) == 0xF9;
            in.take(2);
            std::string blocks;
            if (!in.takeSubBlocks(blocks))
                return damaged("the file ends inside an extension");
            if (isControl) {
                if (blocks.size() < 6 || blocks[0] != 4)
                    return damaged("a graphic control extension of the wrong size");
                control = blocks;
            }
            continue;
        }
        if (introducer != 0x2C)
            return damaged("an unknown block where a frame or the trailer belongs");
        if (!in.has(10))
            return damaged("the file ends inside an image descriptor");
        CutOutFrame frame;
        frame.placement.x = static_cast<int>(in.word(1));
        frame.placement.y = static_cast<int>(in.word(3));
        frame.placement.width = static_cast<int>(in.word(5));
        frame.placement.height = static_cast<int>(in.word(7));
        frame.placement.blend = FrameBlend::Over;
        const unsigned imagePacked = in.byte(9);
        in.take(10);
        const std::size_t localTable = colourTableBytes(imagePacked);
        if (!in.has(localTable + 1))
            return damaged("the file ends inside a frame's colour table");
        const std::string localColours = in.take(localTable + 1); // and the LZW code size
        std::string data;
        if (!in.takeSubBlocks(data))
            return damaged("the file ends inside a frame's image data");
        unsigned delay = 0;
        if (!control.empty()) {
            const auto packed = static_cast<unsigned char>(control[1]);
            frame.placement.disposal = gifDisposal(packed >> 2 & 7);
            delay = static_cast<unsigned char>(control[2]) |
                    static_cast<unsigned>(static_cast<unsigned char>(control[3])) << 8;
        }
        frame.delayMs = delay < 2 ? 100 : static_cast<int>(delay) * 10;
        // The frame alone: a screen of its size, the same colours and transparency, drawn at 0,0.
        std::string& out = frame.stream;
        out = "GIF89a";
        putWord(out, static_cast<unsigned>(frame.placement.width));
        putWord(out, static_cast<unsigned>(frame.placement.height));
        out += header.substr(10, 3);
        out += globalColours;
        if (!control.empty()) {
            std::string alone = control;
            alone[1] = static_cast<char>(alone[1] & 0x01); // transparency only, no disposal
            alone[2] = alone[3] = 0;
            out += "\x21\xF9";
            out += alone;
        }
        out += ',';
        putWord(out, 0);
        putWord(out, 0);
        putWord(out, static_cast<unsigned>(frame.placement.width));
        putWord(out, static_cast<unsigned>(frame.placement.height));
        out += static_cast<char>(imagePacked);
        out += localColours;
        out += data;
        out += ';';
        animation.frames.push_back(std::move(frame));
        control.clear();
    }
}

} // namespace rastix
