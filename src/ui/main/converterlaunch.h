#pragma once

#include "commandcomposer.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace glyphmill {

class RunList;
struct MainWindowServices;

// The arguments of `command` as a program is started with them.
QStringList argumentsOf(const ComposedCommand& command);

// Runs the converter as the run button does: makes sure the converter file is in place, brings
// the command up to date with `recompose` (which shows it and returns it), asks for
// confirmation and starts the composed program and arguments in `workingFolder`. Every outcome
// of the start is reported through the services' prompt, and a started run is handed to `runs`
// to follow, with the number of `pictures` the command names; this process's own current folder is
// not touched. The services must hold a prompt, file attributes and a launcher, as a main window's
// do.
void launchConverter(QWidget* parent, const MainWindowServices& services,
                     const std::function<ComposedCommand()>& recompose,
                     const QString& workingFolder, RunList& runs, std::size_t pictures);

} // namespace glyphmill
