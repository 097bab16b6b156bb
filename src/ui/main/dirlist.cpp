#include "dirlist.h"

namespace glyphmill {

DirList::DirList(QWidget* parent)
    : QListWidget(parent) {}

void DirList::setPath(const QString& path) {
    if (path == m_path)
        return;
    m_path = path;
    emit pathChanged(m_path);
}

} // namespace glyphmill
