#include "formmain.h"

#include "commandcomposer.h"
#include "consoleview.h"
#include "dirlist.h"
#include "drivelist.h"
#include "fileattributes.h"
#include "filelist.h"
#include "imagebox.h"
#include "info/formabout.h"
#include "info/formhelp.h"
#include "optiongroups.h"
#include "runlist.h"
#include "targetdirfield.h"
#include "twips.h"
#include "uiresources.h"
#include "uistyle.h"
#include "wrappingcheckbox.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace glyphmill {

namespace {

constexpr auto t = twipsRect;

// The first service of `services` that was left empty, by its name there; null when there is
// none.
const char* missingService(const MainWindowServices& services) {
    const std::pair<const void*, const char*> every[] = {
        {services.files, "files"},       {services.prompt, "prompt"},
        {services.launcher, "launcher"}, {services.systemInformation, "systemInformation"},
        {services.volumes, "volumes"},   {services.pictures, "pictures"},
        {services.folders, "folders"},   {services.cursors, "cursors"},
        {services.listing, "listing"},   {services.watcher, "watcher"},
        {services.runner, "runner"},
    };
    for (const auto& [service, name] : every) {
        if (!service)
            return name;
    }
    return nullptr;
}

} // namespace

FormMain::FormMain(MainWindowServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
    , m_services(std::move(services)) {
    // A missing service is a mistake of the caller, stopped in every build: the real system is
    // never used in its place.
    if (const char* missing = missingService(m_services))
        qFatal("FormMain: no %s service was handed in (MainWindowServices::%s)", missing, missing);
    initUiResources();
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Glyphmill by the Loomers"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/glyphmill.png")));
    // The designed window, with strips beneath it for the console view's controls and for the
    // outcome of the runs.
    setFixedSize(twipsToPixels(9090), twipsToPixels(9570));
    buildLayout();
    setTabOrder();
    groupOptionButtons(*this);
    connectHandlers();
    applyEnablingRules();
    connect(m_command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(m_command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    setUpBrowser();
    setUpConsoleView();
    Refresh_cmd();
    m_unloading = false;
}

void FormMain::buildLayout() {
    m_frame7 =
        place<QGroupBox>(this, "Frame7", t(4920, 4080, 4095, 1815), tr("Conversion command"));
    m_command4 = place<QPushButton>(m_frame7, "Command4", t(2280, 1320, 1575, 375),
                                    tr("Conversion &options"));
    m_command3 = place<QPushButton>(m_frame7, "Command3", t(240, 1320, 1815, 375),
                                    tr("Run this &convertion!"));
    m_textCmd = place<QPlainTextEdit>(m_frame7, "TextCmd", t(120, 240, 3855, 1005));
    m_textCmd->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_textCmd->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textCmd->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_textCmd->setWordWrapMode(QTextOption::WrapAnywhere);
    // The field shows a command and takes no typing, so Tab moves on to the run button after
    // it, as in a multi-line field on Windows, instead of keeping the keyboard for itself.
    m_textCmd->setTabChangesFocus(true);

    m_frame4 = place<QGroupBox>(this, "Frame4", t(4920, 120, 4095, 3855), tr("Output options"));
    m_frame8 = place<QGroupBox>(m_frame4, "Frame8", t(120, 960, 3855, 1455),
                                tr("Output color space mode"));
    m_optionClut = place<QRadioButton>(m_frame8, "OptionCLUT", t(120, 960, 1815, 255),
                                       tr("Generate color &map:"));
    m_optionClut->setToolTip(tr("Operate in CLUT mode (Color LookUp Table, or \"palette\" mode)"));
    m_optionTc =
        place<QRadioButton>(m_frame8, "OptionTC", t(120, 300, 1575, 255), tr("&True Color mode:"));
    m_optionTc->setToolTip(tr("Operate in True Color (without color table)"));
    m_optionTc->setChecked(true);
    m_checkOptimize = place<WrappingCheckBox>(m_frame8, "CheckOptimize", t(1920, 840, 1815, 495),
                                              tr("O&ptimize color depth (min bits per pixel)"));
    m_frame3 = place<QFrame>(m_frame8, "Frame3", t(1800, 180, 1935, 615));
    m_frame3->setFrameShape(QFrame::NoFrame);
    m_option16bits = place<QRadioButton>(m_frame3, "Option16bits", t(0, 120, 1815, 255),
                                         tr("Regular 1&6 bits mode"));
    m_option16bits->setChecked(true);
    m_option15bits =
        place<QRadioButton>(m_frame3, "Option15bits", t(0, 360, 1695, 255), tr("1&5 bits mode"));

    m_frame9 =
        place<QGroupBox>(m_frame4, "Frame9", t(120, 240, 1695, 615), tr("Output color space"));
    m_optionCry = place<QRadioButton>(m_frame9, "OptionCRY", t(840, 240, 735, 255), tr("&CRY"));
    m_optionCry->setToolTip(tr("Encode the output in the special Jaguar CRY color space"));
    m_optionRgb = place<QRadioButton>(m_frame9, "OptionRGB", t(120, 240, 735, 255), tr("&RGB"));
    m_optionRgb->setToolTip(tr("Encode the output in the special Jaguar RGB color space"));
    m_optionRgb->setChecked(true);

    m_frameOutputDir = place<QGroupBox>(m_frame4, "FrameOutputDir", t(120, 2520, 3855, 1215),
                                        tr("Output directory"));
    m_checkOverwrite = place<QCheckBox>(m_frameOutputDir, "CheckOverwrite", t(1800, 300, 1935, 255),
                                        tr("O&verwrite existing files"));
    m_commandChose = place<QPushButton>(m_frameOutputDir, "CommandChose", t(240, 240, 1335, 375),
                                        tr("Chose &directory"));
    m_textTargetDir =
        place<TargetDirField>(m_frameOutputDir, "TextTargetDir", t(120, 720, 3615, 285));

    m_frame5 = place<QGroupBox>(m_frame4, "Frame5", t(1920, 240, 2055, 615), tr("Output format"));
    m_optionAssembly =
        place<QRadioButton>(m_frame5, "OptionAssembly", t(915, 240, 1095, 255), tr("&Assembly"));
    m_optionAssembly->setToolTip(tr("Output an assembly source code file"));
    m_optionBinary =
        place<QRadioButton>(m_frame5, "OptionBinary", t(120, 240, 855, 255), tr("&Binary"));
    m_optionBinary->setToolTip(tr("Output a regular binary image file"));
    m_optionBinary->setChecked(true);

    m_command2 = place<QPushButton>(this, "Command2", t(2640, 120, 975, 315), tr("Help&?"));
    m_command1 = place<QPushButton>(this, "Command1", t(3720, 120, 855, 315), tr("Abo&ut"));
    m_drive1 = place<DriveList>(this, "Drive1", t(120, 120, 2175, 315));
    m_drive1->setToolTip(tr("Selected drive"));

    m_frame2 = place<QGroupBox>(this, "Frame2", t(4920, 6000, 4095, 615),
                                tr("Previewed image information"));
    m_labelWidth =
        place<QLabel>(m_frame2, "LabelWidth", t(720, 240, 1215, 255), QStringLiteral("0"));
    m_labelWidth->setToolTip(tr("Image width in pixels"));
    m_labelHeight =
        place<QLabel>(m_frame2, "LabelHeight", t(2760, 240, 1215, 255), QStringLiteral("0"));
    m_labelHeight->setToolTip(tr("Image height in pixels"));
    m_label1 = place<QLabel>(m_frame2, "Label1", t(120, 240, 495, 255), tr("Width:"));
    m_label2 = place<QLabel>(m_frame2, "Label2", t(2040, 240, 615, 255), tr("Height:"));

    m_frame1 = place<QGroupBox>(this, "Frame1", t(120, 2880, 4695, 3735), tr("Preview"));
    m_image1 = place<ImageBox>(m_frame1, "Image1", t(120, 240, 4455, 3375));
    m_image1->setToolTip(tr("Previewed image"));
    m_file1 = place<FileList>(this, "File1", t(2400, 480, 2415, 2430));
    m_file1->setToolTip(tr("Selected file"));
    m_dir1 = place<DirList>(this, "Dir1", t(120, 480, 2175, 2340));
    m_dir1->setToolTip(tr("Selected folder"));

    // Over the preview, in its place, while switched on.
    m_consoleView = place<ConsoleView>(m_frame1, "ConsoleView", t(120, 240, 4455, 3375));
    m_consoleView->setToolTip(tr("The previewed image as the console shows it"));
    m_consoleView->hide();
    m_frameConsole =
        place<QGroupBox>(this, "FrameConsole", t(120, 6690, 8895, 1245), tr("Console view"));
    m_checkConsole = place<QCheckBox>(m_frameConsole, "CheckConsole", t(120, 270, 2055, 255),
                                      tr("A&s on the console"));
    m_checkConsole->setToolTip(
        tr("Show the previewed image as the console shows it with the current options"));
    m_frameZoom = place<QFrame>(m_frameConsole, "FrameZoom", t(2280, 240, 2415, 315));
    m_frameZoom->setFrameShape(QFrame::NoFrame);
    m_labelZoom = place<QLabel>(m_frameZoom, "LabelZoom", t(0, 30, 615, 255), tr("Zoom:"));
    m_optionZoom1 =
        place<QRadioButton>(m_frameZoom, "OptionZoom1", t(660, 30, 555, 255), tr("&1x"));
    m_optionZoom2 =
        place<QRadioButton>(m_frameZoom, "OptionZoom2", t(1260, 30, 555, 255), tr("&2x"));
    m_optionZoom4 =
        place<QRadioButton>(m_frameZoom, "OptionZoom4", t(1860, 30, 555, 255), tr("&4x"));
    m_optionZoom1->setChecked(true);
    m_labelConsoleBusy = place<QLabel>(m_frameConsole, "LabelConsoleBusy", t(4920, 270, 3855, 255),
                                       tr("Converting the previewed image..."));
    m_labelConsoleBusy->setToolTip(tr("The converter is making the console's view"));
    m_labelConsoleCost = place<QLabel>(m_frameConsole, "LabelConsoleCost", t(120, 570, 8655, 600));
    m_labelConsoleCost->setToolTip(tr("What the shown image costs on the console"));
    m_labelConsoleCost->setWordWrap(true);
    m_labelConsoleCost->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_labelConsoleCost->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_frameRuns =
        place<QGroupBox>(this, "FrameRuns", t(120, 8010, 8895, 1470), tr("Conversion runs"));
    m_listRuns = place<RunList>(m_frameRuns, "ListRuns", t(120, 240, 8655, 1110));
    m_listRuns->setToolTip(tr("How each run of the converter went; open a run for its lines"));
    m_listRuns->setLauncher(m_services.launcher);
}

void FormMain::setTabOrder() {
    // Design tab order; the browser lists come first, as they take the first tab stops.
    const QList<QWidget*> order = {
        m_drive1,       m_dir1,           m_file1,        m_optionRgb,      m_optionCry,
        m_optionBinary, m_optionAssembly, m_optionClut,   m_optionTc,       m_checkOptimize,
        m_option16bits, m_option15bits,   m_commandChose, m_checkOverwrite, m_textTargetDir,
        m_command1,     m_command2,       m_command4,     m_textCmd,        m_command3,
        m_checkConsole, m_optionZoom1,    m_optionZoom2,  m_optionZoom4,
    };
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

ConversionSettings FormMain::currentSettings() const {
    using S = ConversionSettings;
    S s;
    s.outputFormat =
        m_optionAssembly->isChecked() ? S::OutputFormat::Assembly : S::OutputFormat::Binary;
    s.colourSpace = m_optionCry->isChecked() ? S::ColourSpace::Cry : S::ColourSpace::Rgb;
    s.colourMode = m_optionClut->isChecked() ? S::ColourMode::ColourMap : S::ColourMode::TrueColour;
    s.trueColourBits =
        m_option15bits->isChecked() ? S::TrueColourBits::Bits15 : S::TrueColourBits::Bits16;
    s.optimiseColourMap = m_checkOptimize->isChecked();
    s.overwrite = m_checkOverwrite->isChecked();
    s.targetDir = m_textTargetDir->text().toStdString();
    if (m_options)
        m_options->readSettings(s);
    return s;
}

std::vector<std::string> FormMain::selectedFileNames() const {
    return m_file1->selectedFileNames();
}

void FormMain::Refresh_cmd() {
    recompose();
}

ComposedCommand FormMain::recompose() {
    optionsDialog();
    const ConversionSettings settings = currentSettings();
    const std::vector<std::string> files = selectedFileNames();
    const std::string appFolder = m_services.appFolder.toStdString();
    const FileAttributes* attributes = m_services.files;
    const DirectoryTest isDirectory = [attributes](const std::string& path) {
        return attributes->isDirectory(QString::fromStdString(path));
    };
    const ComposedCommand command =
        composeCommand({settings, appFolder, files, m_services.convention, isDirectory});
    const QString text = QString::fromStdString(command.text());
    // Setting the text it already holds must not notify, or the refresh would never end.
    if (m_textCmd->toPlainText() != text)
        m_textCmd->setPlainText(text);
    if (m_consoleView)
        m_consoleView->optionsChanged();
    return command;
}

namespace {

// The information windows are modeless and have no owner: one instance each, brought forward
// when asked for again.
template <typename Window, typename Create>
void showSingle(QPointer<Window>& window, Create create) {
    if (window) {
        window->raise();
        window->activateWindow();
        return;
    }
    window = create();
    centreOnScreen(*window);
    window->show();
}

} // namespace

void FormMain::Command1_Click() {
    showSingle(m_frmAbout,
               [this] { return new FormAbout(m_services.prompt, m_services.systemInformation); });
}

void FormMain::Command2_Click() {
    showSingle(m_formHelp, [] { return new FormHelp; });
}

} // namespace glyphmill
