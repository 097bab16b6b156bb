#pragma once

#include <QStringList>

namespace glyphmill {

class CursorFolderDragCursors;
struct MainWindowServices;

// Writes one line per file the main window relies on (the converter it runs, each drag cursor)
// naming where it was found, or where the converter was looked for; true when all were found.
// Lets a packager see that an installation is complete without a display or a mouse.
bool reportInstallation(const MainWindowServices& services, const CursorFolderDragCursors& cursors,
                        QStringList& lines);

} // namespace glyphmill
