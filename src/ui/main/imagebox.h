#pragma once

#include <QLabel>
#include <QStringList>

namespace glyphmill {

// The preview image box: shows its picture stretched to its own size, and takes files dropped
// from the shell.
class ImageBox : public QLabel {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);

signals:
    // Local files dropped from the shell, in the system's spelling.
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace glyphmill
