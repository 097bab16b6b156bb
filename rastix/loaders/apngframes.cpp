#include "loaders/animationframes.h"

#include "files/utf8path.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

namespace rastix {

namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1A\n";
constexpr std::size_t kSignatureBytes = 8;
constexpr std::uint32_t kLongestChunk = 0x7FFFFFFF; // as PNG allows

std::uint32_t bigEndian32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
}

unsigned bigEndian16(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return unsigned(b[0]) << 8 | b[1];
}

void putBigEndian32(std::string& to, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        to += static_cast<char>(value >> shift & 0xFF);
}

void putChunk(std::string& to, const char* type, const char* data, std::size_t length) {
    putBigEndian32(to, static_cast<std::uint32_t>(length));
    const std::size_t start = to.size();
    to.append(type, 4);
    to.append(data, length);
    putBigEndian32(to, pngCrc32(to.data() + start, length + 4));
}

// The fewest bytes a deflate stream can squeeze rows of pixels into: about a thousandth of
// them. A frame whose data is far smaller than that is damaged, and its size not believed.
bool dataCanHold(std::uint64_t dataBytes, std::uint64_t width, std::uint64_t height,
                 unsigned bitsPerPixel) {
    const std::uint64_t rowBytes = 1 + (width * bitsPerPixel + 7) / 8;
    return rowBytes * height / 1032 <= dataBytes + 64;
}

unsigned bitsPerPixel(const std::string& ihdr) {
    const unsigned depth = static_cast<unsigned char>(ihdr[8]);
    switch (static_cast<unsigned char>(ihdr[9])) {
    case 2:
        return depth * 3;
    case 4:
        return depth * 2;
    case 6:
        return depth * 4;
    default:
        return depth;
    }
}

// A chunk's type is four ASCII letters; anything else (a line break, say) is not put into a
// message.
bool isChunkType(const std::string& type) {
    return std::all_of(type.begin(), type.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

struct FrameInProgress {
    CutOutFrame frame;
    std::string data; // the IDAT chunks
};

} // namespace

std::uint32_t pngCrc32(const char* data, std::size_t length, std::uint32_t crc) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < length; ++i)
        crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

bool isAnimatedPng(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(openFile(path, "rb"), std::fclose);
    char head[kSignatureBytes];
    if (!in || std::fread(head, 1, kSignatureBytes, in.get()) != kSignatureBytes ||
        std::string(head, kSignatureBytes) != std::string(kSignature, kSignatureBytes))
        return false;
    char chunk[8];
    while (std::fread(chunk, 1, 8, in.get()) == 8) {
        const std::string type(chunk + 4, 4);
        if (type == "acTL")
            return true;
        if (type == "IDAT" || type == "IEND")
            return false;
        const std::uint32_t length = bigEndian32(chunk);
        if (length > kLongestChunk || std::fseek(in.get(), long(length) + 4, SEEK_CUR) != 0)
            return false;
    }
    return false;
}

