// FormMain's behaviour: how its controls react, the options dialog it owns, the run button and
// its closing. The layout and the command refresh live in formmain.cpp.
#include "converterlaunch.h"
#include "filelist.h"
#include "formmain.h"

#include "info/formabout.h"
#include "info/formhelp.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace glyphmill {

FormMain::~FormMain() {
    // The children go after this body has run; none of their signals may reach us then.
    m_unloading = true;
    delete m_options;
    // The information windows have no owner, so they would outlive the main window otherwise.
    delete m_frmAbout.data();
    delete m_formHelp.data();
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* child : children)
        child->disconnect(this);
}

void FormMain::connectHandlers() {
    const auto whenSelected = [this](QRadioButton* button, auto handler) {
        connect(button, &QRadioButton::toggled, this, [handler](bool checked) {
            if (checked)
                handler();
        });
    };
    const auto refresh = [this] {
        Refresh_cmd();
    };
    connect(m_checkOptimize, &QCheckBox::toggled, this, refresh);
    connect(m_checkOverwrite, &QCheckBox::toggled, this, refresh);
    for (QRadioButton* button : {m_option15bits, m_option16bits, m_optionAssembly, m_optionBinary})
        whenSelected(button, refresh);
    for (QRadioButton* button : {m_optionClut, m_optionTc}) {
        whenSelected(button, [this] {
            applyEnablingRules();
            if (FrmOptions* options = optionsDialog())
                options->Refresh_Features_panel();
            Refresh_cmd();
        });
    }
    for (QRadioButton* button : {m_optionCry, m_optionRgb}) {
        whenSelected(button, [this] {
            if (FrmOptions* options = optionsDialog())
                options->Refresh_CRY_panel();
            Refresh_cmd();
        });
    }
    // The field shows the composed command and nothing else: an edit is replaced at once.
    connect(m_textCmd, &QPlainTextEdit::textChanged, this, refresh);
    connect(m_command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(m_command4, &QPushButton::clicked, this, [this] { showOptions(); });
}

void FormMain::applyEnablingRules() {
    m_checkOptimize->setEnabled(m_optionClut->isChecked());
    m_option16bits->setEnabled(m_optionTc->isChecked());
    m_option15bits->setEnabled(m_optionTc->isChecked());
}

FrmOptions* FormMain::optionsDialog() {
    if (!m_options && !m_unloading) {
        m_options = new FrmOptions(*this, this);
        // Loaded only once reachable: loading refreshes the command, which reads the dialog.
        m_options->load();
    }
    return m_options;
}

void FormMain::showOptions() {
    FrmOptions* options = optionsDialog();
    if (!options)
        return;
    options->show();
    options->raise();
    options->activateWindow();
}

bool FormMain::isCrySelected() const {
    return m_optionCry->isChecked();
}

bool FormMain::isColourMapSelected() const {
    return m_optionClut->isChecked();
}

void FormMain::Should_Unload_Cancel(bool& cancel) const {
    cancel = !m_unloading;
}

void FormMain::Command3_Click() {
    launchConverter(
        this, m_services, [this] { return recompose(); }, m_file1->path(), *m_listRuns,
        selectedFileNames().size());
}

void FormMain::closeEvent(QCloseEvent* event) {
    m_unloading = true;
    if (m_options) {
        m_options->close();
        m_options->deleteLater();
    }
    event->accept();
    // Other top-level windows (About, Help) must not keep the program alive.
    if (m_services.endProgram)
        m_services.endProgram();
}

} // namespace glyphmill
