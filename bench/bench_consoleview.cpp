// How soon the console view follows an option click, and whether the window stays responsive
// meanwhile: the main window offscreen with the view switched on, the previewed picture
// generated at 320 x 240 and at 6000 x 4000, OptionCRY and OptionRGB clicked in turn. For each
// click it prints the time until the view has drawn the new picture and the longest gap between
// two ticks of a 1 ms timer while it ran (the longest the event loop was kept from the user).
// Usage: bench_consoleview [FOLDER OF rastix] (default: the one it was built with).
#include "benchpictures.h"
#include "main/consoleview.h"
#include "main/dirlist.h"
#include "main/formmain.h"
#include "main/systemservices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Notes when the console's picture was last painted.
class PaintWatch : public QObject {
public:
    QElapsedTimer clock;
    qint64 lastPaint = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            lastPaint = clock.nsecsElapsed();
        return false;
    }
};

// The longest gap between ticks of a 1 ms timer since `reset`.
class StallWatch : public QObject {
public:
    StallWatch() {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(1);
        connect(&m_tick, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            longest = std::max(longest, now - m_last);
            m_last = now;
        });
    }
    void reset() {
        m_clock.start();
        m_last = 0;
        longest = 0;
        m_tick.start();
    }
    void stop() { m_tick.stop(); }
    qint64 longest = 0;

private:
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
};

struct Sample {
    double drawnMs;
    double stallMs;
    bool busyShown;
};

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void measure(const QString& rastixFolder, const QString& folder, const QString& name, int clicks) {
    glyphmill::SystemServices system(rastixFolder);
    glyphmill::FormMain window(system.mainWindowServices());
    window.show();
    window.findChild<glyphmill::DirList*>(QStringLiteral("Dir1"))->setPath(folder);
    window.Show_preview(name, folder);
    auto* view = window.findChild<glyphmill::ConsoleView*>(QStringLiteral("ConsoleView"));
    auto* picture = window.findChild<QWidget*>(QStringLiteral("PictureConsole"));
    auto* busy = window.findChild<QLabel*>(QStringLiteral("LabelConsoleBusy"));
    int shown = 0;
    QObject::connect(view, &glyphmill::ConsoleView::resultShown, [&shown] { ++shown; });
    PaintWatch paints;
    paints.clock.start();
    picture->installEventFilter(&paints);

    window.findChild<QCheckBox*>(QStringLiteral("CheckConsole"))->click();
    if (!waitFor([&] { return shown == 1; }, 600000)) {
        std::printf("%s: the first view never came\n", qPrintable(name));
        return;
    }
    if (!view->message().isEmpty()) {
        std::printf("%s: %s\n", qPrintable(name), qPrintable(view->message()));
        return;
    }
    std::vector<Sample> samples;
    StallWatch stalls;
    for (int i = 0; i < clicks; ++i) {
        const char* option = i % 2 == 0 ? "OptionCRY" : "OptionRGB";
        auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(option));
        bool busyShown = false;
        const int before = shown;
        stalls.reset();
        QElapsedTimer clock;
        qint64 clicked = 0;
        // Clicked from inside the event loop, so that the click's own work counts as a stall.
        QTimer::singleShot(5, button, [&] {
            clock.start();
            clicked = paints.clock.nsecsElapsed();
            QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                              QPoint(4, button->height() / 2));
        });
        const bool done = waitFor(
            [&] {
                busyShown = busyShown || busy->isVisible();
                return shown > before && paints.lastPaint > clicked && clicked > 0;
            },
            600000);
        stalls.stop();
        if (!done) {
            std::printf("%s: no view after click %d\n", qPrintable(name), i + 1);
            return;
        }
        samples.push_back({(paints.lastPaint - clicked) / 1e6, stalls.longest / 1e6, busyShown});
    }
    std::printf("%s (%dx%d)\n", qPrintable(name), view->shownPicture().width(),
                view->shownPicture().height());
    for (std::size_t i = 0; i < samples.size(); ++i)
        std::printf("  click %zu: drawn after %8.1f ms, longest stall %6.1f ms, busy sign %s\n",
                    i + 1, samples[i].drawnMs, samples[i].stallMs,
                    samples[i].busyShown ? "shown" : "not shown");
    std::vector<double> drawn;
    double stall = 0;
    for (const Sample& s : samples) {
        drawn.push_back(s.drawnMs);
        stall = std::max(stall, s.stallMs);
    }
    std::sort(drawn.begin(), drawn.end());
    std::printf("  median drawn %.1f ms, slowest %.1f ms, longest stall of all %.1f ms\n",
                drawn[drawn.size() / 2], drawn.back(), stall);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString rastixFolder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(GLYPHMILL_RASTIX_FOLDER);
    QTemporaryDir pictures;
    const QString folder = QDir::toNativeSeparators(pictures.path());
    const QString small = QStringLiteral("small.png");
    const QString big = QStringLiteral("big.jpg");
    if (!writeBenchPicture(QDir(folder).filePath(small), 320, 240) ||
        !writeBenchPicture(QDir(folder).filePath(big), 6000, 4000)) {
        std::printf("cannot write the pictures into %s\n", qPrintable(folder));
        return 1;
    }
    measure(rastixFolder, folder, small, 10);
    measure(rastixFolder, folder, big, 4);
    return 0;
}
