#include "filelist.h"

#include <QDir>

namespace glyphmill {

FileList::FileList(QWidget* parent)
    : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void FileList::setPath(const QString& path) {
    m_path = path;
    clear();
    addItems(QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name));
    emit pathChanged(m_path);
}

std::vector<std::string> FileList::selectedFileNames() const {
    std::vector<std::string> names;
    for (int row = 0; row < count(); ++row) {
        const QListWidgetItem* entry = item(row);
        if (entry->isSelected())
            names.push_back(entry->text().toStdString());
    }
    return names;
}

} // namespace glyphmill
