#pragma once

#include "cli/commandline.h"
#include "convert/loadedpicture.h"
#include "convert/memorybudget.h"
#include "output/filestaging.h"
#include "output/shownpng.h"

#include <cstdint>
#include <ostream>
#include <vector>

namespace rastix {

// Converts every job, up to `threads` at a time, and writes the outputs in argument order: one
// line on `out` for each file written, one line on `err` for each picture that fails.
// Returns 0 when every picture was converted, 1 otherwise. The pictures converted at the same
// time share memoryBytes between them. The pictures the console shows (--show-png) are written
// through png.
int runJobs(const std::vector<Job>& jobs, const PictureLoader& loader, AtomicFileWriter& writer,
            std::ostream& out, std::ostream& err, int threads,
            std::uint64_t memoryBytes = availableMemoryBytes(), const PngEncoder& png = {});

} // namespace rastix
