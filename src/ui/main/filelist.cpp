#include "filelist.h"

#include "filelistmodel.h"
#include "folderlisting.h"
#include "shelldrop.h"

#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>

#include <algorithm>

namespace glyphmill {

FileList::FileList(QWidget* parent)
    : QListView(parent)
    , m_model(new FileListModel(this)) {
    setModel(m_model);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row has the same height, so the view need not measure a hundred thousand of them.
    setUniformItemSizes(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    connect(this, &QListView::clicked, this, [this](const QModelIndex&) { emit fileClicked(); });
}

void FileList::setListing(const FolderListing& listing) {
    m_listing = &listing;
}

void FileList::setPath(const QString& path) {
    if (!m_listing)
        qFatal("FileList: a path was set before the folder listing");
    const QString folder = QDir::toNativeSeparators(path);
    // Listing the same folder again refreshes it; what was picked there stays picked.
    if (folder == m_path) {
        refresh();
        return;
    }
    m_path = folder;
    m_model->setNames(m_listing->fileNames(path));
    emit pathChanged(m_path);
}

bool FileList::refresh() {
    if (!m_listing)
        qFatal("FileList: refreshed before the folder listing was set");
    QStringList names = m_listing->fileNames(m_path);
    // Most changes in a watched folder leave its names as they were (a file rewritten, another
    // folder's entry touched): the view is then left quite alone.
    if (names == m_model->names())
        return false;
    const QStringList selected = selectedNames();
    const QString focused = fileName();
    const int topRow = indexAt(QPoint(0, 0)).row();
    const QString top = entry(topRow);

    m_model->setNames(std::move(names));
    const QStringList& now = m_model->names();
    if (!focused.isEmpty()) {
        const int row = static_cast<int>(now.indexOf(focused));
        if (row >= 0)
            selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::NoUpdate);
    }
    if (!selected.isEmpty())
        selectNames(QSet<QString>(selected.begin(), selected.end()), true);
    if (topRow >= 0 && !now.isEmpty()) {
        const int row = static_cast<int>(now.indexOf(top));
        const int shown = row >= 0 ? row : std::min(topRow, static_cast<int>(now.size()) - 1);
        scrollTo(m_model->index(shown), QAbstractItemView::PositionAtTop);
    }
    return selectedNames() != selected;
}

QString FileList::fileName() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? entry(current.row()) : QString();
}

void FileList::setFileName(const QString& name) {
    const int row = static_cast<int>(m_model->names().indexOf(name));
    if (row < 0)
        return;
    setCurrentIndex(m_model->index(row));
    selectionModel()->select(m_model->index(row), QItemSelectionModel::ClearAndSelect);
}

int FileList::count() const {
    return m_model->rowCount();
}

QString FileList::entry(int row) const {
    return row >= 0 && row < count() ? m_model->names().at(row) : QString();
}

bool FileList::isSelected(int row) const {
    return selectionModel()->isSelected(m_model->index(row));
}

void FileList::setSelected(int row, bool selected) {
    if (row < 0 || row >= count())
        return;
    selectionModel()->select(m_model->index(row), selected ? QItemSelectionModel::Select
                                                           : QItemSelectionModel::Deselect);
}

QStringList FileList::selectedNames() const {
    // Read the selection as ranges: asking every row whether it is selected costs rows times
    // ranges, far too slow for a large folder with scattered picks.
    std::vector<int> rows;
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        if (range.parent().isValid())
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList names;
    names.reserve(static_cast<qsizetype>(rows.size()));
    const QStringList& all = m_model->names();
    for (int row : rows) {
        if (row >= 0 && row < all.size())
            names.append(all.at(row));
    }
    return names;
}

std::vector<std::string> FileList::selectedFileNames() const {
    const QStringList names = selectedNames();
    std::vector<std::string> result;
    result.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names)
        result.push_back(name.toStdString());
    return result;
}

void FileList::selectNames(const QSet<QString>& names, bool replace) {
    QItemSelection selection;
    const QStringList& all = m_model->names();
    int first = -1;
    for (int row = 0; row <= all.size(); ++row) {
        const bool wanted = row < all.size() && names.contains(all.at(row));
        if (wanted && first < 0)
            first = row;
        if (!wanted && first >= 0) {
            selection.select(m_model->index(first), m_model->index(row - 1));
            first = -1;
        }
    }
    const auto command =
        replace ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select;
    selectionModel()->select(selection, command);
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    // A file list reports a pick by keyboard like a click.
    if (currentIndex() != before && currentIndex().isValid())
        emit fileClicked();
}

void FileList::dragEnterEvent(QDragEnterEvent* event) {
    // The file list keeps only the copy effect.
    acceptShellDrag(event, Qt::CopyAction);
}

void FileList::dragMoveEvent(QDragMoveEvent* event) {
    acceptShellDrag(event, Qt::CopyAction);
}

void FileList::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void FileList::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedLocalPaths(event->mimeData());
    if (paths.isEmpty() || shellDropAction(event->mimeData(), event->possibleActions(),
                                           Qt::CopyAction) == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(paths);
}

} // namespace glyphmill
