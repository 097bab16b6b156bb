#pragma once

#include <QString>
#include <QStringList>

namespace glyphmill {

// Starts a program in its own normal window and does not wait for it; tests hand in a fake.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // False when the program could not be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments = {}) = 0;
};

class DetachedProcessStarter final : public ProgramStarter {
public:
    bool startDetached(const QString& program, const QStringList& arguments = {}) override;
};

} // namespace glyphmill
