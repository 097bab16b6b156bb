#include "applicationfolder.h"
#include "displaycheck.h"
#include "main/formmain.h"
#include "main/installationcheck.h"
#include "main/systemservices.h"
#include "uistyle.h"
#include "versiontext.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QScreen>
#include <QStringList>

#include <cstdio>

namespace {

struct Options {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption check{
        QStringLiteral("check-installation"),
        QStringLiteral("Start without showing the window, print where the converter and the "
                       "drag cursors were found, and exit: status 0 when all were, 1 if not.")};

    Options() {
        parser.setApplicationDescription(
            QStringLiteral("Desktop front-end for rastix, the converter of pictures into Atari "
                           "Jaguar graphics data. Qt's own options (-platform, -style, ...) are "
                           "understood too."));
        parser.addOption(help);
        parser.addOption(version);
        parser.addOption(check);
    }
};

QStringList rawArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

void print(std::FILE* stream, const QString& text) {
    std::fputs(qPrintable(text), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("glyphmill"));
    QCoreApplication::setApplicationVersion(
        QString::fromStdString(glyphmill::programVersionText()));

    // --help and --version must work where no display is (a terminal over ssh, a package
    // build), so they are answered before QApplication, which needs one. Qt's own options are
    // not known yet here; unknown ones are judged once QApplication has taken Qt's away.
    Options options;
    options.parser.parse(rawArguments(argc, argv));
    if (options.parser.isSet(options.help)) {
        // Without an application object the parser cannot know the program's name.
        print(stdout, options.parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                        QStringLiteral("glyphmill")));
        return 0;
    }
    if (options.parser.isSet(options.version)) {
        print(stdout, QStringLiteral("glyphmill %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }

    if (const QString message = glyphmill::missingDisplayMessage(); !message.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyphmill"));
    // Lets desktops that track windows by their desktop entry (Wayland) show the right icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.glyphmill.Glyphmill"));
    if (!options.parser.parse(QApplication::arguments())) {
        print(stderr, QStringLiteral("glyphmill: %1\n").arg(options.parser.errorText()));
        return 1;
    }
    if (!options.parser.positionalArguments().isEmpty()) {
        print(stderr, QStringLiteral("glyphmill: unexpected argument '%1'\n")
                          .arg(options.parser.positionalArguments().constFirst()));
        return 1;
    }
    glyphmill::applyUiStyle(app);

    glyphmill::SystemServices system(glyphmill::applicationFolder());
    glyphmill::MainWindowServices services = system.mainWindowServices();
    services.endProgram = [] {
        QCoreApplication::quit();
    };

    glyphmill::FormMain window(services);
    if (options.parser.isSet(options.check)) {
        QStringList lines;
        const bool complete = glyphmill::reportInstallation(services, system.cursors(), lines);
        print(stdout, lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return complete ? 0 : 1;
    }
    glyphmill::centreOnScreen(window);
    window.show();
    return QApplication::exec();
}
