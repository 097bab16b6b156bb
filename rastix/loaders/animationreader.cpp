#include "loaders/animationreader.h"

#include "cli/argumentfiles.h"
#include "files/utf8path.h"
#include "loaders/animationframes.h"
#include "loaders/decodermessages.h"
#include "loaders/framestrip.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstdio>
#include <memory>

#ifdef RASTIX_HAVE_LIBPNG
#include <png.h>
#endif

namespace rastix {

namespace {

enum class Kind { Other, Gif, Png, WebP };

constexpr char kGif[] = "gif";
constexpr char kWebp[] = "webp";
#ifndef RASTIX_HAVE_LIBPNG
constexpr char kPng[] = "png";
#endif

Kind kindOf(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(openFile(path, "rb"), std::fclose);
    char head[12] = {};
    if (!in || std::fread(head, 1, sizeof head, in.get()) != sizeof head)
        return Kind::Other;
    const std::string start(head, sizeof head);
    if (start.compare(0, 4, "GIF8") == 0)
        return Kind::Gif;
    if (start.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0)
        return Kind::Png;
    if (start.compare(0, 4, "RIFF") == 0 && start.compare(8, 4, "WEBP") == 0)
        return Kind::WebP;
    return Kind::Other;
}

// Decodes one cut-out frame into 0xAARRGGBB pixels of the frame's size.
using FrameDecoder = bool (*)(const CutOutFrame& frame, std::vector<std::uint32_t>& pixels,
                              std::string& error);

// A GIF or WebP frame, by Qt's reader of that format.
template <const char* format>
bool decodeWithQtReader(const CutOutFrame& frame, std::vector<std::uint32_t>& pixels,
                        std::string& error) {
    const FramePlacement& place = frame.placement;
    pixels.assign(std::size_t(place.width) * std::size_t(place.height), 0);
    if (pixels.empty())
        return true; // an empty frame draws nothing, and Qt would call it an error
    const DecoderMessages heard;
    QByteArray bytes = QByteArray::fromRawData(frame.stream.data(), qsizetype(frame.stream.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    QImage image;
    if (!reader.read(&image) || image.width() != place.width || image.height() != place.height) {
        error = reader.errorString().toStdString();
        return false;
    }
    if (error = heard.damage(); !error.empty())
        return false;
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < place.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        std::copy(row, row + place.width, pixels.begin() + std::ptrdiff_t(y) * place.width);
    }
    return true;
}

#ifdef RASTIX_HAVE_LIBPNG
bool decodePngFrame(const CutOutFrame& frame, std::vector<std::uint32_t>& pixels,
                    std::string& error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, frame.stream.data(), frame.stream.size())) {
        error = image.message;
        return false;
    }
    // 0xAARRGGBB words: B, G, R, A in memory on a little-endian machine.
    image.format = std::endian::native == std::endian::little ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    if (image.width != unsigned(frame.placement.width) ||
        image.height != unsigned(frame.placement.height)) {
        png_image_free(&image);
        error = "a frame decodes to another size than its fcTL chunk gives";
        return false;
    }
    pixels.assign(std::size_t(image.width) * image.height, 0);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        error = image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}
#endif

AnimationLoad composeCutOut(const std::string& path, Kind kind, LoadedPicture& picture,
                            std::string& error) {
    FrameDecoder decode = kind == Kind::Gif ? decodeWithQtReader<kGif> : decodeWithQtReader<kWebp>;
#ifdef RASTIX_HAVE_LIBPNG
    if (kind == Kind::Png)
        decode = decodePngFrame;
#else
    // Without libpng (the Windows build), Qt's PNG reader decodes the cut-out frames.
    if (kind == Kind::Png)
        decode = decodeWithQtReader<kPng>;
#endif
    std::string file;
    std::string unread;
    if (!readWholeFile(path, file, unread))
        return AnimationLoad::Still; // the still reader says what is wrong
    CutOutAnimation animation;
    const bool whole = kind == Kind::Gif   ? cutOutGifFrames(file, animation, error)
                       : kind == Kind::Png ? cutOutApngFrames(file, animation, error)
                                           : cutOutWebpFrames(file, animation, error);
    // A still GIF cut short is judged as it always was.
    if (animation.frames.size() <= 1 && (whole || kind == Kind::Gif))
        return AnimationLoad::Still;
    if (!whole) {
        error = "damaged picture, not converted: " + error;
        return AnimationLoad::Refused;
    }
    const int count = static_cast<int>(animation.frames.size());
    std::uint64_t largestFrame = 0;
    for (const CutOutFrame& frame : animation.frames)
        largestFrame = std::max(largestFrame, std::uint64_t(frame.placement.width) *
                                                  std::uint64_t(frame.placement.height));
    if (!admitStrip(picture, animation.canvasWidth, animation.canvasHeight, count, largestFrame,
                    file.size(), error))
        return AnimationLoad::Refused;
    FrameStrip strip;
    if (!strip.allocate(animation.canvasWidth, animation.canvasHeight, count, error))
        return AnimationLoad::Refused;
    std::vector<int> delays;
    std::vector<std::uint32_t> pixels;
    for (int k = 0; k < count; ++k) {
        CutOutFrame& frame = animation.frames[std::size_t(k)];
        if (!decode(frame, pixels, error)) {
            error = "damaged picture, not converted: frame " + std::to_string(k + 1) + " of " +
                    std::to_string(count) + ": " + error;
            return AnimationLoad::Refused;
        }
        frame.stream = {};
        strip.add(frame.placement, pixels.data(), frame.placement.width);
        delays.push_back(frame.delayMs);
    }
    strip.handTo(picture, std::move(delays));
    return AnimationLoad::Loaded;
}

} // namespace

AnimationLoad loadAnimation(const std::string& path, LoadedPicture& picture, std::string& error) {
    picture.frameHeight = 0;
    picture.frameDelaysMs.clear();
    switch (kindOf(path)) {
    case Kind::Gif:
        return composeCutOut(path, Kind::Gif, picture, error);
    case Kind::Png:
        return isAnimatedPng(path) ? composeCutOut(path, Kind::Png, picture, error)
                                   : AnimationLoad::Still;
    case Kind::WebP:
        return composeCutOut(path, Kind::WebP, picture, error);
    case Kind::Other:
        break;
    }
    return AnimationLoad::Still;
}

bool isAnimation(const std::string& path) {
    const Kind kind = kindOf(path);
    if (kind == Kind::Other || (kind == Kind::Png && !isAnimatedPng(path)))
        return false;
    std::string file;
    std::string unread;
    if (!readWholeFile(path, file, unread))
        return false;
    CutOutAnimation animation;
    std::string error;
    const bool whole = kind == Kind::Gif   ? cutOutGifFrames(file, animation, error)
                       : kind == Kind::Png ? cutOutApngFrames(file, animation, error)
                                           : cutOutWebpFrames(file, animation, error);
    return animation.frames.size() > 1 && whole;
}

} // namespace rastix
