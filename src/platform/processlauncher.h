#pragma once

#include <QString>
#include <QStringList>

namespace glyphmill {

// Starting another program without waiting for it. Tests hand in a fake.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts `program` with exactly these arguments (no shell, no splitting) in
    // `workingDirectory`, detached from this process and, where the system has such a thing,
    // without a visible window. Returns the new process's id, or 0 when it could not start.
    virtual qint64 startDetached(const QString& program, const QStringList& arguments,
                                 const QString& workingDirectory) = 0;
};

class SystemProcessLauncher final : public ProcessLauncher {
public:
    qint64 startDetached(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory) override;
};

} // namespace glyphmill
