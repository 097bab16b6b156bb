#pragma once

#include <QLineEdit>

#include <functional>

namespace glyphmill {

// The target-folder field. Besides typing, it takes the folder dragged from the folder list and
// the first item of a file list dragged from the shell. While such a drag is over it, it shows a
// prompt in place of its text, and gives the text back when the drag leaves without dropping.
class TargetDirField : public QLineEdit {
    Q_OBJECT
public:
    static const QString kDropPrompt;

    explicit TargetDirField(QWidget* parent = nullptr);

    // The path separator of the text it stores, and how to tell a folder from a file.
    void setPathRules(QChar separator, std::function<bool(const QString&)> isDirectory);

    // The text put aside while a drag is over the field.
    QString savedText() const { return m_savedText; }

signals:
    // A folder drag from the folder list entered or left the field (its cursor follows).
    void folderDragEntered();
    void folderDragLeft();
    // The text changed by a drop or a drag leaving: the command shown must follow.
    void refreshRequested();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class DragKind { None, Folder, Files };
    DragKind kindOf(const QDropEvent* event) const;

    QChar m_separator = QLatin1Char('/');
    std::function<bool(const QString&)> m_isDirectory;
    QString m_savedText;
    DragKind m_drag = DragKind::None;
};

} // namespace glyphmill
