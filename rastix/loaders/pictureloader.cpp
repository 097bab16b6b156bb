#include "loaders/pictureloader.h"

#include "files/pictureproblems.h"
#include "loaders/animationreader.h"
#include "loaders/decodermessages.h"
#include "loaders/jpegheader.h"
#include "loaders/jpegreader.h"
#include "loaders/pngreader.h"
#include "loaders/qtfile.h"
#include "loaders/qtreader.h"
#include "loaders/rowstream.h"
#include "loaders/tgareader.h"

#include <QImageIOHandler>
#include <QImageReader>

#include <optional>

namespace rastix {

namespace {

// What can stream the picture exactly as Qt's reader would decode it (libjpeg for a JPEG,
// libpng for a PNG, either of which may still decline it): one picture, and no orientation for
// the reader to apply. Null when nothing can.
RowStreamer streamerFor(QImageReader& probe, const std::string& path) {
    const QByteArray format = probe.format();
    if (probe.imageCount() > 1 || probe.transformation() != QImageIOHandler::TransformationNone)
        return nullptr;
    // What libjpeg or libpng declines (CMYK; transparent, interlaced or 16-bit) is decoded
    // whole, and asks for that memory from the start: asking for a stream's first would let it
    // take the rest later without waiting for the pictures beside it.
    if (format == "jpeg" && jpegStreamingAvailable() && readJpegLayout(path).components != 4)
        return streamJpeg;
    if (format == "png" && pngStreamingAvailable() && pngStreamable(path))
        return streamPng;
    return nullptr;
}

} // namespace

bool loadPicture(const std::string& path, LoadedPicture& picture, std::string& error,
                 int /*threads: Qt's readers and libjpeg decode on one core*/) {
    picture.rowsStreamed = false;
    if (const std::string problem = pictureAccessProblem(path); !problem.empty()) {
        error = "cannot read picture: " + problem;
        return false;
    }
    if (const std::string problem = pngChunkPastTheEnd(path); !problem.empty()) {
        error = "damaged picture, not converted: " + problem;
        return false;
    }
    if (isTgaPicture(path)) // asks for admission itself, once the header is checked
        return loadTga(path, picture, error, std::uint64_t(QImageReader::allocationLimit()) << 20);
    if (const AnimationLoad animation = loadAnimation(path, picture, error);
        animation != AnimationLoad::Still)
        return animation == AnimationLoad::Loaded;
    // What the probe's reader says (libtiff walking every page of a TIFF to count them) is not
    // heard: only what decoding the picture itself says judges it, whichever way it goes.
    std::optional<DecoderMessages> probing(std::in_place);
    QFile probed;
    std::optional<QImageReader> probe;
    if (picture.rowSink)
        pointReaderAt(probe.emplace(), probed, path);
    const RowStreamer streamer = probe ? streamerFor(*probe, path) : nullptr;
    if (streamer && !admitted(picture, headerSize(*probe), probe->imageFormat(), true, error, path,
                              probe->format()))
        return false;
    probe.reset();
    probing.reset();
    const DecoderMessages heard(path);
    if (streamer) {
        int width = 0;
        int height = 0;
        if (streamer(path, *picture.rowSink, width, height) == RowStreamResult::Complete) {
            picture.view = ImageView{nullptr, width, height, width};
            picture.keepAlive.reset();
            picture.rowsStreamed = true;
            return true;
        }
        // Otherwise the reader below decodes it whole, and reports what is wrong with it.
    }
    return decodeWithQt(path, picture, heard, error);
}

} // namespace rastix
