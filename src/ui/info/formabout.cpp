#include "formabout.h"

#include "prompt.h"
#include "systeminformation.h"
#include "twips.h"
#include "uiresources.h"
#include "versiontext.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include <exception>

namespace glyphmill {

namespace {

constexpr auto t = twipsRect;

// One half of the etched separator: a flat line one pixel high in the given colour.
QFrame* placeLine(QWidget* container, QRect twips, const QColor& colour) {
    auto* line = place<QFrame>(container, "Line1", twips);
    line->setFrameShape(QFrame::NoFrame);
    line->setFixedHeight(1);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    return line;
}

QLabel* wrapped(QLabel* label) {
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

FormAbout::FormAbout(Prompt* prompt, SystemInformation* systemInformation, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
    , m_prompt(prompt)
    , m_systemInformation(systemInformation) {
    initUiResources();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About Glyphmill"));
    setFixedSize(twipsToPixels(5730), twipsToPixels(3555));
    setModal(false);
    // Closing the dialog ends this instance; the next request builds a fresh one.
    setAttribute(Qt::WA_DeleteOnClose);
    // The program ends with its main window, whatever else is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    buildLayout();

    connect(m_cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
}

void FormAbout::buildLayout() {
    m_picIcon = place<QLabel>(this, "picIcon", t(240, 240, 540, 540));
    m_picIcon->setAlignment(Qt::AlignCenter);
    m_picIcon->setPixmap(QIcon(QStringLiteral(":/icons/glyphmill.png")).pixmap(32, 32));

    m_lblTitle =
        place<QLabel>(this, "lblTitle", t(1080, 240, 4425, 330), tr("Glyphmill by the Loomers"));
    QFont titleFont = m_lblTitle->font();
    titleFont.setPixelSize(14);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);

    m_label4 = place<QLabel>(this, "Label4", t(1080, 600, 855, 255), tr("GUI Version "));
    m_lblVersion = place<QLabel>(this, "lblVersion", t(1980, 600, 555, 225),
                                 QString::fromStdString(programVersionText()));
    m_label3 = place<QLabel>(this, "Label3", t(2640, 600, 2535, 255),
                             tr("(designed for binary version 0.1.5)"));
    m_label2 = wrapped(place<QLabel>(this, "Label2", t(1080, 960, 3855, 615),
                                     tr("This tool is aimed at helping Jaguar developers to "
                                        "convert images from standard formats to Jaguar "
                                        "specific formats")));
    m_lblDescription =
        wrapped(place<QLabel>(this, "lblDescription", t(1080, 1620, 3855, 375),
                              tr("The rastix converter is written and maintained by the "
                                 "Glyphmill developers.")));
    m_label1 = place<QLabel>(this, "Label1", t(1080, 2040, 3855, 255),
                             tr("Graphical interface by the Glyphmill developers."));

    m_lineShadow = placeLine(this, t(90, 2445, 5654 - 90, 15), QColor(0x80, 0x80, 0x80));
    m_lineLight = placeLine(this, t(105, 2460, 5654 - 105, 15), Qt::white);

    m_lblDisclaimer =
        wrapped(place<QLabel>(this, "lblDisclaimer", t(255, 2625, 3870, 825),
                              tr("Glyphmill is free software under the MIT License; the terms "
                                 "are in the LICENSE file that comes with it. It is provided "
                                 "as is, without warranty of any kind.")));

    m_cmdOk = place<QPushButton>(this, "cmdOK", t(4245, 2625, 1260, 345), tr("OK"));
    m_cmdOk->setDefault(true);
    m_cmdOk->setAutoDefault(true);
    m_cmdSysInfo = place<QPushButton>(this, "cmdSysInfo", t(4260, 3075, 1245, 345),
                                      QStringLiteral("&Infos syst\u00E8me..."));
    m_cmdSysInfo->setAutoDefault(false);
    QWidget::setTabOrder(m_cmdOk, m_cmdSysInfo);
}

void FormAbout::cmdSysInfo_Click() {
    bool started = false;
    try {
        started = m_systemInformation && m_systemInformation->StartSysInfo();
    } catch (const std::exception&) {
        // Whatever went wrong on the way, the user hears only that the tool is unavailable.
        started = false;
    }
    if (started || !m_prompt)
        return;
    Prompt::Message message;
    message.title = QStringLiteral("Glyphmill");
    message.text =
        QStringLiteral("Les informations syst\u00E8me ne sont pas disponibles actuellement");
    message.buttons = Prompt::Buttons::Ok;
    m_prompt->ask(this, message);
}

} // namespace glyphmill
