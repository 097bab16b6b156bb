#include "processlauncher.h"

#include <QProcess>

#include <windows.h>

namespace glyphmill {

namespace {

// An exception code (an access violation is 0xC0000005) rather than a number the program gave.
bool isCrashCode(DWORD code) {
    return (code & 0xF0000000u) == 0xC0000000u;
}

} // namespace

SystemProcessLauncher::~SystemProcessLauncher() {
    // The processes run on; only this program's hold on them goes.
    for (const auto& [pid, handle] : m_watched) {
        if (handle)
            CloseHandle(static_cast<HANDLE>(handle));
    }
}

qint64 SystemProcessLauncher::startDetached(const QString& program, const QStringList& arguments,
                                            const QString& workingDirectory,
                                            const OutputFiles& files) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(files.output.isEmpty() ? QProcess::nullDevice() : files.output,
                                  QIODevice::Append);
    process.setStandardErrorFile(files.errors.isEmpty() ? QProcess::nullDevice() : files.errors,
                                 QIODevice::Append);
    // The converter is a console program; without this a console window would pop up.
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->flags |= CREATE_NO_WINDOW;
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_HIDE;
    });
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return 0;
    // Taken at once, the handle keeps the ended process's exit code, and its id from being
    // given to another, until it is asked about. A process already gone has an unknown end.
    m_watched[pid] = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                 static_cast<DWORD>(pid));
    return pid;
}

std::optional<ProcessEnd> SystemProcessLauncher::ended(qint64 pid) {
    const auto found = m_watched.find(pid);
    if (found == m_watched.end() || !found->second) {
        if (found != m_watched.end())
            m_watched.erase(found);
        return ProcessEnd{};
    }
    const HANDLE handle = static_cast<HANDLE>(found->second);
    if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT)
        return std::nullopt;
    ProcessEnd end;
    DWORD code = 0;
    if (GetExitCodeProcess(handle, &code)) {
        end.how = isCrashCode(code) ? ProcessEnd::How::Crashed : ProcessEnd::How::Exited;
        end.exitCode = static_cast<int>(code);
    }
    CloseHandle(handle);
    m_watched.erase(found);
    return end;
}

} // namespace glyphmill
