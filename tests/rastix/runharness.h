#pragma once
// Runs of the converter's core on pictures held in memory: parsed as the program parses its
// command line, converted and written by runJobs into real folders.

#include "cli/commandline.h"
#include "convert/loadedpicture.h"
#include "convert/runjobs.h"
#include "image/image.h"
#include "output/outputnames.h"

#include <QDir>
#include <QString>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace rastix {

// Pictures by name, so conversion runs need no decoder and no files to read.
struct FakePictures {
    std::map<std::string, Image> images;
    // Pictures read as animations: their frames stacked in images, each this tall, and the
    // frames' delays.
    struct Animation {
        int frameHeight = 0;
        std::vector<int> delaysMs;
    };
    std::map<std::string, Animation> animations;

    PictureLoader loader() const {
        return [this](const std::string& path, LoadedPicture& picture, std::string& error, int) {
            const auto it = images.find(path);
            if (it == images.end()) {
                error = "cannot read picture: not found";
                return false;
            }
            picture.view = it->second.view();
            if (const auto a = animations.find(path); a != animations.end()) {
                picture.frameHeight = a->second.frameHeight;
                picture.frameDelaysMs = a->second.delaysMs;
            }
            return true;
        };
    }
};

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline RunResult run(const std::vector<std::string>& args, const FakePictures& pictures,
                     AtomicFileWriter& writer, std::uint64_t memoryBytes = availableMemoryBytes()) {
    CommandLine line = parseCommandLine(args, [](const std::string& d) {
        return QDir(QString::fromStdString(d)).exists() ? std::string() : "does not exist";
    });
    if (line.error.empty())
        line.error = findOutputClash(line.jobs, samePlaceKey);
    if (line.error.empty())
        line.error = findGlobalNameClash(line.jobs);
    RunResult r;
    if (!line.error.empty()) {
        r.status = 2;
        r.err = line.error;
        return r;
    }
    std::ostringstream out;
    std::ostringstream err;
    r.status = runJobs(line.jobs, pictures.loader(), writer, out, err, 3, memoryBytes);
    r.out = out.str();
    r.err = err.str();
    return r;
}

} // namespace rastix
