#pragma once

// Writes TGA files from the format's published layout, for tests that need variants no other
// tool at hand writes.
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tgafiles {

// How a TGA file is to be laid out by writeTga.
struct Layout {
    int imageType;     // 1 colour map, 2 true colour, 3 grey; + 8 for run-length packets
    int bits;          // per pixel (per index when colour-mapped)
    int mapBits = 0;   // per colour map entry
    int mapFirst = 0;  // index of the first entry the file holds
    int origin = 0;    // descriptor bits 4 (right to left) and 5 (top to bottom)
    int alphaBits = 0; // descriptor bits 0-3
    int idLength = 0;
    bool footer = false;
    int attributesType = -1; // the TGA 2.0 extension area's word on alpha (and a footer); -1: none
};

inline void putPixel(QByteArray& out, QRgb c, int bits) {
    const int word = (qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | qBlue(c) >> 3 |
                     (qAlpha(c) >= 128 ? 0x8000 : 0);
    switch (bits) {
    case 15:
    case 16:
        out.append(char(word & 0xFF)).append(char(word >> 8));
        break;
    case 8:
        out.append(char(qGray(c)));
        break;
    default:
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        if (bits == 32)
            out.append(char(qAlpha(c)));
    }
}

// The picture as a TGA file, written from the format's published layout.
inline QByteArray writeTga(const QImage& image, const Layout& l) {
    const int kind = l.imageType & 7;
    std::vector<QRgb> colours;
    if (kind == 1)
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (std::find(colours.begin(), colours.end(), image.pixel(x, y)) == colours.end())
                    colours.push_back(image.pixel(x, y));
    if (kind != 1 && l.mapBits != 0) // a colour map the pixels do not use, which TGA allows
        colours = {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)};
    QByteArray out(18, '\0');
    out[0] = char(l.idLength);
    out[1] = char(!colours.empty());
    out[2] = char(l.imageType);
    out[3] = char(l.mapFirst & 0xFF), out[4] = char(l.mapFirst >> 8);
    out[5] = char(colours.size() & 0xFF), out[6] = char(colours.size() >> 8);
    out[7] = char(colours.empty() ? 0 : l.mapBits);
    out[12] = char(image.width() & 0xFF), out[13] = char(image.width() >> 8);
    out[14] = char(image.height() & 0xFF), out[15] = char(image.height() >> 8);
    out[16] = char(l.bits);
    out[17] = char(l.origin | l.alphaBits);
    out.append(QByteArray(l.idLength, 'i'));
    for (QRgb c : colours)
        putPixel(out, c, l.mapBits);
    const auto stored = [&](int x, int y) {
        const int sx = (l.origin & 0x10) ? image.width() - 1 - x : x;
        const int sy = (l.origin & 0x20) ? y : image.height() - 1 - y;
        QByteArray p;
        const QRgb c = image.pixel(sx, sy);
        if (kind == 1) {
            const int index =
                l.mapFirst +
                static_cast<int>(std::find(colours.begin(), colours.end(), c) - colours.begin());
            p.append(char(index & 0xFF));
            if (l.bits == 16)
                p.append(char(index >> 8));
        } else {
            putPixel(p, c, l.bits);
        }
        return p;
    };
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width();) {
            int run = 1;
            while (l.imageType >= 8 && x + run < image.width() && run < 128 &&
                   stored(x + run, y) == stored(x, y))
                ++run;
            if (run > 1) {
                out.append(char(0x80 | (run - 1))).append(stored(x, y));
            } else {
                QByteArray raw;
                int n = 0;
                while (x + n < image.width() && n < 128 &&
                       (n == 0 || l.imageType < 8 || x + n + 1 >= image.width() ||
                        stored(x + n + 1, y) != stored(x + n, y))) {
                    raw.append(stored(x + n, y));
                    ++n;
                }
                if (l.imageType >= 8)
                    out.append(char(n - 1));
                out.append(raw);
                run = n;
            }
            x += run;
        }
    }
    const auto extension = static_cast<std::uint32_t>(out.size());
    if (l.attributesType >= 0) {
        QByteArray area(495, '\0');
        area[0] = char(495 & 0xFF), area[1] = char(495 >> 8); // its size, as TGA 2.0 fixes it
        area[494] = char(l.attributesType);
        out.append(area);
    }
    if (l.footer || l.attributesType >= 0) {
        QByteArray offsets(8, '\0');
        for (int i = 0; l.attributesType >= 0 && i < 4; ++i)
            offsets[i] = char(extension >> (8 * i));
        out.append(offsets).append("TRUEVISION-XFILE.", 17).append('\0');
    }
    return out;
}

} // namespace tgafiles
