#include "cursorfile.h"

#include "glyphmill/installlayout.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QStringList>

#include <cstdint>

namespace glyphmill {

namespace {

class Bytes {
public:
    explicit Bytes(const QByteArray& data)
        : m_data(data) {}
    bool has(qint64 offset, qint64 size) const {
        return offset >= 0 && size >= 0 && offset <= m_data.size() &&
               size <= m_data.size() - offset;
    }
    std::uint32_t u8(qint64 at) const { return static_cast<std::uint8_t>(m_data[at]); }
    std::uint32_t u16(qint64 at) const { return u8(at) | (u8(at + 1) << 8); }
    std::uint32_t u32(qint64 at) const { return u16(at) | (u16(at + 2) << 16); }
    std::int32_t i32(qint64 at) const { return static_cast<std::int32_t>(u32(at)); }
    const QByteArray& data() const { return m_data; }

private:
    const QByteArray& m_data;
};

CursorImage fail(QString* error, const char* why) {
    if (error)
        *error = QString::fromLatin1(why);
    return {};
}

qint64 rowBytes(qint64 width, int bitsPerPixel) {
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

} // namespace

CursorImage readCursor(const QByteArray& data, QString* error) {
    const Bytes bytes(data);
    if (!bytes.has(0, 6) || bytes.u16(0) != 0 || bytes.u16(2) != 2)
        return fail(error, "not a cursor file");
    if (bytes.u16(4) == 0 || !bytes.has(6, 16))
        return fail(error, "the cursor file holds no picture");

    const qint64 hotX = bytes.u16(10);
    const qint64 hotY = bytes.u16(12);
    const qint64 size = bytes.u32(14);
    const qint64 offset = bytes.u32(18);
    if (!bytes.has(offset, size))
        return fail(error, "the cursor picture lies outside the file");
    const QByteArray payload = data.mid(offset, size);

    CursorImage cursor;
    cursor.hotSpot = QPoint(static_cast<int>(hotX), static_cast<int>(hotY));
    if (payload.startsWith("\x89PNG")) {
        cursor.image = QImage::fromData(payload, "PNG").convertToFormat(QImage::Format_ARGB32);
        if (cursor.image.isNull())
            return fail(error, "the cursor's PNG picture cannot be read");
        return cursor;
    }

    const Bytes dib(payload);
    if (!dib.has(0, 40) || dib.u32(0) < 40)
        return fail(error, "the cursor picture has no bitmap header");
    const qint64 headerSize = dib.u32(0);
    const qint64 width = dib.i32(4);
    const qint64 doubledHeight = dib.i32(8);
    const int bits = static_cast<int>(dib.u16(14));
    const std::uint32_t compression = dib.u32(16);
    // The height counts the colour picture and the AND mask below it.
    const qint64 height = doubledHeight / 2;
    if (width <= 0 || height <= 0 || width > 256 || height > 256)
        return fail(error, "the cursor picture has an unusable size");
    if (compression != 0)
        return fail(error, "compressed cursor pictures are not supported");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return fail(error, "the cursor picture has an unsupported colour depth");

    qint64 paletteSize = 0;
    if (bits <= 8) {
        const qint64 used = dib.u32(32);
        paletteSize = used ? used : (qint64(1) << bits);
        if (paletteSize > (qint64(1) << bits))
            return fail(error, "the cursor palette is too long");
    }
    const qint64 paletteAt = headerSize;
    const qint64 colourAt = paletteAt + paletteSize * 4;
    const qint64 colourRow = rowBytes(width, bits);
    const qint64 maskAt = colourAt + colourRow * height;
    const qint64 maskRow = rowBytes(width, 1);
    if (!dib.has(colourAt, colourRow * height) || !dib.has(maskAt, maskRow * height))
        return fail(error, "the cursor picture is truncated");

    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32);
    bool anyAlpha = false;
    for (qint64 y = 0; y < height; ++y) {
        const qint64 row = colourAt + (height - 1 - y) * colourRow; // stored bottom-up
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
        for (qint64 x = 0; x < width; ++x) {
            QRgb pixel = 0;
            if (bits == 32) {
                const qint64 at = row + x * 4;
                pixel = qRgba(static_cast<int>(dib.u8(at + 2)), static_cast<int>(dib.u8(at + 1)),
                              static_cast<int>(dib.u8(at)), static_cast<int>(dib.u8(at + 3)));
                anyAlpha = anyAlpha || dib.u8(at + 3) != 0;
            } else if (bits == 24) {
                const qint64 at = row + x * 3;
                pixel = qRgb(static_cast<int>(dib.u8(at + 2)), static_cast<int>(dib.u8(at + 1)),
                             static_cast<int>(dib.u8(at)));
            } else {
                const qint64 bitOffset = x * bits;
                const std::uint32_t byte = dib.u8(row + bitOffset / 8);
                const int shift = 8 - bits - static_cast<int>(bitOffset % 8);
                const qint64 index = (byte >> shift) & ((1u << bits) - 1);
                if (index >= paletteSize)
                    return fail(error, "the cursor picture uses a colour outside its palette");
                const qint64 at = paletteAt + index * 4;
                pixel = qRgb(static_cast<int>(dib.u8(at + 2)), static_cast<int>(dib.u8(at + 1)),
                             static_cast<int>(dib.u8(at)));
            }
            line[x] = pixel;
        }
    }
    // Pictures without an alpha channel of their own are cut out by the AND mask: a set bit is
    // transparent (inverting pixels are taken as transparent too).
    if (!anyAlpha) {
        for (qint64 y = 0; y < height; ++y) {
            const qint64 row = maskAt + (height - 1 - y) * maskRow;
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
            for (qint64 x = 0; x < width; ++x) {
                const bool transparent = (dib.u8(row + x / 8) >> (7 - x % 8)) & 1;
                line[x] = transparent ? 0 : (line[x] | 0xff000000u);
            }
        }
    }
    cursor.image = image;
    return cursor;
}

CursorImage readCursorFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, "the cursor file cannot be opened");
    // A cursor is a few kilobytes; refuse to swallow a large file that merely has the name.
    if (file.size() > 1024 * 1024)
        return fail(error, "the cursor file is too large");
    return readCursor(file.readAll(), error);
}

