#include "benchpictures.h"

#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cmath>

namespace {

QImage photoLike(int width, int height, bool transparentCorner) {
    QImage img(width, height, transparentCorner ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (img.isNull())
        return img;
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    unsigned seed = 12345;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) & 15) - 8;
            const double ring = std::sin(std::hypot(x - cx, y - cy) / 90.0);
            const int r = std::clamp(x * 255 / width + noise, 0, 255);
            const int g = std::clamp(static_cast<int>(128 + 100 * ring) + noise, 0, 255);
            const int b = std::clamp(y * 255 / height + noise, 0, 255);
            const bool clear = transparentCorner && x < width / 2 && y < height / 2;
            row[x] = clear ? 0 : qRgb(r, g, b);
        }
    }
    return img;
}

void put16(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// Type 10: run-length encoded true colour, 24 bits, top-left origin. A run is a packet of one
// pixel repeated; anything else goes in raw packets of up to 128 pixels.
bool writeRleTga(const QString& path, const QImage& img) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray out(12, '\0');
    out[2] = 10;
    put16(out, img.width());
    put16(out, img.height());
    out.append(char(24));
    out.append(char(0x20));
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        const auto pixel = [&](QByteArray& to, QRgb c) {
            to.append(char(qBlue(c)));
            to.append(char(qGreen(c)));
            to.append(char(qRed(c)));
        };
        for (int x = 0; x < img.width();) {
            int run = 1;
            while (x + run < img.width() && run < 128 && row[x + run] == row[x])
                ++run;
            if (run > 1) {
                out.append(char(0x80 | (run - 1)));
                pixel(out, row[x]);
                x += run;
                continue;
            }
            int raw = 1;
            while (x + raw < img.width() && raw < 128 && row[x + raw] != row[x + raw - 1])
                ++raw;
            out.append(char(raw - 1));
            for (int i = 0; i < raw; ++i)
                pixel(out, row[x + i]);
            x += raw;
        }
        if (out.size() > (1 << 24)) {
            file.write(out);
            out.clear();
        }
    }
    return file.write(out) == out.size();
}

// 256 colours (3 bits red, 3 green, 2 blue), and LZW data of 9-bit codes that are all
// literals, with a clear code before the table would grow: the simplest GIF any reader takes.
bool writeGif(const QString& path, const QImage& img) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray out("GIF89a");
    put16(out, img.width());
    put16(out, img.height());
    out.append("\xF7\x00\x00", 3);
    for (int i = 0; i < 256; ++i) {
        out.append(char((i >> 5) * 255 / 7));
        out.append(char(((i >> 2) & 7) * 255 / 7));
        out.append(char((i & 3) * 255 / 3));
    }
    out.append(',');
    put16(out, 0);
    put16(out, 0);
    put16(out, img.width());
    put16(out, img.height());
    out.append(char(0));
    out.append(char(8)); // the minimum code size
    QByteArray block;
    unsigned bits = 0;
    int count = 0;
    const auto code = [&](unsigned c) {
        bits |= c << count;
        for (count += 9; count >= 8; count -= 8, bits >>= 8) {
            block.append(char(bits & 0xFF));
            if (block.size() == 255) {
                out.append(char(255));
                out.append(block);
                block.clear();
            }
        }
    };
    constexpr unsigned kClear = 256;
    int sinceClear = 0;
    code(kClear);
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = row[x];
            code(unsigned(qRed(c) >> 5 << 5 | qGreen(c) >> 5 << 2 | qBlue(c) >> 6));
            if (++sinceClear == 254) { // codes 258 and up would make the table need 10 bits
                code(kClear);
                sinceClear = 0;
            }
        }
        if (out.size() > (1 << 24)) {
            file.write(out);
            out.clear();
        }
    }
    code(257); // end of information
    if (count > 0)
        block.append(char(bits & 0xFF));
    if (!block.isEmpty()) {
        out.append(char(block.size()));
        out.append(block);
    }
    out.append(char(0));
    out.append(';');
    return file.write(out) == out.size();
}

// A sheet of 64 x 64 frames, only 16 of which differ: the photo-like picture's first 256 x 256
// pixels cut into tiles and laid out again and again, in an order that does not repeat by rows.
QImage repeatedTiles(int width, int height) {
    constexpr int kTile = 64;
    const QImage tiles = photoLike(4 * kTile, 4 * kTile, false);
    QImage img(width, height, QImage::Format_RGB32);
    if (img.isNull() || tiles.isNull())
        return QImage();
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int k = (x / kTile * 7 + y / kTile * 3) % 16;
            row[x] = tiles.pixel(k % 4 * kTile + x % kTile, k / 4 * kTile + y % kTile);
        }
    }
    return img;
}

} // namespace

bool writeBenchPicture(const QString& path, int width, int height) {
    const bool rgba = path.endsWith("-rgba.png", Qt::CaseInsensitive);
    const bool tiles = path.endsWith("-tiles.png", Qt::CaseInsensitive);
    const QImage img = tiles ? repeatedTiles(width, height) : photoLike(width, height, rgba);
    if (img.isNull())
        return false;
    if (path.endsWith(".tga", Qt::CaseInsensitive))
        return writeRleTga(path, img);
    if (path.endsWith(".gif", Qt::CaseInsensitive))
        return writeGif(path, img);
    QImageWriter writer(path);
    if (path.endsWith(".jpg", Qt::CaseInsensitive)) {
        writer.setFormat("jpeg");
        writer.setQuality(90);
        writer.setProgressiveScanWrite(path.endsWith("-progressive.jpg", Qt::CaseInsensitive));
    }
    return writer.write(img);
}
