#include "programstarter.h"
#include "systeminformation.h"

#include <QStandardPaths>

namespace glyphmill {

namespace {

class NativeSystemInformation final : public SystemInformation {
public:
    bool StartSysInfo() override { return m_tool.StartSysInfo(); }

private:
    DetachedProcessStarter m_starter;
    PathSystemInformation m_tool{
        PathSystemInformation::defaultCandidates(),
        [](const QString& name) { return QStandardPaths::findExecutable(name); }, m_starter};
};

} // namespace

std::unique_ptr<SystemInformation> makeSystemInformation() {
    return std::make_unique<NativeSystemInformation>();
}

} // namespace glyphmill
