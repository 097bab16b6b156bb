#include "applicationfolder.h"
#include "cursorfile.h"
#include "displaycheck.h"
#include "fileattributes.h"
#include "folderchooser.h"
#include "main/formmain.h"
#include "pictureloader.h"
#include "processlauncher.h"
#include "prompt.h"
#include "systeminformation.h"
#include "uistyle.h"
#include "volumes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QScreen>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (const QString message = glyphmill::missingDisplayMessage(); !message.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyphmill"));
    glyphmill::applyUiStyle(app);

    glyphmill::SystemFileAttributes files;
    glyphmill::MessageBoxPrompt prompt;
    const std::unique_ptr<glyphmill::SystemInformation> systemInformation =
        glyphmill::makeSystemInformation();
    glyphmill::MainWindowServices services;
    services.appFolder = glyphmill::applicationFolder();
    services.files = &files;
    services.prompt = &prompt;
    glyphmill::SystemProcessLauncher launcher;
    services.launcher = &launcher;
    services.endProgram = [] {
        QCoreApplication::quit();
    };
    services.systemInformation = systemInformation.get();
    glyphmill::SystemVolumes volumes;
    glyphmill::ImageReaderPictureLoader pictures;
    glyphmill::DialogFolderChooser folders;
    const glyphmill::CursorFolderDragCursors cursors(services.appFolder);
    services.volumes = &volumes;
    services.pictures = &pictures;
    services.folders = &folders;
    services.cursors = &cursors;

    glyphmill::FormMain window(services);
    glyphmill::centreOnScreen(window);
    window.show();
    return QApplication::exec();
}
