#include "emulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace console {

namespace {

// Settings that make every console pixel an exact 2 x 2 block at a fixed place: zoom 2, no
// smoothing, NTSC, no boot ROM, window at the origin. Audio and the DSP are not needed.
const char kSettings[] = "[General]\n"
                         "zoom=2\n"
                         "useJaguarBIOS=false\n"
                         "hardwareTypeNTSC=true\n"
                         "GPUEnabled=true\n"
                         "DSPEnabled=false\n"
                         "audioEnabled=false\n"
                         "glFilterType=0\n"
                         "renderType=0\n"
                         "frameSkip=0\n"
                         "fullscreen=false\n"
                         "useOpenGL=true\n"
                         "pos=@Point(0 0)\n";

void stop(QProcess& p) {
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
}

// Xvfb on the first free display; it reports the number it took through a pipe (-displayfd).
// -noreset keeps the server usable after the emulator disconnects.
class VirtualDisplay {
public:
    ~VirtualDisplay() { stop(m_server); }

    bool start(QString& error) {
        int fds[2];
        if (pipe(fds) != 0) {
            error = QStringLiteral("pipe failed");
            return false;
        }
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.setStandardOutputFile(QProcess::nullDevice());
        m_server.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QString::number(fds[1]),
                        QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("800x600x24")});
        close(fds[1]);
        QByteArray number;
        pollfd pfd{fds[0], POLLIN, 0};
        while (!number.endsWith('\n') && poll(&pfd, 1, 10000) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1)
                break;
            number += c;
        }
        close(fds[0]);
        if (!number.endsWith('\n')) {
            error = QStringLiteral("Xvfb did not start");
            return false;
        }
        m_name = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
        return true;
    }

    QString name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};

QByteArray runTool(const QString& program, const QStringList& args,
                   const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(10000)) {
        stop(p);
        return {};
    }
    return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

// The emulator's video area is the only child window of exactly the zoomed frame's size.
QString findVideoWindow(const QProcessEnvironment& env) {
    const QString tree = QString::fromLocal8Bit(runTool(
        QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}, env));
    static const QRegularExpression line(
        QStringLiteral("^\\s*(0x[0-9a-f]+) .* %1x%2\\+").arg(kWindowWidth).arg(kWindowHeight),
        QRegularExpression::MultilineOption);
    const auto m = line.match(tree);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

QString missingTool(const QStringList& programs) {
    for (const QString& p : programs)
        if (QStandardPaths::findExecutable(p).isEmpty())
            return p;
    return {};
}

RunResult runCartridge(const QString& cartridge, const QString& scratchDir,
                       const CaptureCheck& check, double timeoutSeconds) {
    RunResult result;
    QElapsedTimer clock;
    clock.start();
    const QString home = scratchDir + QStringLiteral("/home");
    const QString runtime = home + QStringLiteral("/runtime");
    QDir().mkpath(home + QStringLiteral("/.config/Underground Software"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile conf(home + QStringLiteral("/.config/Underground Software/Virtual Jaguar.conf"));
    if (!conf.open(QIODevice::WriteOnly) || conf.write(kSettings) < 0) {
        result.message = QStringLiteral("cannot write the emulator's settings");
        return result;
    }
    conf.close();

    VirtualDisplay display;
    if (!display.start(result.message))
        return result;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display.name());
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    // The tests themselves run with Qt's offscreen platform; the emulator needs the display.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

    QProcess emulator;
    emulator.setProcessEnvironment(env);
    emulator.setWorkingDirectory(scratchDir);
    emulator.setStandardOutputFile(scratchDir + QStringLiteral("/emulator.log"));
    emulator.setStandardErrorFile(scratchDir + QStringLiteral("/emulator.log"), QIODevice::Append);
    emulator.start(QStringLiteral("virtualjaguar"),
                   {QStringLiteral("--no-bios"), QStringLiteral("--no-blur"), QStringLiteral("-z"),
                    cartridge});
    if (!emulator.waitForStarted(10000)) {
        result.message = QStringLiteral("virtualjaguar does not start");
        return result;
    }

    QString window;
    QImage previous;
    int unchanged = 0;
    while (clock.elapsed() < timeoutSeconds * 1000) {
        // No event loop runs here: waiting for no time is what notices an exit.
        if (emulator.waitForFinished(0) || emulator.state() == QProcess::NotRunning) {
            QFile log(scratchDir + QStringLiteral("/emulator.log"));
            log.open(QIODevice::ReadOnly);
            result.message = QStringLiteral("virtualjaguar stopped (exit %1): %2")
                                 .arg(emulator.exitCode())
                                 .arg(QString::fromLocal8Bit(log.readAll().right(400)).trimmed());
            return result;
        }
        if (window.isEmpty()) {
            window = findVideoWindow(env);
            if (window.isEmpty()) {
                QThread::msleep(100);
                continue;
            }
        }
        result.started = true;
        const QByteArray png =
            runTool(QStringLiteral("import"),
                    {QStringLiteral("-window"), window, QStringLiteral("png:-")}, env);
        QImage shot = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
        if (shot.size() != QSize(kWindowWidth, kWindowHeight))
            continue;
        ++result.captures;
        result.window = shot;
        if (check(shot))
            break;
        // Before its first frame the window is black; no scene has a black border.
        const bool black = shot.pixel(0, 0) == qRgb(0, 0, 0);
        unchanged = !black && shot == previous ? unchanged + 1 : 0;
        if (unchanged >= 2)
            break;
        previous = shot;
    }
    if (!result.started)
        result.message = QStringLiteral("the emulator's video window never appeared");
    stop(emulator);
    result.seconds = clock.elapsed() / 1000.0;
    return result;
}

} // namespace console
