#include "processlauncher.h"

#include <QProcess>

#ifdef _WIN32
#include <windows.h>
#endif

namespace glyphmill {

qint64 SystemProcessLauncher::startDetached(const QString& program, const QStringList& arguments,
                                            const QString& workingDirectory) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDirectory);
#ifdef _WIN32
    // The converter is a console program; without this a console window would pop up.
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->flags |= CREATE_NO_WINDOW;
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_HIDE;
    });
#endif
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return 0;
    return pid;
}

} // namespace glyphmill
