#pragma once

#include "backgroundrunner.h"
#include "cursorfile.h"
#include "fileattributes.h"
#include "folderchooser.h"
#include "folderlisting.h"
#include "folderwatcher.h"
#include "formmain.h"
#include "pictureloader.h"
#include "processlauncher.h"
#include "prompt.h"
#include "systeminformation.h"
#include "volumes.h"

#include <memory>

namespace glyphmill {

// The real services of this system, owned in one place, for the program and for the tools
// that show its windows. Must outlive the windows it serves.
class SystemServices {
public:
    explicit SystemServices(const QString& appFolder);

    MainWindowServices mainWindowServices();
    const CursorFolderDragCursors& cursors() const { return m_cursors; }

private:
    QString m_appFolder;
    SystemFileAttributes m_files;
    MessageBoxPrompt m_prompt;
    SystemProcessLauncher m_launcher;
    std::unique_ptr<SystemInformation> m_systemInformation;
    SystemVolumes m_volumes;
    ImageReaderPictureLoader m_pictures;
    DialogFolderChooser m_folders;
    CursorFolderDragCursors m_cursors;
    SystemFolderListing m_listing;
    SystemFolderWatcher m_watcher;
    ProcessBackgroundRunner m_runner;
};

} // namespace glyphmill
