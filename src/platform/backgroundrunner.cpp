#include "backgroundrunner.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>

#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace glyphmill {

namespace {

// A run in the background works for a view the user may not even look at: it takes what the
// window leaves, never the cores the window needs to answer. Without this, converting a photo
// on every core kept the event loop from running for 20 to 40 ms at a time.
void yieldToTheWindow(QProcess& process) {
#ifdef _WIN32
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
        arguments->flags |= BELOW_NORMAL_PRIORITY_CLASS;
    });
#else
    process.setChildProcessModifier([] { setpriority(PRIO_PROCESS, 0, 10); });
#endif
}

} // namespace

ProcessBackgroundRunner::~ProcessBackgroundRunner() {
    // Nobody is left to tell; a run must not outlive the program that waits for it.
    for (auto& [ticket, process] : m_running) {
        process->disconnect(this);
        process->kill();
        process->waitForFinished(2000);
        delete process;
    }
}

quint64 ProcessBackgroundRunner::start(const QString& program, const QStringList& arguments,
                                       const QString& workingDirectory, Done done) {
    const quint64 ticket = m_next++;
    auto* process = new QProcess(this);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setWorkingDirectory(workingDirectory);
    process->setStandardInputFile(QProcess::nullDevice());
    // The streams go to a file, not through pipes: read when the run has ended, they need no
    // reader of their own while it runs, and nothing of them outlives the run.
    auto errors = std::make_shared<QTemporaryFile>(
        QDir::temp().filePath(QStringLiteral("glyphmill-run-XXXXXX.txt")));
    if (errors->open()) {
        errors->close();
        process->setStandardOutputFile(errors->fileName(), QIODevice::Append);
        process->setStandardErrorFile(errors->fileName(), QIODevice::Append);
    }
    yieldToTheWindow(*process);
    m_running[ticket] = process;
    // Either signal may come first, or both; the first one tells the end.
    auto reported = std::make_shared<bool>(false);
    const auto report = [this, ticket, done, reported](const BackgroundEnd& end) {
        if (*reported)
            return;
        *reported = true;
        forget(ticket);
        done(end);
    };
    connect(process, &QProcess::finished, this,
            [report, errors](int exitCode, QProcess::ExitStatus status) {
                BackgroundEnd end;
                end.started = true;
                end.end.how = status == QProcess::NormalExit ? ProcessEnd::How::Exited
                                                             : ProcessEnd::How::Crashed;
                end.end.exitCode = exitCode;
                if (errors->open())
                    end.errors = errors->readAll();
                report(end);
            });
    connect(process, &QProcess::errorOccurred, this,
            [process, report](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return;
                BackgroundEnd end;
                end.errors = process->errorString().toUtf8();
                // Told from the event loop: the caller has no ticket yet while start runs.
                QTimer::singleShot(0, process, [report, end] { report(end); });
            });
    process->start();
    return ticket;
}

void ProcessBackgroundRunner::stop(quint64 ticket) {
    const auto found = m_running.find(ticket);
    if (found != m_running.end() && found->second->state() != QProcess::NotRunning)
        found->second->kill();
}

void ProcessBackgroundRunner::forget(quint64 ticket) {
    const auto found = m_running.find(ticket);
    if (found == m_running.end())
        return;
    found->second->deleteLater();
    m_running.erase(found);
}

} // namespace glyphmill
