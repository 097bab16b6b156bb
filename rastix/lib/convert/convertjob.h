#pragma once

#include "cli/commandline.h"
#include "convert/loadedpicture.h"
#include "convert/memorybudget.h"
#include "encode/mapcollector.h"
#include "encode/pictureencoder.h"
#include "image/framegrid.h"
#include "output/filestaging.h"
#include "output/output.h"
#include "output/shownpng.h"
#include "palette/colourcensus.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rastix {

struct PictureResult {
    std::vector<OutputFile> files;
    std::string description; // for the stdout line of each written file
    std::string error;       // set when nothing can be written for this picture
    // Without --overwrite, an output that exists already: the picture was not converted.
    std::string existingOutput;
    std::string warning; // written, but the console cannot show it as it is
};

// Why the console's object processor cannot show the picture as one object (its height, data
// width and image width fields hold at most 1023 lines and phrases); empty when it can.
std::string consoleLimitWarning(const EncodedPicture& picture);

// Without --overwrite, an existing output keeps the picture from being converted: false with the
// output in result.existingOutput, or result.error for a name that cannot be looked up.
bool outputsFreeFor(const Job& job, const std::vector<std::string>& paths, PictureResult& result);

// Load, cut, rotate and encode one picture into the bytes of its output files. Whatever keeps
// the outputs from being written is found before the picture is decoded: an existing output
// (without --overwrite), and with a writer a folder where no file can be made; a disk that
// fills up while the rows are streamed to it stops the conversion at once. With a writer,
// outputs may already be staged on disk while the picture is decoded (see OutputFile). Before
// anything large is allocated, what the conversion will need is taken from budget (waiting
// while other pictures hold it), or checked against the memory available now without one; a
// picture that cannot fit fails at once with a message saying so. With --show-png the picture
// as the console shows it is written through png.
PictureResult convertJob(const Job& job, const PictureLoader& loader, int encodeThreads,
                         AtomicFileWriter* writer = nullptr, MemoryBudget* budget = nullptr,
                         const PngEncoder& png = {});

// A picture decoded for its colours and kept for its conversion, so that it is not decoded
// twice: the map collector it streamed into, or its pixels decoded whole (cut and turned),
// with the share of the memory budget they hold.
struct KeptPicture {
    std::unique_ptr<MapCollector> collector;
    std::shared_ptr<const void> pixels; // what view points into
    ImageView view;
    int quarterTurn = 0;
    std::optional<FrameGrid> frames; // a sheet: view is the whole sheet, unturned
    std::shared_ptr<const ColourCensus> census;
    std::unique_ptr<MemoryBudget::Share> share;
    std::uint64_t bytes() const { return share ? share->bytes() : 0; }
};

// How often each colour occurs in a picture as it would be converted (cut and turned), and the
// size of its map: what a palette shared with other pictures is chosen from. Decoded as
// convertJob decodes it, within the budget; the decoded picture comes with it, to be kept or
// let go.
struct PictureColours {
    ColourCensus census;
    int width = 0;
    int height = 0;
    std::shared_ptr<KeptPicture> kept;
};
std::optional<PictureColours> takePictureColours(const Job& job, const PictureLoader& loader,
                                                 int threads, MemoryBudget& budget,
                                                 std::string& error);

// The picture's map and files from what was kept of it, under the job's settings (its palette
// planned by now).
PictureResult convertKept(const Job& job, KeptPicture& kept, int threads, AtomicFileWriter* writer,
                          const PngEncoder& png = {});

} // namespace rastix
