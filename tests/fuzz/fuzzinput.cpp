#include "fuzzinput.h"

#include "files/utf8path.h"
#include "loaders/qtreader.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fuzzing {

namespace {

std::filesystem::path inputFolder() {
    std::error_code ec;
    // A file written a million times had better not reach a disk.
    if (std::filesystem::is_directory("/dev/shm", ec))
        return "/dev/shm";
    return std::filesystem::temp_directory_path(ec);
}

// Removes the input file at the end of a run; a run that crashes leaves it behind, beside its
// finding.
struct InputFileName {
    std::string path;
    ~InputFileName() {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove(rastix::utf8Path(path), ec);
    }
};

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// The process's own stderr: rastix's DecoderMessages replaces the stream while it listens, and
// would keep a failure's message to itself.
std::FILE* const g_stderr = stderr;

} // namespace

std::string inputFile(const std::uint8_t* data, std::size_t size, const char* suffix) {
    static InputFileName name;
    if (name.path.empty())
        name.path = rastix::utf8Text(inputFolder() /
                                     ("rastix-fuzz-" + std::to_string(processId()) + suffix));
    std::FILE* file = rastix::openFile(name.path, "wb");
    if (!file)
        fail("cannot write the input file");
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        fail("cannot write the input file");
    return name.path;
}

void startQt() {
    static int argc = 1;
    static char name[] = "rastix-fuzz";
    static char* argv[] = {name, nullptr};
    // Installed first, so that what rastix's own handler passes on is dropped too.
    qInstallMessageHandler(dropMessage);
    static const QCoreApplication app(argc, argv);
    rastix::allowDecodingUpTo(kDecodeBudget);
}

void fail(const char* what) {
    std::fprintf(g_stderr, "fuzz target: %s\n", what);
    std::fflush(g_stderr);
    std::abort();
}

void expectOneLine(const std::string& error) {
    if (error.empty())
        fail("refused without a message");
    if (error.find('\n') != std::string::npos)
        fail("a message of more than one line");
}

void readEveryPixel(const rastix::ImageView& view) {
    if (!view.pixels || view.width <= 0 || view.height <= 0 || view.stride < view.width)
        fail("a decoded picture without pixels");
    std::uint32_t seen = 0;
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x)
            seen ^= view.row(y)[x];
    keep(seen);
}

volatile std::uint64_t g_kept = 0;

void keep(std::uint64_t value) {
    g_kept = g_kept + value;
}

} // namespace fuzzing
