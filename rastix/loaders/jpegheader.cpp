#include "loaders/jpegheader.h"

#include "files/utf8path.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace rastix {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

struct Component {
    std::uint64_t horizontal = 1; // sampling factors
    std::uint64_t vertical = 1;
};

struct Frame {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    bool progressive = false;
    std::vector<Component> components;
};

std::uint64_t roundUp(std::uint64_t value, std::uint64_t unit) {
    return (value + unit - 1) / unit * unit;
}

// As libjpeg's jdcoefct.c sizes its whole-image buffer for each component.
std::uint64_t coefficientBytes(const Frame& f) {
    std::uint64_t maxH = 1;
    std::uint64_t maxV = 1;
    for (const Component& c : f.components) {
        maxH = std::max(maxH, c.horizontal);
        maxV = std::max(maxV, c.vertical);
    }
    std::uint64_t bytes = 0;
    for (const Component& c : f.components) {
        const std::uint64_t across = (f.width * c.horizontal + maxH * 8 - 1) / (maxH * 8);
        const std::uint64_t down = (f.height * c.vertical + maxV * 8 - 1) / (maxV * 8);
        bytes += roundUp(across, c.horizontal) * roundUp(down, c.vertical) * 64 * 2;
    }
    return bytes;
}

bool isFrameMarker(int marker) {
    // SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

JpegLayout readJpegLayout(const std::string& path) {
    const std::unique_ptr<std::FILE, FileCloser> file(openFile(path, "rb"));
    if (!file)
        return {};
    std::FILE* in = file.get();
    if (std::fgetc(in) != 0xFF || std::fgetc(in) != 0xD8)
        return {};
    Frame frame;
    for (;;) {
        int marker = std::fgetc(in);
        if (marker != 0xFF)
            return {};
        while (marker == 0xFF) // fill bytes
            marker = std::fgetc(in);
        if (marker == EOF || marker == 0xD9) // the end, before any scan
            return {};
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // no length follows
        const int high = std::fgetc(in);
        const int low = std::fgetc(in);
        if (low == EOF)
            return {};
        const int length = high << 8 | low;
        if (length < 2)
            return {};
        std::vector<unsigned char> segment(static_cast<std::size_t>(length - 2));
        if (std::fread(segment.data(), 1, segment.size(), in) != segment.size())
            return {};
        if (isFrameMarker(marker)) {
            if (segment.size() < 6)
                return {};
            frame.progressive =
                marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            frame.height = std::uint64_t{segment[1]} << 8 | segment[2];
            frame.width = std::uint64_t{segment[3]} << 8 | segment[4];
            const std::size_t count = segment[5];
            if (segment.size() < 6 + 3 * count)
                return {};
            frame.components.clear();
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint64_t factors = segment[6 + 3 * i + 1];
                frame.components.push_back({std::max<std::uint64_t>(1, factors >> 4),
                                            std::max<std::uint64_t>(1, factors & 15)});
            }
        } else if (marker == 0xDA) { // the first scan
            if (frame.components.empty() || segment.empty())
                return {};
            const bool multiScan = frame.progressive || segment[0] < frame.components.size();
            return {static_cast<int>(frame.components.size()),
                    multiScan ? coefficientBytes(frame) : 0};
        }
    }
}

} // namespace rastix
