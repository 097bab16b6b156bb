#pragma once

#include <QListWidget>

#include <string>
#include <vector>

namespace glyphmill {

// The file list: every file of one folder, several of them selectable.
class FileList : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)
public:
    explicit FileList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    void setPath(const QString& path);

    // Names of the selected entries in list order, as the converter command names them.
    std::vector<std::string> selectedFileNames() const;

signals:
    void pathChanged(const QString& path);

private:
    QString m_path;
};

} // namespace glyphmill
