#pragma once

// Small edits to picture files, for tests that need pictures damaged (or merely odd) in a
// known way: checksums, PNG chunks, pictures encoded in memory.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <cstdint>

namespace pictureedits {

// The CRC-32 of PNG chunks (and of zip and gzip).
inline std::uint32_t crc32(const char* data, qsizetype size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint8_t>(data[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

inline void appendBig(QByteArray& d, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        d.append(char(v >> shift));
}

// A PNG chunk of this type and data, with its length and a checksum that matches.
inline QByteArray pngChunk(const char type[4], const QByteArray& data) {
    QByteArray chunk;
    appendBig(chunk, static_cast<std::uint32_t>(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    chunk += typed;
    appendBig(chunk, crc32(typed.constData(), typed.size()));
    return chunk;
}

// The PNG with a chunk put in right after its header chunk (IHDR).
inline QByteArray withChunkAfterHeader(QByteArray png, const QByteArray& chunk) {
    return png.insert(8 + 25, chunk);
}

inline QByteArray encoded(const QImage& image, const char* format, int compression = -1,
                          bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (compression >= 0)
        writer.setCompression(compression);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(image) ? bytes : QByteArray();
}

} // namespace pictureedits
