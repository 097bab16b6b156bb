#pragma once

#include "backgroundrunner.h"
#include "cursorfile.h"
#include "fakefiletree.h"
#include "folderchooser.h"
#include "folderwatcher.h"
#include "main/formmain.h"
#include "pictureloader.h"
#include "processlauncher.h"
#include "prompt.h"
#include "systeminformation.h"
#include "volumes.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QList>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <optional>
#include <stdexcept>

namespace glyphmill::testing {

// Records every message and answers with a set answer, without a modal loop.
class FakePrompt final : public Prompt {
public:
    Answer ask(QWidget*, const Message& message) override {
        messages.append(message);
        return answer;
    }
    QList<Message> messages;
    Answer answer = Answer::Ok;
};

class FakeVolumes final : public Volumes {
public:
    QStringList names() const override { return volumes; }
    bool isReadable(const QString& volume) const override {
        ++readabilityQueries;
        return !unreadable.contains(volume);
    }
    QStringList volumes{kStartVolume};
    QSet<QString> unreadable;
    mutable int readabilityQueries = 0;
};

class FakeFolderChooser final : public FolderChooser {
public:
    std::optional<QString> chooseFolder(QWidget*, const QString& title,
                                        const QString& startFolder) override {
        titles.append(title);
        startFolders.append(startFolder);
        return answer;
    }
    std::optional<QString> answer;
    QStringList titles;
    QStringList startFolders;
};

// Each cursor is a plain square whose side tells which file was asked for.
class FakeDragCursors final : public DragCursors {
public:
    QPixmap load(const QString& fileName) const override {
        asked.append(fileName);
        QPixmap pixmap(fileName == QLatin1String("hibeam.cur") ? 20 : 10, 4);
        pixmap.fill(Qt::black);
        return pixmap;
    }
    mutable QStringList asked;
};

// Decodes the files of a fake tree as the real loader decodes files on disk, so a preview shows
// real pictures, broken ones included, without a file being written.
class FakePictureLoader final : public PictureLoader {
public:
    explicit FakePictureLoader(const FakeFileTree& files)
        : m_files(files) {}

    LoadedPicture load(const QString& path,
                       const std::function<QSize(QSize)>& shownSize) const override {
        loaded.append(path);
        if (!m_files.isFile(path)) {
            LoadedPicture missing;
            missing.error = QStringLiteral("no such file in the fake tree");
            return missing;
        }
        QByteArray bytes = m_files.content(path);
        // TGA is read from a file as the real loader reads it, since Qt's reader knows too few.
        if (path.endsWith(QLatin1String(".tga"), Qt::CaseInsensitive)) {
            QFile copy(m_copies.filePath(QFileInfo(path).fileName()));
            if (copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size()) {
                copy.close();
                return ImageReaderPictureLoader().load(copy.fileName(), shownSize);
            }
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        // As a reader of the file would: knowing its name, not only its bytes.
        QImageReader reader(&buffer, QFileInfo(path).suffix().toLower().toLatin1());
        return readPicture(reader, shownSize);
    }
    mutable QStringList loaded;

private:
    const FakeFileTree& m_files;
    QTemporaryDir m_copies;
};

// Watches nothing: a test changes the fake disk, then tells of it with `change`, which reaches
// the window only for a folder it watches, as the system would.
class FakeFolderWatcher final : public FolderWatcher {
public:
    QStringList watched;

    void watch(const QStringList& folders) override { watched = folders; }
    void change(const QString& folder) {
        if (watched.contains(folder))
            emit folderChanged(folder);
    }
};

// Notes what it was asked to start and answers with a made-up process id (0: it failed), the
// next one a number higher. A run writes `output` and `errors` into its files as it starts, and
// has ended once `ends` holds its id.
class FakeProcessLauncher final : public ProcessLauncher {
public:
    struct Start {
        QString program;
        QStringList arguments;
        QString workingDirectory;
    };

    qint64 startDetached(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, const OutputFiles& files) override {
        started.append({program, arguments, workingDirectory});
        if (pid == 0)
            return 0;
        write(files.output, output);
        write(files.errors, errors);
        return pid++;
    }
    std::optional<ProcessEnd> ended(qint64 id) override {
        const auto end = ends.find(id);
        if (end == ends.end())
            return std::nullopt;
        return end->second;
    }

    QList<Start> started;
    qint64 pid = 4242;
    QByteArray output;
    QByteArray errors;
    std::map<qint64, ProcessEnd> ends;

private:
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        if (!path.isEmpty() && file.open(QIODevice::Append))
            file.write(bytes);
    }
};

// Notes every background run asked for and ends none by itself: a test writes into a run's
// output folder what the converter would have, then ends it with `finish`.
class FakeBackgroundRunner final : public BackgroundRunner {
public:
    struct Run {
        QString program;
        QStringList arguments;
        QString workingDirectory;
        Done done;
        bool stopped = false;
    };

    quint64 start(const QString& program, const QStringList& arguments,
                  const QString& workingDirectory, Done done) override {
        runs.append({program, arguments, workingDirectory, std::move(done)});
        return static_cast<quint64>(runs.size());
    }
    void stop(quint64 ticket) override { runs[static_cast<qsizetype>(ticket) - 1].stopped = true; }

    // The folder run `index` was told to write into.
    QString outputFolder(qsizetype index) const {
        const QStringList& arguments = runs.at(index).arguments;
        const qsizetype flag = arguments.indexOf(QStringLiteral("--target-dir"));
        return flag >= 0 && flag + 1 < arguments.size() ? arguments.at(flag + 1) : QString();
    }
    void finish(qsizetype index, const BackgroundEnd& end) { runs.at(index).done(end); }

    QList<Run> runs;
};

class FakeSystemInformation final : public SystemInformation {
public:
    enum class Outcome { Started, Unavailable, Throws };
    Outcome outcome = Outcome::Started;
    int calls = 0;

    bool StartSysInfo() override {
        ++calls;
        if (outcome == Outcome::Throws)
            throw std::runtime_error("registry exploded");
        return outcome == Outcome::Started;
    }
};

// Every service a main window needs, each a fake: a posix system with the program installed in
// /opt/glyphmill, a disk that holds nothing but its root, a prompt that answers OK. Tests arrange
// and watch the fakes they care about, or hand in a service of their own in place of one.
struct FakeServices {
    FakeFileTree files;
    FakePrompt prompt;
    FakeProcessLauncher launcher;
    FakeSystemInformation systemInformation;
    FakeVolumes volumes;
    FakePictureLoader pictures{files};
    FakeFolderChooser folders;
    FakeDragCursors cursors;
    FakeFolderWatcher watcher;
    FakeBackgroundRunner runner;

    MainWindowServices services() {
        MainWindowServices services;
        services.appFolder = QStringLiteral("/opt/glyphmill");
        services.convention = PathConvention::posix();
        services.files = &files;
        services.prompt = &prompt;
        services.launcher = &launcher;
        services.systemInformation = &systemInformation;
        services.volumes = &volumes;
        services.pictures = &pictures;
        services.folders = &folders;
        services.cursors = &cursors;
        services.listing = &files;
        services.watcher = &watcher;
        services.runner = &runner;
        return services;
    }
};

} // namespace glyphmill::testing
