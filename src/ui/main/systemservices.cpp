#include "systemservices.h"

namespace glyphmill {

SystemServices::SystemServices(const QString& appFolder)
    : m_appFolder(appFolder)
    , m_systemInformation(makeSystemInformation())
    , m_cursors(appFolder) {}

MainWindowServices SystemServices::mainWindowServices() {
    MainWindowServices services;
    services.appFolder = m_appFolder;
    services.files = &m_files;
    services.prompt = &m_prompt;
    services.launcher = &m_launcher;
    services.systemInformation = m_systemInformation.get();
    services.volumes = &m_volumes;
    services.pictures = &m_pictures;
    services.folders = &m_folders;
    services.cursors = &m_cursors;
    services.listing = &m_listing;
    services.watcher = &m_watcher;
    services.runner = &m_runner;
    return services;
}

} // namespace glyphmill
