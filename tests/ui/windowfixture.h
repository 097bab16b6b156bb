#pragma once

#include "fakes.h"
#include "main/formmain.h"
#include "testwindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

#include <memory>

namespace glyphmill::testing {

// `relative` (spelt with slashes) inside the folder of the fake disk that tests fill, spelt as
// the system spells paths: the browser hands out native paths, and a drop carries them.
inline QString treePath(const QString& relative) {
    return QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(kStartFolder) +
                                                    QStringLiteral("tree/") + relative));
}

// A main window on fakes alone, over a fake disk.
struct WindowFixture : FakeServices {
    std::unique_ptr<FormMain> window;

    void open() {
        MainWindowServices services = FakeServices::services();
        services.convention = PathConvention::native();
        window = std::make_unique<FormMain>(services);
    }

    static QString path(const QString& relative) { return treePath(relative); }

    void makeFile(const QString& relative, const QByteArray& content = "x") {
        files.addFile(path(relative), content);
    }

    void makeFolder(const QString& relative) { files.addFolder(path(relative)); }

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
