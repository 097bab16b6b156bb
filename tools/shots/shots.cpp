// Renders every window offscreen to PNG files, so a layout can be checked by eye:
//   QT_QPA_PLATFORM=offscreen build/bin/glyphmill-shots OUTPUT_FOLDER [PROGRAM_FOLDER]
// PROGRAM_FOLDER (default: the tool's own) is where the windows take the converter to be, so a
// picture for the documentation can show the installed one.
#include "cursorfile.h"
#include "fileattributes.h"
#include "folderchooser.h"
#include "info/formabout.h"
#include "info/formhelp.h"
#include "main/consoleview.h"
#include "main/filelist.h"
#include "main/formmain.h"
#include "main/systemservices.h"
#include "pictureloader.h"
#include "prompt.h"
#include "uistyle.h"
#include "volumes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

void save(QWidget& window, const QString& folder, const QString& name) {
    window.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    if (!window.grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

// Saves a picture of each box the program asks, named in turn, and answers Cancel.
class ShotPrompt final : public glyphmill::Prompt {
public:
    ShotPrompt(QString folder, QStringList names)
        : m_folder(std::move(folder))
        , m_names(std::move(names)) {}

    Answer ask(QWidget* parent, const Message& message) override {
        const auto box = glyphmill::MessageBoxPrompt::makeBox(parent, message);
        save(*box, m_folder, m_names.isEmpty() ? QStringLiteral("box") : m_names.takeFirst());
        return Answer::Cancel;
    }

private:
    QString m_folder;
    QStringList m_names;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    glyphmill::applyUiStyle(app);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

    glyphmill::SystemServices system(argc > 2 ? QString::fromLocal8Bit(argv[2])
                                              : QApplication::applicationDirPath());
    const glyphmill::MainWindowServices services = system.mainWindowServices();
    glyphmill::FormMain main(services);
    save(main, folder, QStringLiteral("FormMain"));

    // The same window browsing a folder of pictures: a tall picture previewed, several files
    // selected, and the prompt a drag shows over the target-folder field.
    QTemporaryDir sample;
    QDir(sample.path()).mkdir(QStringLiteral("sprites"));
    QImage tall(120, 400, QImage::Format_RGB32);
    QPainter painter(&tall);
    QLinearGradient gradient(0, 0, 0, 400);
    gradient.setColorAt(0, Qt::darkBlue);
    gradient.setColorAt(1, Qt::yellow);
    painter.fillRect(tall.rect(), gradient);
    painter.end();
    tall.save(sample.filePath(QStringLiteral("Tall tower.bmp")), "BMP");
    for (const char* name : {"logo.gif", "ship.jpg", "readme.txt"}) {
        QFile file(sample.filePath(QString::fromLatin1(name)));
        file.open(QIODevice::WriteOnly);
    }
    main.findChild<QWidget*>(QStringLiteral("Dir1"))->setProperty("path", sample.path());
    auto* list = main.findChild<glyphmill::FileList*>(QStringLiteral("File1"));
    list->setSelected(0, true);
    list->setSelected(2, true);
    main.Show_preview(QStringLiteral("Tall tower.bmp"), list->path());
    save(main, folder, QStringLiteral("FormMain-browsing"));
    // The same picture as the console shows it, made by the converter beside this program.
    if (auto* console = main.findChild<glyphmill::ConsoleView*>(QStringLiteral("ConsoleView"))) {
        QEventLoop wait;
        QObject::connect(console, &glyphmill::ConsoleView::resultShown, &wait, &QEventLoop::quit);
        QTimer::singleShot(30000, &wait, &QEventLoop::quit);
        main.findChild<QAbstractButton*>(QStringLiteral("CheckConsole"))->click();
        main.findChild<QAbstractButton*>(QStringLiteral("OptionZoom2"))->click();
        wait.exec();
        save(main, folder, QStringLiteral("FormMain-console"));
        main.findChild<QAbstractButton*>(QStringLiteral("CheckConsole"))->click();
    }
    main.findChild<QLineEdit*>(QStringLiteral("TextTargetDir"))
        ->setText(QStringLiteral(">>Drop this here to set target directory!<<"));
    save(main, folder, QStringLiteral("FormMain-dropprompt"));

    // The options dialog as it opens (RGB output: CRY choices greyed), then with CRY output,
    // relative values and both transforms switched on.
    if (glyphmill::FrmOptions* options = main.optionsDialog()) {
        save(*options, folder, QStringLiteral("frmOptions"));
        if (auto* cry = main.findChild<QAbstractButton*>(QStringLiteral("OptionCRY")))
            cry->setChecked(true);
        for (const char* name :
             {"OptionGlass", "OptionBoth", "CheckGray", "CheckRotate", "CheckCut"}) {
            if (auto* button = options->findChild<QAbstractButton*>(QString::fromLatin1(name)))
                button->setChecked(true);
        }
        save(*options, folder, QStringLiteral("frmOptions-cry-transform"));
        save(main, folder, QStringLiteral("FormMain-with-options"));
        // A colour map with the converter's later features asked for.
        if (auto* map = main.findChild<QAbstractButton*>(QStringLiteral("OptionCLUT")))
            map->setChecked(true);
        for (const char* name :
             {"OptionDitherDiffusion", "CheckColours", "CheckSharedClut", "CheckFrames",
              "CheckMirrorFrames", "CheckObjectHeader", "CheckMetadata", "CheckDepfile"}) {
            if (auto* button = options->findChild<QAbstractButton*>(QString::fromLatin1(name)))
                button->setChecked(true);
        }
        save(*options, folder, QStringLiteral("frmOptions-features"));
    }
    // The confirmation before a run, for one picture and for 20,000 of them: however long the
    // command, the box keeps to the screen.
    const QString many = sample.filePath(QStringLiteral("many"));
    QDir().mkpath(many);
    for (int i = 0; i < 20000; ++i) {
        QFile file(QDir(many).filePath(QStringLiteral("sprite%1.bmp").arg(i, 5, 10, QChar(u'0'))));
        file.open(QIODevice::WriteOnly);
    }
    ShotPrompt shots(folder, {QStringLiteral("ReallyExecute-1-file"),
                              QStringLiteral("ReallyExecute-20000-files")});
    glyphmill::MainWindowServices asking = services;
    asking.prompt = &shots;
    glyphmill::FormMain running(asking);
    running.show();
    running.findChild<QWidget*>(QStringLiteral("Dir1"))->setProperty("path", many);
    auto* manyFiles = running.findChild<glyphmill::FileList*>(QStringLiteral("File1"));
    auto* run = running.findChild<QAbstractButton*>(QStringLiteral("Command3"));
    manyFiles->setSelected(0, true);
    run->click();
    manyFiles->selectAll();
    run->click();
    running.close();

    glyphmill::FormAbout about(services.prompt, services.systemInformation);
    save(about, folder, QStringLiteral("frmAbout"));
    glyphmill::FormHelp help;
    save(help, folder, QStringLiteral("FormHelp"));
    return 0;
}
