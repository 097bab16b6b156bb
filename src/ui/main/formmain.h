#pragma once

#include "commandcomposer.h"
#include "conversionsettings.h"
#include "options/frmoptions.h"
#include "pathconvention.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace glyphmill {

class DirList;
class DragCursors;
class DriveList;
class FileAttributes;
class FileList;
class FolderListing;
class FolderWatcher;
class FormAbout;
class FormHelp;
class FolderChooser;
class ConsoleView;
class ImageBox;
class BackgroundRunner;
class ProcessLauncher;
class RunList;
class PictureLoader;
class Prompt;
class SystemInformation;
class TargetDirField;
class Volumes;

// What the main window needs from the outside world. The window reaches the system through
// these alone, so every one must be handed in (SystemServices has the real ones; tests hand in
// fakes): a window left without one stops the program rather than fall back on the real thing.
struct MainWindowServices {
    QString appFolder;
    PathConvention convention = PathConvention::native();
    const FileAttributes* files = nullptr;
    Prompt* prompt = nullptr;
    ProcessLauncher* launcher = nullptr;
    // Ends the program; the main window calls it when it closes, whatever else is open. The one
    // thing that may be left empty: a window under test has no program to end.
    std::function<void()> endProgram;
    SystemInformation* systemInformation = nullptr;
    const Volumes* volumes = nullptr;
    const PictureLoader* pictures = nullptr;
    FolderChooser* folders = nullptr;
    const DragCursors* cursors = nullptr;
    // The sub-folders and files the browser lists.
    const FolderListing* listing = nullptr;
    // Tells when the folders the browser shows change on disk.
    FolderWatcher* watcher = nullptr;
    // Runs the converter for the console view, which waits for its end.
    BackgroundRunner* runner = nullptr;
};

// The main window: browser and preview on the left, output options and the converter
// command on the right.
class FormMain : public QWidget, public OptionsHost {
    Q_OBJECT
public:
    explicit FormMain(MainWindowServices services, QWidget* parent = nullptr);
    ~FormMain() override;

    // Rebuilds the converter command from every control and shows it in TextCmd.
    void Refresh_cmd() override;
    void Should_Unload_Cancel(bool& cancel) const override;
    bool isCrySelected() const override;
    bool isColourMapSelected() const override;
    // The one options dialog, created hidden on first use; null once this window has closed.
    FrmOptions* optionsDialog();
    // The conversion choices as the controls hold them right now.
    ConversionSettings currentSettings() const;
    std::vector<std::string> selectedFileNames() const;

    // Show the single About box / Help window, bringing it forward when it is already open.
    void Command1_Click();
    void Command2_Click();
    // Shows the picture `fileName` of `folder` fitted into the preview, or clears the preview
    // for anything else; then rebuilds the command.
    void Show_preview(const QString& fileName, const QString& folder);
    // Moves the browser to the folder of the dropped items and selects the dropped files.
    void Take_dropped_files(const QStringList& paths, bool replaceSelection);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void setTabOrder();
    void connectHandlers();
    void applyEnablingRules();
    void showOptions();
    void Command3_Click();
    // Refresh_cmd's work, handing back the command it showed.
    ComposedCommand recompose();

    MainWindowServices m_services;
    bool m_unloading = false;
    QPointer<FrmOptions> m_options;

    void setUpBrowser();
    void Drive1_Change();
    // Brings the lists showing `folder` up to date with the disk.
    void followFolderChange(const QString& folder);
    void watchShownFolders();
    void CommandChose_Click();
    void resetPreview();
    void setUpConsoleView();
    void CheckConsole_Click();
    QString volumeOf(const QString& path) const;

    // The preview's bounding box and frame in twips, taken from the design at start-up.
    int m_previewBoxWidth = 0;
    int m_previewBoxHeight = 0;
    QString m_lastChosenFolder;
    // The picture the preview shows, for the console view; empty when it shows none.
    QString m_previewName;
    QString m_previewFolder;

    QGroupBox* m_frame7 = nullptr;
    QPushButton* m_command4 = nullptr;
    QPushButton* m_command3 = nullptr;
    QPlainTextEdit* m_textCmd = nullptr;
    QGroupBox* m_frame4 = nullptr;
    QGroupBox* m_frame8 = nullptr;
    QRadioButton* m_optionClut = nullptr;
    QRadioButton* m_optionTc = nullptr;
    QCheckBox* m_checkOptimize = nullptr;
    QFrame* m_frame3 = nullptr;
    QRadioButton* m_option16bits = nullptr;
    QRadioButton* m_option15bits = nullptr;
    QGroupBox* m_frame9 = nullptr;
    QRadioButton* m_optionCry = nullptr;
    QRadioButton* m_optionRgb = nullptr;
    QGroupBox* m_frameOutputDir = nullptr;
    QCheckBox* m_checkOverwrite = nullptr;
    QPushButton* m_commandChose = nullptr;
    TargetDirField* m_textTargetDir = nullptr;
    QGroupBox* m_frame5 = nullptr;
    QRadioButton* m_optionAssembly = nullptr;
    QRadioButton* m_optionBinary = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command1 = nullptr;
    DriveList* m_drive1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QLabel* m_labelWidth = nullptr;
    QLabel* m_labelHeight = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QGroupBox* m_frame1 = nullptr;
    ImageBox* m_image1 = nullptr;
    FileList* m_file1 = nullptr;
    DirList* m_dir1 = nullptr;
    QGroupBox* m_frameRuns = nullptr;
    RunList* m_listRuns = nullptr;
    QGroupBox* m_frameConsole = nullptr;
    QCheckBox* m_checkConsole = nullptr;
    QFrame* m_frameZoom = nullptr;
    QLabel* m_labelZoom = nullptr;
    QRadioButton* m_optionZoom1 = nullptr;
    QRadioButton* m_optionZoom2 = nullptr;
    QRadioButton* m_optionZoom4 = nullptr;
    QLabel* m_labelConsoleBusy = nullptr;
    QLabel* m_labelConsoleCost = nullptr;
    ConsoleView* m_consoleView = nullptr;

    QPointer<FormAbout> m_frmAbout;
    QPointer<FormHelp> m_formHelp;
};

} // namespace glyphmill
