#pragma once

#include "cli/commandline.h"
#include "convert/convertjob.h"
#include "convert/loadedpicture.h"
#include "convert/memorybudget.h"

#include <memory>
#include <optional>
#include <vector>

namespace rastix {

// The run's pictures once the palettes of their --shared-clut and --banks sets are decided:
// every picture of such a set is first decoded for its colours alone (in parallel, within the
// memory budget); then each set's palette is chosen from the pictures that could be read, and
// each of them is given it. A picture that fails to be read is left out of its set's palette;
// the others are converted with the palette of the rest.
struct PaletteSetRun {
    std::vector<Job> jobs; // the same pictures, with their palettes planned
    // For each picture, what was decided before converting it: set when it failed already
    // (error), or an output exists (existingOutput), so it is not converted.
    std::vector<std::optional<PictureResult>> decided;
    // For each picture, the set's palette files to write just before its own (its set's first
    // picture that could be read), as a result of their own.
    std::vector<std::optional<PictureResult>> setFilesBefore;
    // For each picture, the set whose files setFilesBefore holds; 0 for none.
    std::vector<int> setOf;
    // For each picture, what was kept of it when its colours were counted, so that it is not
    // decoded again (while the pictures kept hold no more than a quarter of the budget).
    std::vector<std::shared_ptr<KeptPicture>> kept;
};

PaletteSetRun planPaletteSets(const std::vector<Job>& jobs, const PictureLoader& loader,
                              int threads, MemoryBudget& budget);

} // namespace rastix
