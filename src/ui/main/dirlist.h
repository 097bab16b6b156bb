#pragma once

#include <QListWidget>
#include <QPixmap>
#include <QPoint>
#include <QPointer>

class QDrag;

namespace glyphmill {

class FileAttributes;
class FolderListing;

// The folder list: the current folder with its ancestors above it and its sub-folders below.
// Opening an entry (double click or Enter) makes it the current folder. Holding the left button
// alone and moving drags the current folder (to the target-folder field).
class DirList : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)
public:
    // The drag of the current folder carries its path under this type.
    static const QString kFolderMimeType;
    // Where each entry keeps the folder it stands for.
    static constexpr int kPathRole = Qt::UserRole + 1;

    explicit DirList(QWidget* parent = nullptr);

    // Where the folders shown come from, and what tells a folder from anything else; both must
    // outlive the list. Needed before the first path is set: the list never reads the disk
    // itself.
    void setSources(const FolderListing& listing, const FileAttributes& files);

    QString path() const { return m_path; }
    // Lists `path` afresh; raises pathChanged when the folder differs. A path that names no
    // folder is ignored.
    void setPath(const QString& path);
    // Lists the current folder again, as it is on disk now, keeping the entry at the top of the
    // view. When the folder itself is gone, its nearest ancestor still there becomes current.
    void refresh();

    // The cursor a folder drag shows; it changes the drag in progress at once.
    void setDragIcon(const QPixmap& icon);
    QPixmap dragIcon() const { return m_dragIcon; }

signals:
    void pathChanged(const QString& path);
    // A folder drag is about to start: the moment to choose its cursor.
    void folderDragStarting();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void fill();
    void startFolderDrag();

    const FolderListing* m_listing = nullptr;
    const FileAttributes* m_files = nullptr;
    QString m_path;
    // The sub-folders listed below the current folder, as the listing gave them.
    QStringList m_children;
    QPixmap m_dragIcon;
    QPoint m_pressPosition;
    bool m_pressed = false;
    QPointer<QDrag> m_drag;
};

} // namespace glyphmill
