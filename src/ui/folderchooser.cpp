#include "folderchooser.h"

#include <QDir>
#include <QFileDialog>

namespace glyphmill {

std::optional<QString> DialogFolderChooser::chooseFolder(QWidget* parent, const QString& title,
                                                         const QString& startFolder) {
    const QString folder =
        QFileDialog::getExistingDirectory(parent, title, startFolder, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(folder);
}

} // namespace glyphmill
