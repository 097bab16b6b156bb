#pragma once

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

namespace glyphmill {

// Tells when the entries of the folders the browser shows change on disk: a file or folder
// made, removed or renamed, by this program, the converter or anyone else. Tests hand in a fake
// that they tell of changes themselves.
class FolderWatcher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Watches exactly these folders from now on, each reported as spelt here.
    virtual void watch(const QStringList& folders) = 0;

signals:
    // An entry of `folder` appeared, vanished or was renamed, or `folder` itself did.
    void folderChanged(const QString& folder);
};

// A converter writes its files one after another: the changes of such a burst are told once,
// when the folder has been quiet for a moment, so a large folder is not listed again for every
// file. A burst that goes on is still told at least once every kLongestWaitMs.
class SystemFolderWatcher final : public FolderWatcher {
    Q_OBJECT
public:
    static constexpr int kQuietMs = 150;
    static constexpr int kLongestWaitMs = 1000;

    explicit SystemFolderWatcher(QObject* parent = nullptr);

    void watch(const QStringList& folders) override;

private:
    void noteChange(const QString& watchedPath);
    void tellPending();

    QFileSystemWatcher m_system;
    // Qt's spelling of each watched folder to the spelling it was asked for.
    QHash<QString, QString> m_asked;
    QSet<QString> m_pending;
    QTimer m_quiet;
    QElapsedTimer m_sinceFirstPending;
};

} // namespace glyphmill
