#include "fileattributes.h"
#include "programstarter.h"
#include "systeminformation.h"
#include "winregistry.h"

namespace glyphmill {

namespace {

class NativeSystemInformation final : public SystemInformation {
public:
    bool StartSysInfo() override { return m_tool.StartSysInfo(); }

private:
    WinRegistry m_registry;
    SystemFileAttributes m_files;
    DetachedProcessStarter m_starter;
    RegistrySystemInformation m_tool{m_registry, m_files, m_starter};
};

} // namespace

std::unique_ptr<SystemInformation> makeSystemInformation() {
    return std::make_unique<NativeSystemInformation>();
}

} // namespace glyphmill
