#include "installationcheck.h"

#include "cursorfile.h"
#include "fileattributes.h"
#include "formmain.h"

namespace glyphmill {

namespace {

// The drag cursors the browser shows (see formmainbrowse.cpp).
QStringList dragCursorNames() {
    return {QStringLiteral("hwe.cur"), QStringLiteral("hibeam.cur")};
}

} // namespace

bool reportInstallation(const MainWindowServices& services, const CursorFolderDragCursors& cursors,
                        QStringList& lines) {
    bool complete = true;
    const QString converter =
        QString::fromStdString(services.convention.converterPath(services.appFolder.toStdString()));
    const FileAttributes* files = services.files;
    if (files && files->exists(converter) && files->isExecutable(converter) &&
        !files->isDirectory(converter)) {
        lines.append(QStringLiteral("converter: ") + converter);
    } else {
        lines.append(QStringLiteral("converter: not found at ") + converter);
        complete = false;
    }
    for (const QString& name : dragCursorNames()) {
        const QString path = cursors.locate(name);
        if (path.isEmpty()) {
            lines.append(QStringLiteral("cursor %1: not found").arg(name));
            complete = false;
        } else {
            lines.append(QStringLiteral("cursor %1: %2").arg(name, path));
        }
    }
    return complete;
}

} // namespace glyphmill
