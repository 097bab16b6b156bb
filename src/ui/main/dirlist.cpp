#include "dirlist.h"

#include "fileattributes.h"
#include "folderlisting.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>

#include <utility>

namespace glyphmill {

const QString DirList::kFolderMimeType = QStringLiteral("application/x-glyphmill-folder");

namespace {

const QLatin1Char kSlash('/');

// The folders from the root down to `folder` (absolute and clean, spelt with '/'), each spelt as
// `folder` spells it. Worked out from the text alone: the folders above one that exists exist
// too. A network share ("//server/share") is the top of its chain, as its server is no folder.
QStringList ancestry(const QString& folder) {
    QStringList chain{folder};
    QString current = folder;
    for (;;) {
        const qsizetype cut = current.lastIndexOf(kSlash);
        // A root: "/", "c:/".
        if (cut < 0 || cut == current.size() - 1)
            break;
        QString parent = current.left(cut);
        if (parent.startsWith(QLatin1String("//")) && parent.indexOf(kSlash, 2) < 0)
            break;
        if (parent.isEmpty() || parent.endsWith(QLatin1Char(':')))
            parent += kSlash;
        chain.prepend(parent);
        current = parent;
    }
    return chain;
}

QString lastName(const QString& folder) {
    return folder.mid(folder.lastIndexOf(kSlash) + 1);
}

QString inside(const QString& folder, const QString& name) {
    return folder.endsWith(kSlash) ? folder + name : folder + kSlash + name;
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

void DirList::setSources(const FolderListing& listing, const FileAttributes& files) {
    m_listing = &listing;
    m_files = &files;
}

void DirList::setPath(const QString& path) {
    if (!m_listing || !m_files)
        qFatal("DirList: a path was set before the folder listing and file attributes");
    if (path.isEmpty())
        return;
    // An absolute path keeps the spelling it was given: Qt would write the drive letter of
    // "c:\" in capitals, and the folder list must name the folder the file list was given.
    const QFileInfo info(path);
    const QString folder = QDir::toNativeSeparators(
        QDir::cleanPath(info.isAbsolute() ? path : info.absoluteFilePath()));
    if (!m_files->isDirectory(folder))
        return;
    const bool changed = folder != m_path;
    m_path = folder;
    fill();
    if (changed)
        emit pathChanged(m_path);
}

void DirList::refresh() {
    if (!m_listing || !m_files)
        qFatal("DirList: refreshed before the folder listing and file attributes were set");
    if (m_path.isEmpty())
        return;
    if (!m_files->isDirectory(m_path)) {
        const QStringList chain = ancestry(QDir::fromNativeSeparators(m_path));
        for (auto folder = chain.crbegin(); folder != chain.crend(); ++folder) {
            const QString native = QDir::toNativeSeparators(*folder);
            if (native != m_path && m_files->isDirectory(native)) {
                setPath(native);
                return;
            }
        }
        // Not even the root is left (a medium taken out): the list shows what it last held.
        return;
    }
    if (m_listing->folderNames(m_path) == m_children)
        return;
    const QListWidgetItem* topItem = itemAt(QPoint(0, 0));
    const QString top = topItem ? topItem->data(kPathRole).toString() : QString();
    fill();
    for (int row = 0; row < count() && !top.isEmpty(); ++row) {
        if (item(row)->data(kPathRole).toString() == top) {
            scrollToItem(item(row), QAbstractItemView::PositionAtTop);
            break;
        }
    }
}

void DirList::fill() {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QString shown = QDir::fromNativeSeparators(m_path);
    const QStringList chain = ancestry(shown);
    QListWidgetItem* current = nullptr;
    int depth = 0;
    for (const QString& folder : chain) {
        const QString native = QDir::toNativeSeparators(folder);
        const QString name = depth == 0 ? native : lastName(folder);
        current = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, this);
        current->setData(kPathRole, native);
        current->setToolTip(native);
        ++depth;
    }
    m_children = m_listing->folderNames(m_path);
    for (const QString& child : std::as_const(m_children)) {
        const QString native = QDir::toNativeSeparators(inside(shown, child));
        auto* item =
            new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + child, this);
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
