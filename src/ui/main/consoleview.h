#pragma once

#include "backgroundrunner.h"
#include "consoleresult.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QScrollArea;
class QTemporaryDir;

namespace glyphmill {

class ConsolePicture;

// One run of the converter for the view: what to start, and where.
struct ConsoleJob {
    QString program;
    QStringList arguments;
    QString workingFolder;
};

// The previewed picture as the console shows it, made by the converter in the background.
// Every change of the options asks for a run; a burst of them makes one, a run that a newer
// change overtook is stopped and its result never shown, and decoding the result happens off
// the window's thread, so the window never waits for any of it.
class ConsoleView : public QWidget {
    Q_OBJECT
public:
    // The job for the current choices with its outputs in `outputFolder`; nothing when no
    // picture is previewed.
    using JobMaker = std::function<std::optional<ConsoleJob>(const QString& outputFolder)>;

    explicit ConsoleView(QWidget* parent = nullptr);
    ~ConsoleView() override;

    // Both must be set before the view is switched on; the runner must outlive the view.
    void setRunner(BackgroundRunner* runner, JobMaker makeJob);
    // The labels that tell that a run goes on, and what the shown picture costs.
    void setInfoLabels(QLabel* busy, QLabel* cost);

    // On: follows the options, running the converter as they change. Off: stops what runs.
    void setActive(bool active);
    bool isActive() const { return m_active; }
    // The options or the previewed picture may have changed: a run follows soon if needed.
    void optionsChanged();
    // Another picture was picked (or the same one again): it is converted anew even if the
    // options are unchanged, since the file may have changed.
    void pictureChanged();
    void setZoom(int zoom);
    bool isBusy() const { return m_running != 0 || m_decoding; }

    // What is shown: the console's picture (null while a message stands in its place).
    const QImage& shownPicture() const;
    QString message() const;

signals:
    // A run's result (picture or message) has been put in place.
    void resultShown();
    // Local files dropped from the shell, as on the preview the view stands in for.
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void launch();
    void stopRun();
    void runEnded(quint64 generation, const QString& folder, const BackgroundEnd& end);
    void decode(quint64 generation, const QString& folder);
    void takeResult(quint64 generation, const ConsoleResult& result);
    void showMessage(const QString& text);
    void updateBusy();
    QString keyOf(const ConsoleJob& job) const;
    QString freshFolder();

    BackgroundRunner* m_runner = nullptr;
    JobMaker m_makeJob;
    // The window's labels, which may go before this view does.
    QPointer<QLabel> m_busyLabel;
    QPointer<QLabel> m_costLabel;
    QScrollArea* m_scroll = nullptr;
    ConsolePicture* m_picture = nullptr;
    QLabel* m_message = nullptr;
    QTimer m_soon;
    std::unique_ptr<QTemporaryDir> m_outputs;
    int m_runsMade = 0;

    bool m_active = false;
    // Bumped by every run started and every stop: a result of another generation is stale.
    std::shared_ptr<std::atomic<quint64>> m_generation;
    quint64 m_running = 0; // the runner's ticket, 0 when nothing runs
    bool m_decoding = false;
    bool m_showsMessage = false;
    QString m_runningKey;
    QString m_shownKey;
};

} // namespace glyphmill
