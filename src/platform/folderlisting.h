#pragma once

#include <QString>
#include <QStringList>

namespace glyphmill {

// What the browser shows of a folder: the sub-folders the folder list offers and the files the
// file list offers. Tests hand in a fake, so that no test browses the real disk.
class FolderListing {
public:
    virtual ~FolderListing() = default;
    // The names of the sub-folders of `folder`, sorted without regard to case.
    virtual QStringList folderNames(const QString& folder) const = 0;
    // The names of the files in `folder`, sorted without regard to case.
    virtual QStringList fileNames(const QString& folder) const = 0;
};

// Hidden entries are left out, as the system's own file browser leaves them out: names
// beginning with a dot on Unix, entries with the hidden attribute on Windows, and there files
// with the system attribute as well.
class SystemFolderListing final : public FolderListing {
public:
    QStringList folderNames(const QString& folder) const override;
    QStringList fileNames(const QString& folder) const override;
};

} // namespace glyphmill
