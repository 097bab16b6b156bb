// The command line: the input is the arguments, each ended by a NUL byte (the last one may run
// to the end). Nothing touches the disk: a target folder exists unless its name starts "no".
#include "cli/commandline.h"
#include "fuzzinput.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        args.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const rastix::CommandLine line = rastix::parseCommandLine(args, [](const std::string& folder) {
        return folder.rfind("no", 0) == 0 ? std::string("does not exist") : std::string();
    });
    if (!line.error.empty()) {
        if (!line.jobs.empty())
            fuzzing::fail("pictures kept from a refused command line");
        return 0;
    }
    if (line.jobs.empty() && !line.help && !line.version)
        fuzzing::fail("a command line accepted with nothing to do");
    for (const rastix::Job& job : line.jobs)
        if (job.picture.empty())
            fuzzing::fail("a picture without a name");
    // What the program checks next, with each path standing for a place of its own.
    fuzzing::keep(
        rastix::findOutputClash(line.jobs, [](const std::string& path) { return path; }).size());
    fuzzing::keep(rastix::findGlobalNameClash(line.jobs).size());
    return 0;
}
