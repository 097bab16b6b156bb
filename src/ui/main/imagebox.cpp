#include "imagebox.h"

#include "shelldrop.h"

#include <QDropEvent>

namespace glyphmill {

namespace {

// The preview keeps only the move effect of those a shell drag offers.
bool takeDrag(QDropEvent* event) {
    return acceptShellDrag(event, Qt::MoveAction);
}

} // namespace

ImageBox::ImageBox(QWidget* parent)
    : QLabel(parent) {
    setScaledContents(true);
    setAlignment(Qt::AlignCenter);
    setAcceptDrops(true);
}

void ImageBox::dragEnterEvent(QDragEnterEvent* event) {
    takeDrag(event);
}

void ImageBox::dragMoveEvent(QDragMoveEvent* event) {
    takeDrag(event);
}

void ImageBox::dropEvent(QDropEvent* event) {
    if (takeDrag(event))
        emit filesDropped(droppedLocalPaths(event->mimeData()));
}

} // namespace glyphmill
