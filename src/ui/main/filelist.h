#pragma once

#include <QListView>
#include <QSet>
#include <QStringList>

#include <string>
#include <vector>

namespace glyphmill {

class FileListModel;
class FolderListing;

// The file list: every file of one folder that is not hidden (no name pattern), several of them
// selectable. `fileName` is the entry with the focus. Setting `path` fills the list at once.
class FileList : public QListView {
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)
public:
    explicit FileList(QWidget* parent = nullptr);

    // Where the files shown come from; it must outlive the list. Needed before the first path
    // is set: the list never reads the disk itself.
    void setListing(const FolderListing& listing);

    QString path() const { return m_path; }
    // Lists the folder afresh; raises pathChanged when the folder differs.
    void setPath(const QString& path);
    // Lists the same folder again, as it is on disk now. What was picked, the entry with the
    // focus and the entry at the top of the view stay so wherever they are still listed. Hands
    // back whether the selection changed: a picked file vanished.
    bool refresh();

    QString fileName() const;
    // Gives the focus to the entry `name` and selects it alone; unknown names change nothing.
    void setFileName(const QString& name);

    int count() const;
    QString entry(int row) const;
    bool isSelected(int row) const;
    void setSelected(int row, bool selected);

    // Names of the selected entries in list order, as the converter command names them.
    QStringList selectedNames() const;
    std::vector<std::string> selectedFileNames() const;
    // Selects every entry named in `names`; with `replace` the others lose their selection.
    void selectNames(const QSet<QString>& names, bool replace);

signals:
    void pathChanged(const QString& path);
    // The user picked an entry, by mouse or by keyboard.
    void fileClicked();
    // Local files dropped from the shell, in the system's spelling.
    void filesDropped(const QStringList& paths);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    const FolderListing* m_listing = nullptr;
    FileListModel* m_model = nullptr;
    QString m_path;
};

} // namespace glyphmill
