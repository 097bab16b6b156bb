#pragma once

#include <QImage>
#include <QString>

#include <functional>

// Runs the Debian virtualjaguar package on a private Xvfb display with pinned settings and
// captures its video window: the console's 326 x 240 frame drawn as 2 x 2 blocks.
namespace console {

constexpr int kWindowWidth = 652;
constexpr int kWindowHeight = 480;

// Programs the console tests need; the first one missing, or an empty string.
QString missingTool(const QStringList& programs);

// What a capture is judged by: true ends the run early.
using CaptureCheck = std::function<bool(const QImage& window)>;

struct RunResult {
    bool started = false; // false: the emulator cannot run here at all (see message)
    QString message;
    QImage window; // the last capture judged
    int captures = 0;
    double seconds = 0;
};

// Shows the cartridge and captures until check accepts a capture, or until the picture has
// stayed the same for three captures in a row (it will not change any more), or until
// timeoutSeconds pass. The first frames can be black, so they are judged too but never end
// the run on their own.
RunResult runCartridge(const QString& cartridge, const QString& scratchDir,
                       const CaptureCheck& check, double timeoutSeconds = 15);

} // namespace console
