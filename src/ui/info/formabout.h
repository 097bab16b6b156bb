#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace glyphmill {

class Prompt;
class SystemInformation;

// The About box: the program's name and version, the converter version it was made for, and
// a button that starts the system's information tool.
class FormAbout : public QDialog {
    Q_OBJECT
public:
    // Either service may be missing; then the information button reports the tool as unavailable
    // (or, without a prompt, does nothing).
    FormAbout(Prompt* prompt, SystemInformation* systemInformation, QWidget* parent = nullptr);

    void cmdSysInfo_Click();

private:
    void buildLayout();

    Prompt* m_prompt;
    SystemInformation* m_systemInformation;

    QLabel* m_picIcon = nullptr;
    QLabel* m_lblTitle = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_label3 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_lblDescription = nullptr;
    QLabel* m_label1 = nullptr;
    QFrame* m_lineShadow = nullptr;
    QFrame* m_lineLight = nullptr;
    QLabel* m_lblDisclaimer = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdSysInfo = nullptr;
};

} // namespace glyphmill
