#pragma once

#include "commandline.h"
#include "image.h"
#include "output.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace rastix {

// A decoded picture; keepAlive owns whatever the view points into.
struct LoadedPicture {
    ImageView view;
    std::shared_ptr<const void> keepAlive;
};

// Must be safe to call from several threads at once; threads is how many cores the loader may
// use for this one picture.
using PictureLoader =
    std::function<bool(const std::string& path, LoadedPicture& picture, std::string& error,
                       int threads)>;

struct PictureResult {
    std::vector<OutputFile> files;
    std::string description; // for the stdout line of each written file
    std::string error;       // set when nothing can be written for this picture
};

// Load, cut, rotate and encode one picture into the bytes of its output files.
PictureResult convertJob(const Job& job, const PictureLoader& loader, int encodeThreads);

// Converts every job, up to `threads` at a time, and writes the outputs in argument order: one
// line on `out` for each file written, one line on `err` for each picture that fails.
// Returns 0 when every picture was converted, 1 otherwise.
int runJobs(const std::vector<Job>& jobs, const PictureLoader& loader, AtomicFileWriter& writer,
            std::ostream& out, std::ostream& err, int threads);

const char* helpText();
const char* versionText();

} // namespace rastix
