#pragma once

#include "fakes.h"
#include "fileattributes.h"
#include "main/formmain.h"
#include "pictureloader.h"
#include "testwindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

namespace glyphmill::testing {

// A main window on fakes, over a temporary folder tree, with the paths spelt as the system spells
// them: the browser hands out native paths, and a drop carries them.
struct WindowFixture {
    QTemporaryDir tree;
    SystemFileAttributes files;
    FakePrompt prompt;
    FakeVolumes volumes;
    ImageReaderPictureLoader pictures;
    FakeFolderChooser folders;
    FakeDragCursors cursors;
    std::unique_ptr<FormMain> window;

    void open() {
        MainWindowServices services = testServices(files);
        services.convention = PathConvention::native();
        services.prompt = &prompt;
        services.volumes = &volumes;
        services.pictures = &pictures;
        services.folders = &folders;
        services.cursors = &cursors;
        window = std::make_unique<FormMain>(services);
    }

    // `relative` (spelt with slashes) inside the tree, in native spelling.
    QString path(const QString& relative) const {
        return QDir::toNativeSeparators(QDir::cleanPath(tree.path() + QLatin1Char('/') + relative));
    }

    bool makeFile(const QString& relative, const QByteArray& content = "x") const {
        const QString full = QDir::fromNativeSeparators(path(relative));
        QDir().mkpath(QFileInfo(full).path());
        QFile file(full);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }

    bool makeFolder(const QString& relative) const { return QDir().mkpath(path(relative)); }

    template <typename T> T* child(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    QWidget* widget(const char* name) const { return child<QWidget>(name); }

    QString command() const { return child<QPlainTextEdit>("TextCmd")->toPlainText(); }
};

inline std::unique_ptr<QMimeData> fileListData(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls.append(QUrl::fromLocalFile(p));
    data->setUrls(urls);
    return data;
}

// Sends a shell drop onto `target` (the viewport for item views); true when it was taken.
inline bool drop(QWidget* target, const QMimeData* data,
                 Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) {
    if (auto* view = qobject_cast<QAbstractScrollArea*>(target))
        target = view->viewport();
    QDragEnterEvent enter(QPoint(5, 5), offered, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(5, 5), offered, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

} // namespace glyphmill::testing
