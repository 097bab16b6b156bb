#pragma once

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QString>

namespace glyphmill {

// One picture of a Windows cursor file (.cur): the ICO container with type 2, whose directory
// entries carry the hot spot. Qt has no reader for it.
struct CursorImage {
    QImage image; // ARGB32
    QPoint hotSpot;
};

// Reads the first picture of a cursor file's bytes. Pictures stored as device-independent
// bitmaps (1, 4, 8, 24 or 32 bits a pixel, with the AND mask) and as PNG are understood.
// On failure the image is null and `error` says why.
CursorImage readCursor(const QByteArray& bytes, QString* error = nullptr);
CursorImage readCursorFile(const QString& path, QString* error = nullptr);

// Qt centres a drag cursor made from a pixmap on the pointer; padding the picture so that its hot
// spot is the centre keeps the hot spot where the cursor's author put it.
QPixmap centredOnHotSpot(const CursorImage& cursor);

// Where the drag cursors come from. Tests hand in a fake.
class DragCursors {
public:
    virtual ~DragCursors() = default;
    // The cursor stored as `fileName` ("hwe.cur"), ready for QDrag::setDragCursor; a null pixmap
    // when it cannot be had, so that the drag keeps Qt's own cursor.
    virtual QPixmap load(const QString& fileName) const = 0;
};

// Looks in "cursors" under the working folder first, then under the application folder, then
// under the installed data folder (share/glyphmill, found from the application folder so that an
// installation can be moved), and reads the file again every time it is asked.
class CursorFolderDragCursors final : public DragCursors {
public:
    explicit CursorFolderDragCursors(QString appFolder);
    QPixmap load(const QString& fileName) const override;
    // The path of the first readable cursor `fileName` in that order; empty when there is none.
    QString locate(const QString& fileName) const;

private:
    QString m_appFolder;
};

} // namespace glyphmill
