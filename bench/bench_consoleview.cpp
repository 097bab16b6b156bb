// How soon the console view follows an option click, and whether the window stays responsive
// meanwhile: the main window offscreen with the view switched on, the previewed picture
// generated at 320 x 240 and at 6000 x 4000, OptionCRY and OptionRGB clicked in turn. For each
// click it prints the time until the view has drawn the new picture and the longest gap between
// two ticks of a 1 ms timer while it ran (the longest the event loop was kept from the user),
// with the processor time the window's thread spent in that gap: near the gap, the window's own
// work held the loop; near nothing, the thread was waiting for a core.
// Last, the baseline: the same converter runs started alone, the window idle, so that the gaps
// the machine makes by itself while a converter runs beside the window can be told apart.
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
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>
#include <utility>
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

// Processor time used by the calling thread, in nanoseconds; -1 where it cannot be read.
qint64 threadCpuNs() {
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) == 0)
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
#endif
    return -1;
}

qint64 monotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A thread of its own that wakes every millisecond and notes each time it woke late. Its gaps
// are the machine's: a gap of the event loop that this thread had too was no fault of the
// window's (on a virtual machine all its cores stand still at times, timers included).
class MachineWatch {
public:
    MachineWatch()
        : m_thread([this] {
            qint64 last = monotonicNs();
            while (!m_stop) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                const qint64 now = monotonicNs();
                if (now - last > 3000000) {
                    const std::lock_guard<std::mutex> lock(m_mutex);
                    m_gaps.emplace_back(last, now);
                }
                last = now;
            }
        }) {}
    ~MachineWatch() {
        m_stop = true;
        m_thread.join();
    }
    // How much of [from, to] this thread, too, was kept from running.
    qint64 stillWithin(qint64 from, qint64 to) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        qint64 still = 0;
        for (const auto& [gapFrom, gapTo] : m_gaps)
            still += std::max<qint64>(0, std::min(to, gapTo) - std::max(from, gapFrom));
        return still;
    }

private:
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::pair<qint64, qint64>> m_gaps;
    std::thread m_thread;
};

// The longest gap between ticks of a 1 ms timer since `reset`, the window thread's processor
// time within it, and how much of it the whole machine stood still.
class StallWatch : public QObject {
public:
    explicit StallWatch(MachineWatch& machine)
        : m_machine(machine) {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(1);
        connect(&m_tick, &QTimer::timeout, this, [this] {
            const qint64 now = monotonicNs();
            const qint64 cpu = threadCpuNs();
            if (now - m_last > longest) {
                longest = now - m_last;
                m_longestFrom = m_last;
                longestEnd = now - m_reset;
                longestCpu = cpu < 0 ? -1 : cpu - m_lastCpu;
            }
            m_last = now;
            m_lastCpu = cpu;
        });
    }
    void reset() {
        m_reset = m_last = monotonicNs();
        m_lastCpu = threadCpuNs();
        longest = 0;
        longestCpu = 0;
        m_tick.start();
    }
    void stop() { m_tick.stop(); }
    qint64 sinceReset() const { return monotonicNs() - m_reset; }
    // How much of the longest gap the machine stood still.
    qint64 longestStill() const {
        return m_machine.stillWithin(m_longestFrom, m_longestFrom + longest);
    }
    qint64 longest = 0;
    qint64 longestEnd = 0; // since `reset`
    qint64 longestCpu = 0;

private:
    MachineWatch& m_machine;
    QTimer m_tick;
    qint64 m_reset = 0;
    qint64 m_last = 0;
    qint64 m_longestFrom = 0;
    qint64 m_lastCpu = 0;
};

struct Sample {
    double drawnMs;
    double stallMs;
    double stallCpuMs;
    double stallEndMs;   // after the click
    double stallStillMs; // of it, the machine stood still
    bool busyShown;
};

// The real runner, noting the last run it was asked for so that it can be made again alone.
class RecordingRunner final : public glyphmill::BackgroundRunner {
public:
    explicit RecordingRunner(glyphmill::BackgroundRunner* real)
        : m_real(real) {}
    quint64 start(const QString& program, const QStringList& arguments,
                  const QString& workingDirectory, Done done) override {
        lastProgram = program;
        lastArguments = arguments;
        lastFolder = workingDirectory;
        return m_real->start(program, arguments, workingDirectory, std::move(done));
    }
    void stop(quint64 ticket) override { m_real->stop(ticket); }

