#include "aoutobject.h"

namespace {

constexpr std::uint32_t kMagic = 0x107; // OMAGIC: text and data not write-protected
constexpr int kHeaderSize = 32;
constexpr int kSymbolSize = 12;
constexpr std::uint8_t kTypeMask = 0x1e; // without the external bit
constexpr std::uint8_t kDataType = 0x06;

std::uint32_t bigEndian32(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) {
        return std::uint32_t(std::uint8_t(bytes[at + i]));
    };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

} // namespace

std::optional<AoutObject> readAoutObject(const QByteArray& bytes, QString& error) {
    if (bytes.size() < kHeaderSize || bigEndian32(bytes, 0) != kMagic) {
        error = QStringLiteral("not a BSD a.out object");
        return std::nullopt;
    }
    const qsizetype textSize = bigEndian32(bytes, 4);
    const qsizetype dataSize = bigEndian32(bytes, 8);
    const qsizetype symbolsSize = bigEndian32(bytes, 16);
    const qsizetype relocationSize = qsizetype(bigEndian32(bytes, 24)) + bigEndian32(bytes, 28);
    const qsizetype symbolsAt = kHeaderSize + textSize + dataSize + relocationSize;
    const qsizetype stringsAt = symbolsAt + symbolsSize;
    if (stringsAt + 4 > bytes.size() || symbolsSize % kSymbolSize != 0) {
        error = QStringLiteral("a.out object cut short");
        return std::nullopt;
    }
    AoutObject object;
    object.text = bytes.mid(kHeaderSize, textSize);
    object.data = bytes.mid(kHeaderSize + textSize, dataSize);
    const qsizetype stringsSize = bigEndian32(bytes, stringsAt);
    for (qsizetype at = symbolsAt; at < stringsAt; at += kSymbolSize) {
        const std::uint32_t nameAt = bigEndian32(bytes, at);
        const std::uint8_t type = std::uint8_t(bytes[at + 4]);
        // Data labels count from the start of text, which comes first.
        const std::uint32_t value = bigEndian32(bytes, at + 8);
        if ((type & kTypeMask) != kDataType)
            continue;
        if (nameAt < 4 || nameAt >= stringsSize || stringsAt + stringsSize > bytes.size() ||
            value < textSize || value > textSize + dataSize) {
            error = QStringLiteral("a.out symbol out of its object");
            return std::nullopt;
        }
        const char* name = bytes.constData() + stringsAt + nameAt;
        object.dataLabels[std::string(name, qstrnlen(name, stringsSize - nameAt))] =
            value - std::uint32_t(textSize);
    }
    return object;
}
