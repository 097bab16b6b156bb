#pragma once

#include "processlauncher.h"

#include <QTime>
#include <QTimer>
#include <QTreeWidget>

#include <optional>
#include <vector>

namespace glyphmill {

// The converter runs started from the main window, newest first: a line each that names the
// run and tells how it went, with the converter's own lines beneath it on request. A run goes
// on by itself; its end is asked for now and then, and its report read from the files its
// streams went to.
class RunList : public QTreeWidget {
    Q_OBJECT
public:
    explicit RunList(QWidget* parent = nullptr);
    ~RunList() override;

    // Must be set before the first run; the launcher must outlive this list.
    void setLauncher(ProcessLauncher* launcher) { m_launcher = launcher; }
    // Fresh files for a run's streams in the temporary folder; nothing when none can be made
    // (the run is then followed all the same, and its report said to be unreadable).
    static std::optional<OutputFiles> makeOutputFiles();
    // Follows the run `pid`, given `pictures` picture names, whose streams go to `files`.
    void follow(qint64 pid, const OutputFiles& files, std::size_t pictures);
    // Removes the files of a run that never started.
    static void discard(const OutputFiles& files);

private:
    struct Run {
        qint64 pid;
        OutputFiles files;
        std::size_t pictures;
        QString name;
        QTreeWidgetItem* item;
    };

    void checkRuns();
    void report(const Run& run, const ProcessEnd& end);

    ProcessLauncher* m_launcher = nullptr;
    std::vector<Run> m_running;
    QTimer m_check;
};

} // namespace glyphmill
