#include "consoleview.h"

#include "consolepicture.h"
#include "shelldrop.h"

#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>

namespace glyphmill {

namespace {

// Stands for the run's folder in what tells two runs apart: each run has a folder of its own.
const QString kFolderMark = QStringLiteral("\x01outputs\x01");

} // namespace

ConsoleView::ConsoleView(QWidget* parent)
    : QWidget(parent)
    , m_generation(std::make_shared<std::atomic<quint64>>(0)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ScrollConsole"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_picture = new ConsolePicture;
    m_picture->setObjectName(QStringLiteral("PictureConsole"));
    m_scroll->setWidget(m_picture);
    layout->addWidget(m_scroll);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("LabelConsoleMessage"));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setFrameShape(QFrame::StyledPanel);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_message);
    m_message->hide();
    // The view covers the preview while it is on: what is dropped there still arrives.
    setAcceptDrops(true);

    // Every change within one turn of the event loop makes a single run.
    m_soon.setSingleShot(true);
    m_soon.setInterval(0);
    connect(&m_soon, &QTimer::timeout, this, [this] { launch(); });
}

ConsoleView::~ConsoleView() {
    m_active = false;
    stopRun();
    ++*m_generation;
    // A worker posts its result to this view: it must be done before the view goes.
    const QList<QThread*> workers = findChildren<QThread*>(Qt::FindDirectChildrenOnly);
    for (QThread* worker : workers)
        worker->wait();
}

void ConsoleView::setRunner(BackgroundRunner* runner, JobMaker makeJob) {
    m_runner = runner;
    m_makeJob = std::move(makeJob);
}

void ConsoleView::setInfoLabels(QLabel* busy, QLabel* cost) {
    m_busyLabel = busy;
    m_costLabel = cost;
    updateBusy();
}

void ConsoleView::setActive(bool active) {
    if (active == m_active)
        return;
    m_active = active;
    if (active) {
        // The picture may have been rewritten while the view was off.
        pictureChanged();
        return;
    }
    m_soon.stop();
    stopRun();
}

void ConsoleView::optionsChanged() {
    if (m_active && m_runner && m_makeJob)
        m_soon.start();
}

void ConsoleView::pictureChanged() {
    m_shownKey.clear();
    optionsChanged();
}

void ConsoleView::setZoom(int zoom) {
    m_picture->setZoom(zoom);
}

const QImage& ConsoleView::shownPicture() const {
    static const QImage none;
    return m_showsMessage ? none : m_picture->picture();
}

QString ConsoleView::message() const {
    return m_showsMessage ? m_message->text() : QString();
}

QString ConsoleView::keyOf(const ConsoleJob& job) const {
    return job.program + QLatin1Char('\n') + job.arguments.join(QLatin1Char('\n')) +
           QLatin1Char('\n') + job.workingFolder;
}

QString ConsoleView::freshFolder() {
    if (!m_outputs || !m_outputs->isValid())
        m_outputs = std::make_unique<QTemporaryDir>(
            QDir::temp().filePath(QStringLiteral("glyphmill-console-XXXXXX")));
    if (!m_outputs->isValid())
        return {};
    const QString folder = m_outputs->filePath(QStringLiteral("run %1").arg(++m_runsMade));
    return QDir().mkpath(folder) ? QDir::toNativeSeparators(folder) : QString();
}