QPixmap centredOnHotSpot(const CursorImage& cursor) {
    if (cursor.image.isNull())
        return {};
    const QSize size = cursor.image.size();
    const QPoint hot(qBound(0, cursor.hotSpot.x(), size.width() - 1),
                     qBound(0, cursor.hotSpot.y(), size.height() - 1));
    const int half =
        qMax(qMax(hot.x(), size.width() - hot.x()), qMax(hot.y(), size.height() - hot.y()));
    QImage padded(2 * half, 2 * half, QImage::Format_ARGB32_Premultiplied);
    padded.fill(Qt::transparent);
    QPainter painter(&padded);
    painter.drawImage(QPoint(half - hot.x(), half - hot.y()), cursor.image);
    painter.end();
    return QPixmap::fromImage(padded);
}

CursorFolderDragCursors::CursorFolderDragCursors(QString appFolder)
    : m_appFolder(std::move(appFolder)) {}

QString CursorFolderDragCursors::locate(const QString& fileName) const {
    const QString relative = QStringLiteral("cursors/") + fileName;
    QStringList folders{QDir::currentPath()};
    if (!m_appFolder.isEmpty()) {
        folders.append(m_appFolder);
        folders.append(QDir(m_appFolder).filePath(QStringLiteral(GLYPHMILL_DATA_FROM_BINDIR)));
    }
    for (const QString& folder : folders) {
        const QString path = QDir::cleanPath(QDir(folder).filePath(relative));
        if (!readCursorFile(path).image.isNull())
            return path;
    }
    return {};
}

QPixmap CursorFolderDragCursors::load(const QString& fileName) const {
    const QString path = locate(fileName);
    return path.isEmpty() ? QPixmap() : centredOnHotSpot(readCursorFile(path));
}

} // namespace glyphmill