bool cutOutApngFrames(const std::string& file, CutOutAnimation& animation, std::string& error) {
    animation = {};
    if (file.compare(0, kSignatureBytes, kSignature, kSignatureBytes) != 0)
        return true;
    std::string ihdr;   // its 13 bytes of data
    std::string shared; // PLTE and tRNS, whole chunks
    bool animated = false;
    bool seenImageData = false;
    bool defaultIsFrame = false;
    std::uint32_t declaredFrames = 0;
    std::uint32_t nextSequence = 0;
    std::vector<FrameInProgress> frames;
    const auto damaged = [&](const std::string& what) {
        error = what;
        animation = {};
        return false;
    };
    std::size_t at = kSignatureBytes;
    for (;;) {
        if (file.size() - at < 12)
            return damaged("the file ends before its IEND chunk");
        const std::uint32_t length = bigEndian32(file.data() + at);
        const std::string type = file.substr(at + 4, 4);
        if (length > kLongestChunk || file.size() - at - 12 < length)
            return damaged("the file ends inside a chunk (" + std::to_string(length) +
                           " bytes declared)");
        const char* data = file.data() + at + 8;
        if (pngCrc32(file.data() + at + 4, length + 4) != bigEndian32(data + length))
            return damaged("a " + (isChunkType(type) ? type : std::string("damaged")) +
                           " chunk's checksum does not match its data");
        at += 12 + std::size_t{length};
        const auto number = [&] {
            return std::to_string(frames.size() + 1);
        };
        if (ihdr.empty()) {
            if (type != "IHDR" || length != 13)
                return damaged("the file does not start with a header chunk of 13 bytes");
            ihdr.assign(data, length);
            animation.canvasWidth = static_cast<int>(bigEndian32(data));
            animation.canvasHeight = static_cast<int>(bigEndian32(data + 4));
            if (animation.canvasWidth <= 0 || animation.canvasHeight <= 0)
                return damaged("its header gives a size of 0 or beyond what PNG allows");
            continue;
        }
        if (type == "IEND")
            break;
        if (type == "acTL" && !seenImageData) {
            if (length != 8)
                return damaged("its acTL chunk is not 8 bytes long");
            declaredFrames = bigEndian32(data);
            animated = true;
            if (declaredFrames == 0)
                return damaged("its acTL chunk declares no frames");
        } else if ((type == "PLTE" || type == "tRNS") && !seenImageData) {
            shared.append(file, at - 12 - length, 12 + std::size_t{length});
        } else if (type == "fcTL" && animated) {
            if (length != 26)
                return damaged("frame " + number() + "'s fcTL chunk is not 26 bytes long");
            if (bigEndian32(data) != nextSequence++)
                return damaged("frame " + number() + "'s fcTL chunk is out of sequence");
            FrameInProgress next;
            FramePlacement& place = next.frame.placement;
            const std::uint64_t width = bigEndian32(data + 4);
            const std::uint64_t height = bigEndian32(data + 8);
            const std::uint64_t x = bigEndian32(data + 12);
            const std::uint64_t y = bigEndian32(data + 16);
            if (width == 0 || height == 0 || x + width > std::uint64_t(animation.canvasWidth) ||
                y + height > std::uint64_t(animation.canvasHeight) ||
                (frames.empty() &&
                 (x != 0 || y != 0 || width != std::uint64_t(animation.canvasWidth) ||
                  height != std::uint64_t(animation.canvasHeight))))
                return damaged("frame " + number() + "'s area " + std::to_string(width) + "x" +
                               std::to_string(height) + " at " + std::to_string(x) + "," +
                               std::to_string(y) + " does not fit its canvas of " +
                               std::to_string(animation.canvasWidth) + "x" +
                               std::to_string(animation.canvasHeight));
            place = {
                int(x), int(y), int(width), int(height), FrameDisposal::Keep, FrameBlend::Source};
            const unsigned dispose = static_cast<unsigned char>(data[24]);
            const unsigned blend = static_cast<unsigned char>(data[25]);
            if (dispose > 2 || blend > 1)
                return damaged("frame " + number() +
                               "'s fcTL chunk has an unknown dispose or "
                               "blend operation");
            place.disposal = dispose == 1   ? FrameDisposal::Background
                             : dispose == 2 ? FrameDisposal::Previous
                                            : FrameDisposal::Keep;
            place.blend = blend == 1 ? FrameBlend::Over : FrameBlend::Source;
            const unsigned numerator = bigEndian16(data + 20);
            const unsigned denominator = bigEndian16(data + 22) == 0 ? 100 : bigEndian16(data + 22);
            next.frame.delayMs =
                static_cast<int>((numerator * 1000u + denominator / 2) / denominator);
            if (frames.size() == declaredFrames)
                return damaged("it has more frames than its acTL chunk declares (" +
                               std::to_string(declaredFrames) + ")");
            frames.push_back(std::move(next));
        } else if (type == "IDAT") {
            // The default image is the first frame only when an fcTL came before it.
            if (!seenImageData)
                defaultIsFrame = animated && frames.size() == 1;
            seenImageData = true;
            if (defaultIsFrame)
                putChunk(frames[0].data, "IDAT", data, length);
        } else if (type == "fdAT" && animated) {
            if (length < 4)
                return damaged("an fdAT chunk is shorter than its sequence number");
            if (bigEndian32(data) != nextSequence++)
                return damaged("frame " + number() + "'s fdAT chunk is out of sequence");
            if (frames.empty() || !seenImageData || (defaultIsFrame && frames.size() == 1))
                return damaged("an fdAT chunk comes before its frame's fcTL or the image data");
            putChunk(frames.back().data, "IDAT", data + 4, length - 4);
        }
    }
    if (!animated)
        return true;
    if (frames.size() != declaredFrames)
        return damaged("it has " + std::to_string(frames.size()) +
                       " frames where its acTL chunk "
                       "declares " +
                       std::to_string(declaredFrames));
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const FramePlacement& place = frames[k].frame.placement;
        if (frames[k].data.empty() ||
            !dataCanHold(frames[k].data.size(), std::uint64_t(place.width),
                         std::uint64_t(place.height), bitsPerPixel(ihdr)))
            return damaged("frame " + std::to_string(k + 1) + "'s data (" +
                           std::to_string(frames[k].data.size()) + " bytes) cannot hold its " +
                           std::to_string(place.width) + "x" + std::to_string(place.height) +
                           " pixels");
        std::string header;
        putBigEndian32(header, static_cast<std::uint32_t>(place.width));
        putBigEndian32(header, static_cast<std::uint32_t>(place.height));
        header.append(ihdr, 8, 5);
        CutOutFrame& frame = frames[k].frame;
        frame.stream.assign(kSignature, kSignatureBytes);
        putChunk(frame.stream, "IHDR", header.data(), header.size());
        frame.stream += shared;
        frame.stream += frames[k].data;
        putChunk(frame.stream, "IEND", "", 0);
        frames[k].data = {};
        animation.frames.push_back(std::move(frame));
    }
    return true;
}

} // namespace rastix
