#pragma once

#include <QString>

#include <memory>

class QDialog;
class QWidget;

namespace glyphmill {

// Every message box of the program goes through this, so tests can read and answer them
// without a modal loop.
class Prompt {
public:
    enum class Icon { None, Critical, Warning, Information };
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel };

    struct Message {
        QString title;
        QString text;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
    };

    virtual ~Prompt() = default;
    virtual Answer ask(QWidget* parent, const Message& message) = 0;
};

// The real thing: a modal message box.
class MessageBoxPrompt final : public Prompt {
public:
    Answer ask(QWidget* parent, const Message& message) override;

    // The box that `ask` shows, built apart from its modal loop so that it can be looked at.
    static std::unique_ptr<QDialog> makeBox(QWidget* parent, const Message& message);
};

} // namespace glyphmill
