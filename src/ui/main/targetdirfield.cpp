#include "targetdirfield.h"

#include "browsepaths.h"
#include "dirlist.h"
#include "pathconvention.h"
#include "shelldrop.h"

#include <QDropEvent>
#include <QMimeData>

namespace glyphmill {

const QString TargetDirField::kDropPrompt =
    QStringLiteral(">>Drop this here to set target directory!<<");

TargetDirField::TargetDirField(QWidget* parent)
    : QLineEdit(parent) {
    setAcceptDrops(true);
}

void TargetDirField::setPathRules(QChar separator,
                                  std::function<bool(const QString&)> isDirectory) {
    m_separator = separator;
    m_isDirectory = std::move(isDirectory);
}

TargetDirField::DragKind TargetDirField::kindOf(const QDropEvent* event) const {
    const QMimeData* offered = event->mimeData();
    if (offered && offered->hasFormat(DirList::kFolderMimeType)) {
        // Within the program only the folder list's own drag counts.
        QObject* source = event->source();
        if (!source || qobject_cast<DirList*>(source))
            return DragKind::Folder;
        return DragKind::None;
    }
    if (!event->source() && !droppedLocalPaths(offered).isEmpty())
        return DragKind::Files;
    return DragKind::None;
}

void TargetDirField::dragEnterEvent(QDragEnterEvent* event) {
    const DragKind kind = kindOf(event);
    if (kind == DragKind::None) {
        event->ignore();
        return;
    }
    m_drag = kind;
    m_savedText = text();
    setText(kDropPrompt);
    if (kind == DragKind::Folder)
        emit folderDragEntered();
    event->acceptProposedAction();
}

void TargetDirField::dragMoveEvent(QDragMoveEvent* event) {
    if (m_drag == DragKind::None) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TargetDirField::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
    const DragKind kind = m_drag;
    if (kind == DragKind::None)
        return;
    m_drag = DragKind::None;
    setText(m_savedText);
    if (kind == DragKind::Folder)
        emit folderDragLeft();
    emit refreshRequested();
}

void TargetDirField::dropEvent(QDropEvent* event) {
    const DragKind kind = kindOf(event);
    m_drag = DragKind::None;
    const char separator = m_separator.toLatin1();
    QString folder;
    if (kind == DragKind::Folder) {
        const QString path = QString::fromUtf8(event->mimeData()->data(DirList::kFolderMimeType));
        folder = QString::fromStdString(withTrailingSeparator(path.toStdString(), separator));
    } else if (kind == DragKind::Files) {
        const QString first = droppedLocalPaths(event->mimeData()).constFirst();
        const bool isFolder = m_isDirectory && m_isDirectory(first);
        folder = QString::fromStdString(
            targetDirForDroppedItem(first.toStdString(), isFolder, separator));
    }
    if (kind == DragKind::None || folder.isEmpty()) {
        // Nothing usable arrived: the text from before the drag comes back.
        if (text() == kDropPrompt)
            setText(m_savedText);
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setText(folder);
    emit refreshRequested();
}

} // namespace glyphmill
