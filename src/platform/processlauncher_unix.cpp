#include "processlauncher.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace glyphmill {

namespace {

// The spawn's settings, undone however the start ends.
class SpawnSettings {
public:
    SpawnSettings() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSettings() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

QByteArray fileOrNowhere(const QString& path) {
    return path.isEmpty() ? QByteArray("/dev/null") : QFile::encodeName(path);
}

} // namespace

SystemProcessLauncher::~SystemProcessLauncher() = default;

// A child of this process, so that its end and exit code can be learnt; in a session of its own,
// so that neither the closing of a terminal nor a Ctrl+C meant for this program stops it, and it
// runs on when this program ends.
qint64 SystemProcessLauncher::startDetached(const QString& program, const QStringList& arguments,
                                            const QString& workingDirectory,
                                            const OutputFiles& files) {
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        words.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    SpawnSettings spawn;
    const QByteArray output = fileOrNowhere(files.output);
    const QByteArray errors = fileOrNowhere(files.errors);
    const QByteArray folder = QFile::encodeName(workingDirectory);
    const int append = O_WRONLY | O_CREAT | O_APPEND;
    posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&spawn.actions, 1, output.constData(), append, 0600);
    posix_spawn_file_actions_addopen(&spawn.actions, 2, errors.constData(), append, 0600);
    if (!workingDirectory.isEmpty())
        posix_spawn_file_actions_addchdir_np(&spawn.actions, folder.constData());

    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
    flags |= POSIX_SPAWN_SETSID;
#endif
    posix_spawnattr_setflags(&spawn.attributes, flags);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&spawn.attributes, &none);
    // A signal this program ignores would stay ignored in the child.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGHUP);
    posix_spawnattr_setsigdefault(&spawn.attributes, &defaults);

    pid_t pid = 0;
    if (posix_spawn(&pid, argv.front(), &spawn.actions, &spawn.attributes, argv.data(), environ) !=
        0)
        return 0;
    m_watched[pid] = nullptr;
    return pid;
}

std::optional<ProcessEnd> SystemProcessLauncher::ended(qint64 pid) {
    if (m_watched.erase(pid) == 0)
        return ProcessEnd{};
    int status = 0;
    pid_t answer;
    do {
        answer = waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    } while (answer < 0 && errno == EINTR);
    if (answer == 0) {
        m_watched[pid] = nullptr;
        return std::nullopt;
    }
    ProcessEnd end;
    if (answer > 0 && WIFEXITED(status)) {
        end.how = ProcessEnd::How::Exited;
        end.exitCode = WEXITSTATUS(status);
    } else if (answer > 0 && WIFSIGNALED(status)) {
        end.how = ProcessEnd::How::Crashed;
    }
    return end;
}

} // namespace glyphmill
