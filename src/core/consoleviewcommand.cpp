#include "consoleviewcommand.h"

#include <vector>

namespace glyphmill {

ComposedCommand composeConsoleViewCommand(const ConsoleViewInput& in) {
    ConversionSettings settings = in.settings;
    settings.targetDir = std::string(in.outputFolder);
    // The folder is fresh and ours, so nothing the user owns can be replaced.
    settings.overwrite = true;
    settings.showPng = true;
    settings.metadata = true;
    // Its file name is read against the picture's folder: it would be written there.
    settings.depfile = false;
    const std::vector<std::string> files{std::string(in.picture)};
    const std::string folder(in.outputFolder);
    const DirectoryTest isOutputFolder = [folder](const std::string& path) {
        return path == folder;
    };
    return composeCommand({settings, in.appFolder, files, in.convention, isOutputFolder});
}

} // namespace glyphmill