    QString lastProgram;
    QStringList lastArguments;
    QString lastFolder;

private:
    glyphmill::BackgroundRunner* m_real;
};

// Runs the event loop until `done`, sleeping between events as a real window's loop does: a
// loop that spun here would take a core from the converter and fill every gap with its own work.
bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QTimer wake; // so that the loop looks at `done` and the clock now and then in any case
    wake.start(10);
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The view's last run made again `runs` times with the window idle, each into a fresh folder
// (its own is emptied once read): the longest gap of the event loop meanwhile.
void baseline(MachineWatch& machine, RecordingRunner& runner, int runs) {
    glyphmill::ProcessBackgroundRunner alone;
    StallWatch stalls(machine);
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir outputs;
        const QString old = runner.lastArguments.at(
            runner.lastArguments.indexOf(QStringLiteral("--target-dir")) + 1);
        QStringList arguments = runner.lastArguments;
        for (QString& argument : arguments)
            argument.replace(old, QDir::toNativeSeparators(outputs.path()));
        bool ended = false;
        QElapsedTimer clock;
        stalls.reset();
        clock.start();
        alone.start(runner.lastProgram, arguments, runner.lastFolder,
                    [&ended](const glyphmill::BackgroundEnd&) { ended = true; });
        waitFor([&] { return ended; }, 600000);
        stalls.stop();
        std::printf("  baseline %d: converter alone %8.1f ms, longest stall %6.1f ms; of it window "
                    "thread busy %5.1f ms, machine still %5.1f ms\n",
                    i + 1, clock.nsecsElapsed() / 1e6, stalls.longest / 1e6,
                    stalls.longestCpu / 1e6, stalls.longestStill() / 1e6);
    }
}

void measure(MachineWatch& machine, const QString& rastixFolder, const QString& folder,
             const QString& name, int clicks) {
    glyphmill::SystemServices system(rastixFolder);
    glyphmill::MainWindowServices services = system.mainWindowServices();
    RecordingRunner runner(services.runner);
    services.runner = &runner;
    glyphmill::FormMain window(services);
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
    StallWatch stalls(machine);
    for (int i = 0; i < clicks; ++i) {
        const char* option = i % 2 == 0 ? "OptionCRY" : "OptionRGB";
        auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(option));
        bool busyShown = false;
        const int before = shown;
        stalls.reset();
        QElapsedTimer clock;
        qint64 clicked = 0;
        qint64 clickedOnStallClock = 0;
        // Clicked from inside the event loop, so that the click's own work counts as a stall.
        QTimer::singleShot(5, button, [&] {
            clock.start();
            clicked = paints.clock.nsecsElapsed();
            clickedOnStallClock = stalls.sinceReset();
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
        samples.push_back({(paints.lastPaint - clicked) / 1e6, stalls.longest / 1e6,
                           stalls.longestCpu / 1e6, (stalls.longestEnd - clickedOnStallClock) / 1e6,
                           stalls.longestStill() / 1e6, busyShown});
    }
    std::printf("%s (%dx%d)\n", qPrintable(name), view->shownPicture().width(),
                view->shownPicture().height());
    for (std::size_t i = 0; i < samples.size(); ++i)
        std::printf("  click %zu: drawn after %7.1f ms; longest stall %6.1f ms, ending %7.1f ms "
                    "after the click; of it window thread busy %5.1f ms, machine still %5.1f "
                    "ms; busy sign %s\n",
                    i + 1, samples[i].drawnMs, samples[i].stallMs, samples[i].stallEndMs,
                    samples[i].stallCpuMs, samples[i].stallStillMs,
                    samples[i].busyShown ? "shown" : "not shown");
    std::vector<double> drawn;
    double stall = 0;
    double windowStall = 0; // less what the machine stood still
    for (const Sample& sample : samples) {
        drawn.push_back(sample.drawnMs);
        stall = std::max(stall, sample.stallMs);
        windowStall = std::max(windowStall, sample.stallMs - sample.stallStillMs);
    }
    std::sort(drawn.begin(), drawn.end());
    std::printf("  median drawn %.1f ms, slowest %.1f ms; longest stall of all %.1f ms, %.1f ms "
                "less the machine's standing still\n",
                drawn[drawn.size() / 2], drawn.back(), stall, windowStall);
    baseline(machine, runner, 3);
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
    MachineWatch machine;
    measure(machine, rastixFolder, folder, small, 10);
    measure(machine, rastixFolder, folder, big, 4);
    return 0;
}
