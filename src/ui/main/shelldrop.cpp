#include "shelldrop.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace glyphmill {

QStringList droppedLocalPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    return paths;
}

Qt::DropAction shellDropAction(const QMimeData* data, Qt::DropActions offered,
                               Qt::DropAction kept) {
    if (droppedLocalPaths(data).isEmpty() || !(offered & kept))
        return Qt::IgnoreAction;
    return kept;
}

bool acceptShellDrag(QDropEvent* event, Qt::DropAction kept) {
    const Qt::DropAction action =
        shellDropAction(event->mimeData(), event->possibleActions(), kept);
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

} // namespace glyphmill
