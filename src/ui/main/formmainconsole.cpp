// The main window's console view: the switch that puts it in the preview's place, its zoom, and
// the converter run it is made by, composed from the same choices as the window's command.
#include "consoleview.h"
#include "consoleviewcommand.h"
#include "converterlaunch.h"
#include "formmain.h"
#include "imagebox.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

namespace glyphmill {

void FormMain::setUpConsoleView() {
    m_consoleView->setInfoLabels(m_labelConsoleBusy, m_labelConsoleCost);
    m_consoleView->setRunner(m_services.runner,
                             [this](const QString& outputs) -> std::optional<ConsoleJob> {
                                 if (m_previewName.isEmpty() || m_unloading)
                                     return std::nullopt;
                                 optionsDialog();
                                 const ConversionSettings settings = currentSettings();
                                 const std::string appFolder = m_services.appFolder.toStdString();
                                 const std::string picture = m_previewName.toStdString();
                                 const std::string folder = outputs.toStdString();
                                 const ComposedCommand command = composeConsoleViewCommand(
                                     {settings, appFolder, picture, m_services.convention, folder});
                                 return ConsoleJob{QString::fromStdString(command.program()),
                                                   argumentsOf(command), m_previewFolder};
                             });
    connect(m_checkConsole, &QCheckBox::toggled, this, [this] { CheckConsole_Click(); });
    connect(m_consoleView, &ConsoleView::filesDropped, this,
            [this](const QStringList& paths) { Take_dropped_files(paths, true); });
    const std::pair<QRadioButton*, int> zooms[] = {
        {m_optionZoom1, 1}, {m_optionZoom2, 2}, {m_optionZoom4, 4}};
    for (const auto& [button, zoom] : zooms) {
        connect(button, &QRadioButton::toggled, this, [this, zoom = zoom](bool checked) {
            if (checked)
                m_consoleView->setZoom(zoom);
        });
    }
    CheckConsole_Click();
}

void FormMain::CheckConsole_Click() {
    const bool on = m_checkConsole->isChecked();
    // The preview itself is left as it is, to come back unchanged when switched off.
    m_image1->setVisible(!on);
    m_consoleView->setVisible(on);
    m_frameZoom->setEnabled(on);
    m_labelConsoleCost->setVisible(on);
    m_consoleView->setActive(on);
}

} // namespace glyphmill
