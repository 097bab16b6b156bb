#include "dirlist.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>

namespace glyphmill {

const QString DirList::kFolderMimeType = QStringLiteral("application/x-glyphmill-folder");

namespace {

// The folders from the root down to `folder`, each an absolute path with '/'.
QStringList ancestry(const QString& folder) {
    QStringList chain;
    QDir dir(folder);
    chain.prepend(dir.absolutePath());
    while (dir.cdUp())
        chain.prepend(dir.absolutePath());
    return chain;
}

} // namespace

DirList::DirList(QWidget* parent)
    : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (item)
            setPath(item->data(kPathRole).toString());
    });
}

void DirList::setPath(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return;
    // An absolute path keeps the spelling it was given: Qt would write the drive letter of
    // "c:\" in capitals, and the folder list must name the folder the file list was given.
    const QString folder = QDir::toNativeSeparators(
        QDir::cleanPath(info.isAbsolute() ? path : info.absoluteFilePath()));
    const bool changed = folder != m_path;
    m_path = folder;
    fill();
    if (changed)
        emit pathChanged(m_path);
}

void DirList::fill() {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList chain = ancestry(QDir::fromNativeSeparators(m_path));
    QListWidgetItem* current = nullptr;
    int depth = 0;
    for (const QString& folder : chain) {
        const QString native = QDir::toNativeSeparators(folder);
        const QString name = depth == 0 ? native : QFileInfo(folder).fileName();
        current = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, this);
        current->setData(kPathRole, native);
        current->setToolTip(native);
        ++depth;
    }
    const QFileInfoList children =
        QDir(QDir::fromNativeSeparators(m_path))
            .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& child : children) {
        const QString native = QDir::toNativeSeparators(child.absoluteFilePath());
        auto* item = new QListWidgetItem(
            closed, QString(depth * 2, QLatin1Char(' ')) + child.fileName(), this);
        item->setData(kPathRole, native);
        item->setToolTip(native);
    }
    if (current) {
        setCurrentItem(current);
        scrollToItem(current);
    }
}

void DirList::setDragIcon(const QPixmap& icon) {
    m_dragIcon = icon;
    if (m_drag) {
        for (Qt::DropAction action : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction})
            m_drag->setDragCursor(m_dragIcon, action);
    }
}

void DirList::mousePressEvent(QMouseEvent* event) {
    m_pressPosition = event->position().toPoint();
    m_pressed = true;
    QListWidget::mousePressEvent(event);
}

void DirList::mouseMoveEvent(QMouseEvent* event) {
    // Only the left button alone drags; with another button held the move is the list's own.
    if (m_pressed && event->buttons() == Qt::LeftButton &&
        (event->position().toPoint() - m_pressPosition).manhattanLength() >=
            QApplication::startDragDistance()) {
        m_pressed = false;
        startFolderDrag();
        return;
    }
    if (event->buttons() == Qt::NoButton)
        m_pressed = false;
    QListWidget::mouseMoveEvent(event);
}

void DirList::startFolderDrag() {
    if (m_path.isEmpty())
        return;
    emit folderDragStarting();
    auto* folderData = new QMimeData;
    folderData->setData(kFolderMimeType, m_path.toUtf8());
    auto* drag = new QDrag(this);
    drag->setMimeData(folderData);
    m_drag = drag;
    setDragIcon(m_dragIcon);
    drag->exec(Qt::CopyAction);
    // Qt deletes the drag itself once it is over. The button's release went to the drop
    // target, so the list must not go on thinking the button is held.
    m_drag = nullptr;
    setState(NoState);
}

} // namespace glyphmill
