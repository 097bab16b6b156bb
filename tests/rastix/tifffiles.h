#pragma once

// Writes baseline TIFF files (uncompressed 8-bit RGB, little-endian, one strip a page) from the
// format's published layout, with the flaws tests need that no writer at hand makes.
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tifffiles {

struct Flaws {
    int unsortedPage = -1;   // this page's directory lists its tags out of order
    int unreadablePage = -1; // the bits per sample of this page lie past the end of the file
};

inline void putLittle(QByteArray& d, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        d.append(char(v >> (8 * i)));
}

// The picture as every one of pages pages.
inline QByteArray writeTiff(const QImage& image, int pages, const Flaws& flaws = {}) {
    struct Entry {
        std::uint32_t tag, type, count, value;
    };
    const auto w = static_cast<std::uint32_t>(image.width());
    const auto h = static_cast<std::uint32_t>(image.height());
    QByteArray d("II*\0", 4);
    putLittle(d, 0, 4);
    qsizetype link = 4; // where the offset of the next directory goes
    for (int page = 0; page < pages; ++page) {
        const auto strip = static_cast<std::uint32_t>(d.size());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                d.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
            }
        const auto bitsPerSample = static_cast<std::uint32_t>(d.size());
        for (int i = 0; i < 3; ++i)
            putLittle(d, 8, 2);
        if (d.size() % 2)
            d.append('\0'); // directories start on a word boundary
        std::vector<Entry> entries = {
            {256, 4, 1, w}, {257, 4, 1, h}, {258, 3, 3, bitsPerSample},
            {259, 3, 1, 1}, {262, 3, 1, 2}, {273, 4, 1, strip},
            {277, 3, 1, 3}, {278, 4, 1, h}, {279, 4, 1, w * h * 3},
        };
        if (page == flaws.unreadablePage)
            entries[2].value = 0x7FFFFFF0;
        if (page == flaws.unsortedPage)
            std::reverse(entries.begin(), entries.end());
        const auto directory = static_cast<std::uint32_t>(d.size());
        for (int i = 0; i < 4; ++i)
            d[link + i] = char(directory >> (8 * i));
        putLittle(d, static_cast<std::uint32_t>(entries.size()), 2);
        for (const Entry& e : entries) {
            putLittle(d, e.tag, 2);
            putLittle(d, e.type, 2);
            putLittle(d, e.count, 4);
            putLittle(d, e.value, e.type == 3 && e.count == 1 ? 2 : 4);
            if (e.type == 3 && e.count == 1)
                putLittle(d, 0, 2);
        }
        link = d.size();
        putLittle(d, 0, 4);
    }
    return d;
}

} // namespace tifffiles
