#pragma once

#include "prompt.h"
#include "systeminformation.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <stdexcept>

namespace glyphmill::testing {

// Records every message box instead of showing it, and answers OK.
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

class FakeSystemInformation final : public SystemInformation {
public:
    enum class Outcome { Started, Unavailable, Throws };
    Outcome outcome = Outcome::Started;
    int calls = 0;

    bool StartSysInfo() override {
        ++calls;
        if (outcome == Outcome::Throws)
            throw std::runtime_error("registry exploded");
        return outcome == Outcome::Started;
    }
};

} // namespace glyphmill::testing
