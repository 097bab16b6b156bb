#pragma once

#include "registry.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace glyphmill {

class FileAttributes;
class ProgramStarter;

// The operating system's system-information tool.
class SystemInformation {
public:
    virtual ~SystemInformation() = default;
    // Starts the tool without waiting for it; false when it cannot be found or started.
    virtual bool StartSysInfo() = 0;
};

// Windows: the tool's path is recorded in the registry, either whole or as the folder that
// holds MSINFO32.EXE.
class RegistrySystemInformation final : public SystemInformation {
public:
    RegistrySystemInformation(const Registry& registry, const FileAttributes& files,
                              ProgramStarter& starter);
    bool StartSysInfo() override;

private:
    const Registry& m_registry;
    const FileAttributes& m_files;
    ProgramStarter& m_starter;
};

// Elsewhere: the first of a few well-known tools that is found on the PATH.
class PathSystemInformation final : public SystemInformation {
public:
    // Full path of an executable found on the PATH, or empty.
    using ExecutableFinder = std::function<QString(const QString& name)>;

    PathSystemInformation(QStringList candidates, ExecutableFinder find, ProgramStarter& starter);
    bool StartSysInfo() override;

    static QStringList defaultCandidates();

private:
    QStringList m_candidates;
    ExecutableFinder m_find;
    ProgramStarter& m_starter;
};

// The tool of the system the program was built for, with the real registry, file system and
// process start behind it.
std::unique_ptr<SystemInformation> makeSystemInformation();

} // namespace glyphmill
