#include "prompt.h"

#include <QMessageBox>

namespace glyphmill {

namespace {

QMessageBox::Icon toQt(Prompt::Icon icon) {
    switch (icon) {
    case Prompt::Icon::Critical:
        return QMessageBox::Critical;
    case Prompt::Icon::Warning:
        return QMessageBox::Warning;
    case Prompt::Icon::Information:
        return QMessageBox::Information;
    case Prompt::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

std::unique_ptr<QDialog> MessageBoxPrompt::makeBox(QWidget* parent, const Message& message) {
    auto box = std::make_unique<QMessageBox>(toQt(message.icon), message.title, message.text,
                                             QMessageBox::Ok, parent);
    if (message.buttons == Buttons::OkCancel) {
        box->addButton(QMessageBox::Cancel);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Cancel);
    }
    box->setTextFormat(Qt::PlainText);
    return box;
}

Prompt::Answer MessageBoxPrompt::ask(QWidget* parent, const Message& message) {
    const std::unique_ptr<QDialog> box = makeBox(parent, message);
    return box->exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

} // namespace glyphmill
