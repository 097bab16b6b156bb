#pragma once

#include <QStringList>
#include <Qt>

class QDropEvent;
class QMimeData;

namespace glyphmill {

// The local files a shell drag carries (its text/uri-list), in the system's own spelling and in
// the order dragged. Empty when the drag offers no file list.
QStringList droppedLocalPaths(const QMimeData* data);

// The drop feedback of the preview and the file list: when the drag offers a file list, the one
// effect the target keeps of those offered; otherwise none.
Qt::DropAction shellDropAction(const QMimeData* data, Qt::DropActions offered, Qt::DropAction kept);

// Applies that feedback to a drag or drop event: accepted with the kept effect, or refused.
// Returns whether the event was accepted.
bool acceptShellDrag(QDropEvent* event, Qt::DropAction kept);

} // namespace glyphmill
