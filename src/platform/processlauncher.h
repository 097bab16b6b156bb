#pragma once

#include "runoutcome.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace glyphmill {

// Where a started program's standard output and error stream go, each appended to its file;
// a stream with no file is thrown away.
struct OutputFiles {
    QString output;
    QString errors;
};

// Starting another program that runs on by itself, even after this one has ended, and learning
// while this one runs when it has ended. Tests hand in a fake.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts `program` with exactly these arguments (no shell, no splitting) in
    // `workingDirectory`, with no input and its streams into `files`, and, where the system has
    // such a thing, without a visible window. Returns the new process's id, or 0 when it could
    // not start.
    virtual qint64 startDetached(const QString& program, const QStringList& arguments,
                                 const QString& workingDirectory, const OutputFiles& files) = 0;
    // How the process `pid` started here ended, or nothing while it runs. Once it has told an
    // end, it knows the process no more: asked again, it says the end is unknown.
    virtual std::optional<ProcessEnd> ended(qint64 pid) = 0;
};

class SystemProcessLauncher final : public ProcessLauncher {
public:
    SystemProcessLauncher() = default;
    SystemProcessLauncher(const SystemProcessLauncher&) = delete;
    SystemProcessLauncher& operator=(const SystemProcessLauncher&) = delete;
    ~SystemProcessLauncher() override;

    qint64 startDetached(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, const OutputFiles& files) override;
    std::optional<ProcessEnd> ended(qint64 pid) override;

private:
    // What the system needs to learn of a process's end, by its id (a handle on Windows).
    std::map<qint64, void*> m_watched;
};

} // namespace glyphmill
