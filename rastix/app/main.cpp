#include "cli/commandline.h"
#include "cli/helptext.h"
#include "convert/memorybudget.h"
#include "convert/runjobs.h"
#include "files/utf8path.h"
#include "loaders/pictureloader.h"
#include "loaders/qtreader.h"
#include "messagestream.h"
#include "output/filestaging.h"
#include "output/outputnames.h"
#include "output/stopsignals.h"

#include <QCoreApplication>
#include <QStringList>

#include <filesystem>
#include <iostream>
#include <thread>

int main(int argc, char** argv) {
    // Before any thread starts, Qt's included, so that every thread leaves the signals to one.
    rastix::cleanUpWhenStopped();
    const QCoreApplication app(argc, argv);
    std::vector<std::string> args;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());

    rastix::CommandLine line = rastix::parseCommandLine(args, [](const std::string& dir) {
        std::error_code ec;
        const auto status = std::filesystem::status(rastix::utf8Path(dir), ec);
        if (std::filesystem::is_directory(status))
            return std::string();
        return std::string(std::filesystem::exists(status) ? "is not a folder" : "does not exist");
    });
    if (line.error.empty() && !line.help && !line.version)
        line.error = rastix::findOutputClash(line.jobs, rastix::samePlaceKey);
    if (!line.error.empty()) {
        rastix::messageStream() << "rastix: " << line.error << std::endl;
        return 2;
    }
    if (line.help) {
        std::cout << rastix::helpText();
        return 0;
    }
    if (line.version) {
        std::cout << rastix::versionText();
        return 0;
    }
    rastix::AtomicFileWriter writer;
    const int threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    // Asked once: the pictures of this run share what there is now.
    const std::uint64_t memory = rastix::availableMemoryBytes();
    rastix::allowDecodingUpTo(memory);
    return rastix::runJobs(line.jobs, rastix::loadPicture, writer, std::cout,
                           rastix::messageStream(), threads, memory);
}
