#include "systeminformation.h"

#include "fileattributes.h"
#include "programstarter.h"

namespace glyphmill {

RegistrySystemInformation::RegistrySystemInformation(const Registry& registry,
                                                     const FileAttributes& files,
                                                     ProgramStarter& starter)
    : m_registry(registry)
    , m_files(files)
    , m_starter(starter) {}

bool RegistrySystemInformation::StartSysInfo() {
    const auto root = Registry::Root::LocalMachine;
    QString path;
    if (!GetKeyValue(m_registry, root, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                     QStringLiteral("PATH"), path)) {
        QString folder;
        if (!GetKeyValue(m_registry, root,
                         QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                         QStringLiteral("MSINFO"), folder))
            return false;
        path = folder + QStringLiteral("\\MSINFO32.EXE");
        if (!m_files.exists(path) || m_files.isDirectory(path))
            return false;
    }
    // A value of another type than text leaves the path empty; that start fails like any other.
    return !path.isEmpty() && m_starter.startDetached(path);
}

PathSystemInformation::PathSystemInformation(QStringList candidates, ExecutableFinder find,
                                             ProgramStarter& starter)
    : m_candidates(std::move(candidates))
    , m_find(std::move(find))
    , m_starter(starter) {}

bool PathSystemInformation::StartSysInfo() {
    for (const QString& name : std::as_const(m_candidates)) {
        const QString path = m_find ? m_find(name) : QString();
        if (!path.isEmpty())
            return m_starter.startDetached(path);
    }
    return false;
}

QStringList PathSystemInformation::defaultCandidates() {
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor")};
}

} // namespace glyphmill
