#pragma once

// Writes animated PNG files from the APNG chunk layout (acTL, fcTL, fdAT), for tests: no tool
// at hand writes them.
#include <QByteArray>
#include <QImage>
#include <QtEndian>

#include <cstdint>
#include <vector>

namespace apngfiles {

struct Frame {
    QImage pixels; // its own size; written as 8-bit RGBA
    int x = 0;
    int y = 0;
    int dispose = 0; // 0 none, 1 background, 2 previous
    int blend = 1;   // 0 source, 1 over
    int delayNumerator = 1;
    int delayDenominator = 10;
};

inline QByteArray bigEndian32(std::uint32_t value) {
    QByteArray bytes(4, 0);
    qToBigEndian(value, bytes.data());
    return bytes;
}

inline QByteArray chunk(const char* type, const QByteArray& data) {
    const QByteArray typed = QByteArray(type, 4) + data;
    // qChecksum's CRC-32 is not the one PNG uses; this is.
    std::uint32_t crc = 0xFFFFFFFF;
    for (char c : typed) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return bigEndian32(std::uint32_t(data.size())) + typed + bigEndian32(~crc);
}

// Rows of RGBA, each after filter byte 0, deflated (qCompress's stream after its 4-byte count).
inline QByteArray imageData(const QImage& image) {
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QByteArray raw;
    for (int y = 0; y < rgba.height(); ++y) {
        raw += '\0';
        raw += QByteArray(reinterpret_cast<const char*>(rgba.constScanLine(y)), rgba.width() * 4);
    }
    return qCompress(raw).mid(4);
}

// The first frame is the default image (its fcTL before IDAT) unless hiddenDefault is given,
// which is then written as an IDAT that is not part of the animation.
inline QByteArray writeApng(int width, int height, const std::vector<Frame>& frames,
                            const QImage& hiddenDefault = {}) {
    QByteArray file("\x89PNG\r\n\x1A\n", 8);
    file +=
        chunk("IHDR", bigEndian32(width) + bigEndian32(height) + QByteArray("\x08\x06\0\0\0", 5));
    file += chunk("acTL", bigEndian32(std::uint32_t(frames.size())) + bigEndian32(0));
    std::uint32_t sequence = 0;
    if (!hiddenDefault.isNull())
        file += chunk("IDAT", imageData(hiddenDefault));
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const Frame& f = frames[k];
        QByteArray control = bigEndian32(sequence++) + bigEndian32(f.pixels.width()) +
                             bigEndian32(f.pixels.height()) + bigEndian32(f.x) + bigEndian32(f.y);
        control += char(f.delayNumerator >> 8);
        control += char(f.delayNumerator);
        control += char(f.delayDenominator >> 8);
        control += char(f.delayDenominator);
        control += char(f.dispose);
        control += char(f.blend);
        file += chunk("fcTL", control);
        if (k == 0 && hiddenDefault.isNull())
            file += chunk("IDAT", imageData(f.pixels));
        else
            file += chunk("fdAT", bigEndian32(sequence++) + imageData(f.pixels));
    }
    return file + chunk("IEND", {});
}

} // namespace apngfiles
