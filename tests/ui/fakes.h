#pragma once

#include "cursorfile.h"
#include "folderchooser.h"
#include "prompt.h"
#include "volumes.h"

#include <QList>
#include <QPixmap>
#include <QSet>
#include <QStringList>

#include <optional>

namespace glyphmill::testing {

// The volume the browser starts on and the folder it opens there: the root on Unix, drive c: on
// Windows.
#ifdef _WIN32
inline const QString kStartVolume = QStringLiteral("c:");
inline const QString kStartFolder = QStringLiteral("c:\\");
#else
inline const QString kStartVolume = QStringLiteral("/");
inline const QString kStartFolder = QStringLiteral("/");
#endif

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

} // namespace glyphmill::testing
