#include "cli/argumentfiles.h"
#include "cli/commandline.h"
#include "cli/depfile.h"
#include "cli/helptext.h"
#include "convert/memorybudget.h"
#include "convert/outdated.h"
#include "convert/runjobs.h"
#include "files/messageline.h"
#include "files/utf8path.h"
#include "loaders/animationreader.h"
#include "loaders/pictureloader.h"
#include "loaders/pngwriter.h"
#include "loaders/qtreader.h"
#include "messagestream.h"
#include "output/filestaging.h"
#include "output/outputnames.h"
#include "output/stopsignals.h"

#include <QCoreApplication>
#include <QStringList>

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <thread>

#ifndef _WIN32
#include <csignal>
#endif

namespace {

// Text that is the whole point of the call (the help, the version) must not vanish silently
// into a full disk or a closed pipe.
int printed(const std::string& text) {
    errno = 0;
    std::cout << text << std::flush;
    if (std::cout)
        return 0;
    const int error = errno;
    rastix::messageStream() << rastix::standardOutputFailure(error) << std::endl;
    return 1;
}

// The make rules of the whole run, written after its pictures whether they converted or not, so
// that make tries a failed one again. False, said on the message stream, when they could not be.
bool writeDepfile(const std::string& path, const rastix::CommandLine& line,
                  const std::vector<std::string>& argumentFiles, rastix::AtomicFileWriter& writer) {
    std::string rules;
    std::string error;
    if (rastix::dependencyRules(line.jobs, argumentFiles, rules, error)) {
        if (const auto staged = writer.stage(path, error)) {
            const bool appended =
                staged->append(reinterpret_cast<const std::uint8_t*>(rules.data()), rules.size());
            if (!appended && staged->finish(error))
                error = "cannot write '" + path + "'";
            if (appended &&
                rastix::commitTogether({staged.get()}, rastix::ExistingFile::Replace, error))
                return true;
        }
    }
    rastix::messageStream() << rastix::messageLine("rastix: " + error) << std::endl;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Before any thread starts, Qt's included, so that every thread leaves the signals to one.
    rastix::cleanUpWhenStopped();
#ifndef _WIN32
    // A reader of the list that goes away (`| head -1`) must not stop the conversions half-way:
    // the failed write is reported like any other.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const QCoreApplication app(argc, argv);
    std::vector<std::string> args;
#ifdef _WIN32
    // Windows gives the arguments in UTF-16: Qt's list has them all, made UTF-8 here.
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());
#else
    // Elsewhere a file name is bytes, which need not be UTF-8 ("caf\xe9.png"): kept as given,
    // where Qt's list would have made them U+FFFD.
    args.assign(argv + 1, argv + argc);
#endif

    const rastix::ExpandedArguments expanded =
        rastix::expandArgumentFiles(args, rastix::readWholeFile);
    if (!expanded.error.empty()) {
        rastix::messageStream() << rastix::messageLine("rastix: " + expanded.error) << std::endl;
        return 2;
    }
    rastix::CommandLine line = rastix::parseCommandLine(expanded.args, [](const std::string& dir) {
        std::error_code ec;
        const auto status = std::filesystem::status(rastix::utf8Path(dir), ec);
        if (std::filesystem::is_directory(status))
            return std::string();
        return std::string(std::filesystem::exists(status) ? "is not a folder" : "does not exist");
    });
    if (line.error.empty() && !line.help && !line.version)
        line.error = rastix::findOutputClash(line.jobs, rastix::samePlaceKey);
    if (line.error.empty() && !line.help && !line.version)
        line.error = rastix::findGlobalNameClash(line.jobs, rastix::isAnimation);
    if (line.error.empty() && !line.depfile.empty())
        line.error = rastix::depfileClash(line.depfile, line.jobs, rastix::samePlaceKey);
    if (!line.error.empty()) {
        rastix::messageStream() << rastix::messageLine("rastix: " + line.error) << std::endl;
        return 2;
    }
    if (line.help)
        return printed(rastix::helpText());
    if (line.version)
        return printed(rastix::versionText());
    rastix::AtomicFileWriter writer;
    const int threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    // Asked once: the pictures of this run share what there is now.
    const std::uint64_t memory = rastix::availableMemoryBytes();
    rastix::allowDecodingUpTo(memory);
    const std::vector<rastix::Job> jobs =
        rastix::outdatedJobs(line.jobs, expanded.filesRead, rastix::fileModifiedTime);
    const int status =
        jobs.empty() ? 0
                     : rastix::runJobs(jobs, rastix::loadPicture, writer, std::cout,
                                       rastix::messageStream(), threads, memory, rastix::encodePng);
    if (!line.depfile.empty() && !writeDepfile(line.depfile, line, expanded.filesRead, writer))
        return 1;
    return status;
}
