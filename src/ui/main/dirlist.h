#pragma once

#include <QListWidget>

namespace glyphmill {

// The folder list: the current folder with its ancestors and its sub-folders.
class DirList : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)
public:
    explicit DirList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    void setPath(const QString& path);

signals:
    void pathChanged(const QString& path);

private:
    QString m_path;
};

} // namespace glyphmill
