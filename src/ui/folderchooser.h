#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace glyphmill {

// The folder-choosing dialog, so that tests can answer it without a modal loop.
class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // The folder chosen (in the system's spelling), or nothing when the user cancelled.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                                const QString& startFolder) = 0;
};

// The real thing: Qt's folder dialog.
class DialogFolderChooser final : public FolderChooser {
public:
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                        const QString& startFolder) override;
};

} // namespace glyphmill
