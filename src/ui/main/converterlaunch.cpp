#include "converterlaunch.h"

#include "fileattributes.h"
#include "formmain.h"
#include "processlauncher.h"
#include "prompt.h"
#include "runlist.h"

#include <QStringList>

namespace glyphmill {

namespace {

const QString kErrorTitle = QStringLiteral("Critical error");

void tell(QWidget* parent, Prompt& prompt, const QString& text, Prompt::Icon icon) {
    prompt.ask(parent, {kErrorTitle, text, icon, Prompt::Buttons::Ok});
}

} // namespace

QStringList argumentsOf(const ComposedCommand& command) {
    QStringList arguments;
    arguments.reserve(static_cast<qsizetype>(command.argumentCount()));
    for (std::size_t i = 0; i < command.argumentCount(); ++i) {
        const std::string_view argument = command.argument(i);
        arguments.append(
            QString::fromUtf8(argument.data(), static_cast<qsizetype>(argument.size())));
    }
    return arguments;
}

void launchConverter(QWidget* parent, const MainWindowServices& services,
                     const std::function<ComposedCommand()>& recompose,
                     const QString& workingFolder, RunList& runs, std::size_t pictures) {
    Prompt& prompt = *services.prompt;
    const std::string folder = services.appFolder.toStdString();
    // Reported as the command begins, trailing blank included; the file itself is asked about
    // without the blank.
    const QString shown =
        QString::fromStdString(services.convention.converterCommandPrefix(folder));
    const QString path = QString::fromStdString(services.convention.converterPath(folder));
    const QString cannotFind = QStringLiteral("Can't find external binary: <%1>").arg(shown);

    const FileAttributes& files = *services.files;
    if (files.isDirectory(path)) {
        tell(parent, prompt, QStringLiteral("External binary <%1> is a directory!").arg(shown),
             Prompt::Icon::Critical);
        return;
    }
    // Asking to confirm a command that cannot start would only waste the user's time.
    if (!files.exists(path) || !files.isExecutable(path)) {
        tell(parent, prompt, cannotFind, Prompt::Icon::Critical);
        return;
    }

    const ComposedCommand command = recompose();
    const Prompt::Message confirm{QStringLiteral("Really Execute?"),
                                  QString::fromStdString(command.text()), Prompt::Icon::Warning,
                                  Prompt::Buttons::OkCancel};
    if (prompt.ask(parent, confirm) != Prompt::Answer::Ok)
        return;

    const QStringList arguments = argumentsOf(command);
    const OutputFiles streams = RunList::makeOutputFiles().value_or(OutputFiles{});
    const qint64 pid = services.launcher->startDetached(QString::fromStdString(command.program()),
                                                        arguments, workingFolder, streams);
    if (pid == 0) {
        RunList::discard(streams);
        tell(parent, prompt, cannotFind, Prompt::Icon::Critical);
        return;
    }
    runs.follow(pid, streams, pictures);
    tell(parent, prompt, QStringLiteral("Binary converter returned: <%1>").arg(pid),
         Prompt::Icon::Information);
}

} // namespace glyphmill
