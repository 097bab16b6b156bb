#pragma once

#include "cli/commandline.h"
#include "convert/memorybudget.h"
#include "image/image.h"
#include "image/rowsink.h"
#include "output/output.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace rastix {

// A decoded picture; keepAlive owns whatever the view points into.
struct LoadedPicture {
    ImageView view;
    std::shared_ptr<const void> keepAlive;
    // Set by the caller before loading, optional: a loader that decodes row by row may hand
    // the rows to it instead of keeping them. It sets rowsStreamed only when the sink took the
    // whole picture (its end() returned true); view then gives the size but no pixels.
    RowSink* rowSink = nullptr;
    bool rowsStreamed = false;
    // Set by the caller before loading, optional: the loader calls it with the size its header
    // gives and the bytes it will hold for the decoded pixels (whether it streams them to the
    // row sink instead) before allocating the picture; false and a message stop the loading.
    // It may be called a second time, with more, when streaming fails and the picture is
    // decoded whole after all.
    std::function<bool(int width, int height, std::uint64_t decodedBytes, bool streamed,
                       std::string& error)>
        admit;
};

// Must be safe to call from several threads at once; threads is how many cores the loader may
// use for this one picture.
using PictureLoader = std::function<bool(const std::string& path, LoadedPicture& picture,
                                         std::string& error, int threads)>;

struct PictureResult {
    std::vector<OutputFile> files;
    std::string description; // for the stdout line of each written file
    std::string error;       // set when nothing can be written for this picture
    std::string warning;     // written, but the console cannot show it as it is
};

// Why the console's object processor cannot show the picture as one object (its height, data
// width and image width fields hold at most 1023 lines and phrases); empty when it can.
std::string consoleLimitWarning(const EncodedPicture& picture);

// Load, cut, rotate and encode one picture into the bytes of its output files. With a writer,
// outputs may already be staged on disk while the picture is decoded (see OutputFile). Before
// anything large is allocated, what the conversion will need is taken from budget (waiting
// while other pictures hold it), or checked against the memory available now without one; a
// picture that cannot fit fails at once with a message saying so.
PictureResult convertJob(const Job& job, const PictureLoader& loader, int encodeThreads,
                         AtomicFileWriter* writer = nullptr, MemoryBudget* budget = nullptr);

// Converts every job, up to `threads` at a time, and writes the outputs in argument order: one
// line on `out` for each file written, one line on `err` for each picture that fails.
// Returns 0 when every picture was converted, 1 otherwise. The pictures converted at the same
// time share memoryBytes between them.
int runJobs(const std::vector<Job>& jobs, const PictureLoader& loader, AtomicFileWriter& writer,
            std::ostream& out, std::ostream& err, int threads,
            std::uint64_t memoryBytes = availableMemoryBytes());

const char* helpText();
const char* versionText();

} // namespace rastix
