#include "applicationfolder.h"
#include "displaycheck.h"
#include "main/formmain.h"
#include "main/systemservices.h"
#include "uistyle.h"

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

    glyphmill::SystemServices system(glyphmill::applicationFolder());
    glyphmill::MainWindowServices services = system.mainWindowServices();
    services.endProgram = [] {
        QCoreApplication::quit();
    };

    glyphmill::FormMain window(services);
    glyphmill::centreOnScreen(window);
    window.show();
    return QApplication::exec();
}