void ConsoleView::launch() {
    if (!m_active)
        return;
    const std::optional<ConsoleJob> probe = m_makeJob(kFolderMark);
    if (!probe) {
        stopRun();
        m_shownKey.clear();
        showMessage(tr("No picture is previewed."));
        if (m_costLabel)
            m_costLabel->clear();
        return;
    }
    const QString key = keyOf(*probe);
    if (m_running != 0 && key == m_runningKey)
        return;
    if (key == m_shownKey) {
        // What is shown is right again: whatever runs now would only replace it with itself.
        stopRun();
        return;
    }
    stopRun();
    const QString folder = freshFolder();
    if (folder.isEmpty()) {
        showMessage(tr("No private folder can be made for the converter's outputs."));
        return;
    }
    const std::optional<ConsoleJob> job = m_makeJob(folder);
    if (!job)
        return;
    const quint64 generation = ++*m_generation;
    m_runningKey = key;
    QPointer<ConsoleView> self(this);
    m_running = m_runner->start(job->program, job->arguments, job->workingFolder,
                                [self, generation, folder](const BackgroundEnd& end) {
                                    if (self)
                                        self->runEnded(generation, folder, end);
                                    else
                                        QDir(folder).removeRecursively();
                                });
    updateBusy();
}

void ConsoleView::stopRun() {
    if (m_running != 0 && m_runner)
        m_runner->stop(m_running);
    m_running = 0;
    m_runningKey.clear();
    m_decoding = false;
    ++*m_generation;
    updateBusy();
}

void ConsoleView::runEnded(quint64 generation, const QString& folder, const BackgroundEnd& end) {
    if (generation != *m_generation) {
        QDir(folder).removeRecursively();
        return;
    }
    m_running = 0;
    const QString key = m_runningKey;
    m_runningKey.clear();
    const bool succeeded =
        end.started && end.end.how == ProcessEnd::How::Exited && end.end.exitCode == 0;
    if (!succeeded) {
        QDir(folder).removeRecursively();
        // The same refused options are not run again until something changes.
        m_shownKey = key;
        showMessage(failureLine(end));
        if (m_costLabel)
            m_costLabel->clear();
        updateBusy();
        emit resultShown();
        return;
    }
    m_shownKey = key;
    decode(generation, folder);
}

void ConsoleView::decode(quint64 generation, const QString& folder) {
    m_decoding = true;
    updateBusy();
    const std::shared_ptr<std::atomic<quint64>> current = m_generation;
    QThread* worker = QThread::create([this, current, generation, folder] {
        // Overtaken before it began: not worth reading.
        if (*current == generation) {
            ConsoleResult result = readConsoleResult(folder);
            QMetaObject::invokeMethod(
                this, [this, generation, result] { takeResult(generation, result); },
                Qt::QueuedConnection);
        }
        QDir(folder).removeRecursively();
    });
    worker->setParent(this);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(QThread::LowPriority);
}

void ConsoleView::takeResult(quint64 generation, const ConsoleResult& result) {
    if (generation != *m_generation)
        return;
    m_decoding = false;
    updateBusy();
    if (!result.error.isEmpty()) {
        showMessage(tr("Nothing to show: %1.").arg(result.error));
        if (m_costLabel)
            m_costLabel->clear();
        emit resultShown();
        return;
    }
    m_picture->setPicture(result.picture);
    m_showsMessage = false;
    m_message->hide();
    m_scroll->show();
    if (m_costLabel)
        m_costLabel->setText(costText(result.cost));
    emit resultShown();
}

void ConsoleView::showMessage(const QString& text) {
    m_picture->setPicture({});
    m_showsMessage = true;
    m_message->setText(text);
    m_scroll->hide();
    m_message->show();
}

// The same feedback as the preview's: the move effect of those a shell drag offers.
void ConsoleView::dragEnterEvent(QDragEnterEvent* event) {
    acceptShellDrag(event, Qt::MoveAction);
}

void ConsoleView::dragMoveEvent(QDragMoveEvent* event) {
    acceptShellDrag(event, Qt::MoveAction);
}

void ConsoleView::dropEvent(QDropEvent* event) {
    if (acceptShellDrag(event, Qt::MoveAction))
        emit filesDropped(droppedLocalPaths(event->mimeData()));
}

void ConsoleView::updateBusy() {
    if (m_busyLabel)
        m_busyLabel->setVisible(isBusy());
}

} // namespace glyphmill
