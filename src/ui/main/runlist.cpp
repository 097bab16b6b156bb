#include "runlist.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryFile>

namespace glyphmill {

namespace {

constexpr int kCheckMilliseconds = 250;

std::optional<QString> makeFile(const QString& suffix) {
    QTemporaryFile file(
        QDir(QDir::tempPath()).filePath(QStringLiteral("glyphmill-run-XXXXXX") + suffix));
    // The converter writes into it after this program has let it go, and may still after this
    // program has ended.
    file.setAutoRemove(false);
    if (!file.open())
        return std::nullopt;
    return file.fileName();
}

std::optional<std::string> readAndRemove(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    file.close();
    file.remove();
    return bytes.toStdString();
}

} // namespace

RunList::RunList(QWidget* parent)
    : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    m_check.setInterval(kCheckMilliseconds);
    connect(&m_check, &QTimer::timeout, this, &RunList::checkRuns);
}

RunList::~RunList() {
    // No one will read the reports of the runs still going: their files go now (where the
    // system lets a file that is being written go).
    for (const Run& run : m_running)
        discard(run.files);
}

std::optional<OutputFiles> RunList::makeOutputFiles() {
    const std::optional<QString> output = makeFile(QStringLiteral(".out"));
    if (!output)
        return std::nullopt;
    const std::optional<QString> errors = makeFile(QStringLiteral(".err"));
    if (!errors) {
        QFile::remove(*output);
        return std::nullopt;
    }
    return OutputFiles{*output, *errors};
}

void RunList::discard(const OutputFiles& files) {
    QFile::remove(files.output);
    QFile::remove(files.errors);
}

void RunList::follow(qint64 pid, const OutputFiles& files, std::size_t pictures) {
    Run run{
        pid, files, pictures,
        tr("Run %1 at %2").arg(pid).arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))),
        new QTreeWidgetItem};
    run.item->setText(0, tr("%1: running").arg(run.name));
    insertTopLevelItem(0, run.item);
    scrollToItem(run.item);
    m_running.push_back(run);
    m_check.start();
}

void RunList::checkRuns() {
    // Reported in the order they end; a list emptied by the reports stops the checks.
    for (std::size_t i = 0; i < m_running.size();) {
        const std::optional<ProcessEnd> end = m_launcher->ended(m_running[i].pid);
        if (!end) {
            ++i;
            continue;
        }
        const Run run = m_running[i];
        m_running.erase(m_running.begin() + static_cast<std::ptrdiff_t>(i));
        report(run, *end);
    }
    if (m_running.empty())
        m_check.stop();
}

void RunList::report(const Run& run, const ProcessEnd& end) {
    const RunOutcome outcome = summariseRun(readAndRemove(run.files.output),
                                            readAndRemove(run.files.errors), run.pictures, end);
    run.item->setText(0, run.name + QStringLiteral(": ") + QString::fromStdString(outcome.summary));
    for (const std::string& line : outcome.lines)
        new QTreeWidgetItem(run.item, {QString::fromStdString(line)});
}

} // namespace glyphmill
