#include "qtpictureloader.h"

#include "largeblock.h"

#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>

#include <cstring>
#include <exception>
#include <system_error>
#include <thread>

namespace rastix {

namespace {

struct DecodedImage {
    std::shared_ptr<void> block; // the pixel memory the image was decoded into, if ours
    QImage image;
};

bool isDirect32(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32;
}

// A buffer of the right size for a large 32-bit picture, in huge pages (see largeblock.h);
// null when the picture is small, of another format, or beyond Qt's allocation limit (so the
// reader reports that itself).
std::shared_ptr<void> largePixelBlock(const QSize& size, QImage::Format format) {
    if (!size.isValid() || !isDirect32(format))
        return {};
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (bytes < (qint64(4) << 20) || bytes > qint64(QImageReader::allocationLimit()) << 20)
        return {};
    const auto length = static_cast<std::size_t>(bytes);
    try {
        return std::shared_ptr<void>(allocateLargeBlock(length),
                                     [length](void* p) { freeLargeBlock(p, length); });
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// Decodes rows [top, top + height) into their place in the shared buffer.
bool decodeBand(const QString& path, const QSize& size, QImage::Format format, uchar* pixels,
                int top, int height) {
    QImageReader reader(path);
    reader.setClipRect(QRect(0, top, size.width(), height));
    const qsizetype stride = qsizetype(size.width()) * 4;
    uchar* first = pixels + stride * top;
    QImage band(first, size.width(), height, stride, format);
    if (!reader.read(&band) || band.size() != QSize(size.width(), height))
        return false;
    if (band.constBits() != first) {
        // The reader preferred a buffer of its own; move the rows into place.
        band = band.convertToFormat(format);
        if (band.isNull())
            return false;
        for (int y = 0; y < height; ++y)
            std::memcpy(first + stride * y, band.constScanLine(y),
                        static_cast<std::size_t>(stride));
    }
    return true;
}

// Decoding is the largest part of converting a big photo; readers that can decode a part of
// the picture without the rest (JPEG) let each core take a band. Skipping the rows above a band
// still costs nearly as much as decoding them with some readers, so the later bands end last
// and the first thread has time to spare for work on the rows it decoded.
// Each band is handed to the listener, if any, on the thread that decoded it.
bool decodeInBands(const QString& path, int threads, RowListener* listener, DecodedImage& decoded) {
    QImageReader probe(path);
    const QSize size = probe.size();
    const QImage::Format format = probe.imageFormat();
    if (threads < 2 || !probe.supportsOption(QImageIOHandler::ClipRect) ||
        probe.transformation() != QImageIOHandler::TransformationNone || probe.imageCount() > 1 ||
        size.height() < 2 * threads)
        return false;
    decoded.block = largePixelBlock(size, format);
    if (!decoded.block)
        return false;
    auto* pixels = static_cast<uchar*>(decoded.block.get());
    const ImageView view{reinterpret_cast<const std::uint32_t*>(pixels), size.width(),
                         size.height(), size.width()};
    std::vector<char> ok(static_cast<std::size_t>(threads), 0);
    std::vector<std::thread> workers;
    // The first band needs no rows skipped, and skipping costs nearly as much as decoding,
    // so it takes a little more than its share.
    const auto bandTop = [&](int i) {
        return i == 0 ? 0
                      : static_cast<int>(qint64(size.height()) * (5 * i + 1) / (5 * threads + 1));
    };
    const auto band = [&](int i) {
        const int top = bandTop(i);
        const int height = bandTop(i + 1) - top;
        bool good = false;
        try {
            good = decodeBand(path, size, format, pixels, top, height);
        } catch (const std::exception&) {
            good = false;
        }
        ok[static_cast<std::size_t>(i)] = good;
        if (listener)
            listener->rowsDone(view, top, height, good);
    };
    int started = 1;
    try {
        for (; started < threads; ++started)
            workers.emplace_back(band, started);
    } catch (const std::system_error&) {
        // No thread for the remaining bands: they are lost, which also releases a listener
        // that would wait for them, and the picture is decoded whole instead.
        for (int i = started; listener && i < threads; ++i)
            listener->rowsDone(view, bandTop(i), bandTop(i + 1) - bandTop(i), false);
    }
    band(0);
    for (auto& w : workers)
        w.join();
    for (const char good : ok)
        if (!good) {
            decoded.block.reset();
            return false;
        }
    decoded.image =
        QImage(pixels, size.width(), size.height(), qsizetype(size.width()) * 4, format);
    return true;
}

} // namespace

bool loadPictureWithQt(const std::string& path, LoadedPicture& picture, std::string& error,
                       int threads) {
    const QString file = QString::fromStdString(path);
    auto decoded = std::make_shared<DecodedImage>();
    picture.rowsReported = false;
    bool banded = decodeInBands(file, threads, picture.rowListener, *decoded);
    if (!banded) {
        QImageReader reader(file);
        decoded->block = largePixelBlock(reader.size(), reader.imageFormat());
        if (decoded->block)
            decoded->image = QImage(static_cast<uchar*>(decoded->block.get()),
                                    reader.size().width(), reader.size().height(),
                                    qsizetype(reader.size().width()) * 4, reader.imageFormat());
        if (!reader.read(&decoded->image) || decoded->image.isNull()) {
            error = "cannot read picture: " + reader.errorString().toStdString();
            return false;
        }
    }
    QImage& image = decoded->image;
    // RGB32 is ARGB32 with every alpha at 0xFF, so both can be used as they are.
    if (!isDirect32(image.format()))
        image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        error = "not enough memory to convert the picture's pixels";
        return false;
    }
    picture.view.pixels = reinterpret_cast<const std::uint32_t*>(image.constBits());
    picture.view.width = image.width();
    picture.view.height = image.height();
    picture.view.stride = image.bytesPerLine() / 4;
    picture.keepAlive = decoded;
    // Banded pictures are always 32-bit already, so the listener saw these very pixels.
    picture.rowsReported =
        banded && picture.rowListener && image.constBits() == decoded->block.get();
    return true;
}

} // namespace rastix
