#pragma once

#include "../fakes.h"
#include "prompt.h"

#include <QList>
#include <QPointer>
#include <QWidget>

namespace glyphmill::testing {

// Records every message box instead of showing it, with the window it was asked for, and
// answers OK.
class RecordingPrompt final : public Prompt {
public:
    struct Asked {
        QPointer<QWidget> parent;
        Message message;
    };
    QList<Asked> asked;

    Answer ask(QWidget* parent, const Message& message) override {
        asked.append({parent, message});
        return Answer::Ok;
    }
};

} // namespace glyphmill::testing
