#pragma once

#include "runoutcome.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>

class QProcess;

namespace glyphmill {

// How a run that this program waits for came to its end.
struct BackgroundEnd {
    // False when the program could not be started at all; `errors` then says why.
    bool started = false;
    ProcessEnd end;
    // What the program wrote on its output and error streams, in the order it wrote it.
    QByteArray errors;
};

// Runs a program in the background while this one goes on, and tells when it has ended.
// Tests hand in a fake.
class BackgroundRunner {
public:
    using Done = std::function<void(const BackgroundEnd&)>;
    virtual ~BackgroundRunner() = default;
    // Starts `program` with exactly these arguments in `workingDirectory`, without a window,
    // and returns a ticket for it. `done` is called once, later, from the event loop (never
    // from inside this call), also for a run that was stopped or failed to start.
    virtual quint64 start(const QString& program, const QStringList& arguments,
                          const QString& workingDirectory, Done done) = 0;
    // Ends the run now if it still goes on; its `done` still comes, telling a crash.
    virtual void stop(quint64 ticket) = 0;
};

class ProcessBackgroundRunner final : public QObject, public BackgroundRunner {
public:
    ProcessBackgroundRunner() = default;
    ~ProcessBackgroundRunner() override;

    quint64 start(const QString& program, const QStringList& arguments,
                  const QString& workingDirectory, Done done) override;
    void stop(quint64 ticket) override;

private:
    void forget(quint64 ticket);

    quint64 m_next = 1;
    std::map<quint64, QProcess*> m_running;
};

} // namespace glyphmill
