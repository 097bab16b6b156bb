#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace glyphmill {

// Shows what the converter does and what its common options mean.
class FormHelp : public QDialog {
    Q_OBJECT
public:
    explicit FormHelp(QWidget* parent = nullptr);

    // The help text as shipped with the program.
    static QString helpText();

private:
    QPlainTextEdit* m_text1 = nullptr;
    QPushButton* m_commandButtonClose = nullptr;
};

} // namespace glyphmill
