#include "formhelp.h"

#include "twips.h"
#include "uiresources.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

namespace glyphmill {

FormHelp::FormHelp(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    initUiResources();
    setObjectName(QStringLiteral("FormHelp"));
    setWindowTitle(tr("Glyphmill information"));
    setFixedSize(twipsToPixels(6150), twipsToPixels(3840));
    setModal(false);
    // Closing ends this instance; the program ends with its main window, not with this one.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);

    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setGeometry(twipsToPixels(0, 0, 6015, 3255));
    // Wrapped to the window, so that no line is cut at the right and nothing needs a sideways
    // scroll: the window has a fixed size and the text is read from top to bottom.
    m_text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Read-only: the text can be selected and copied, but nothing typed lands in it.
    m_text1->setReadOnly(true);
    m_text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text1->setTabChangesFocus(true);
    m_text1->setPlainText(helpText());

    m_commandButtonClose = new QPushButton(tr("&Close"), this);
    m_commandButtonClose->setObjectName(QStringLiteral("CommandButtonClose"));
    m_commandButtonClose->setGeometry(twipsToPixels(2528, 3360, 1095, 375));
    m_commandButtonClose->setAutoDefault(false);
    connect(m_commandButtonClose, &QPushButton::clicked, this, &QWidget::close);

    QWidget::setTabOrder(m_text1, m_commandButtonClose);
}

QString FormHelp::helpText() {
    initUiResources();
    QFile file(QStringLiteral(":/text/help.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return tr("The help text is missing from this build of Glyphmill.");
    return QString::fromUtf8(file.readAll());
}

} // namespace glyphmill
