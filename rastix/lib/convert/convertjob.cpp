#include "convert/convertjob.h"

#include "convert/conversionpeak.h"
#include "convert/route.h"
#include "encode/frameencoder.h"
#include "encode/framestreaming.h"
#include "encode/mapcollector.h"
#include "encode/paletteoutputs.h"
#include "encode/streamencoder.h"
#include "files/utf8path.h"
#include "output/metadata.h"
#include "output/outputnames.h"
#include "output/shownpng.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

namespace rastix {

namespace {

// The canvas of a long, thin picture turned by an odd angle grows with the square of its length
// (a 1x65304 strip turned by 31 degrees needs 7 GB of which almost all is transparent corner):
// refused before anything is allocated. A turn may always take 1 GB, and up to four times the
// picture (a square at 45 degrees takes twice), so any picture that fits in memory can be turned.
std::string turnTooLarge(const ImageView& view, int degrees) {
    if (degrees % 90 == 0)
        return {};
    constexpr double kAlwaysAllowed = 1024.0 * 1024 * 1024;
    constexpr double kMostGrowth = 4.0;
    const RotatedSize canvas = rotatedSize(static_cast<std::uint64_t>(view.width),
                                           static_cast<std::uint64_t>(view.height), degrees);
    const double picture = double(view.width) * view.height * 4;
    if (double(canvas.width) * double(canvas.height) * 4 <=
        std::max(kAlwaysAllowed, picture * kMostGrowth))
        return {};
    return "turned by " + std::to_string(degrees) + " degrees the picture would be " +
           std::to_string(canvas.width) + "x" + std::to_string(canvas.height) +
           " pixels, more than a turn may take (1024 megabytes, or four times the picture)";
}

// Hands a picture decoded whole to the stream encoder, turned by quarters as it goes, so that
// its words go to disk row by row instead of being held whole. False when the encoder did not
// take all of it.
bool feedStream(StreamEncoder& stream, const ImageView& view, int quarterTurn) {
    QuarterTurnRows rows(view, quarterTurn);
    if (!stream.begin(rows.width(), rows.height()))
        return false;
    bool fed = true;
    for (int top = 0; fed && top < rows.height(); top += RowSink::kChunkRows) {
        const int count = std::min(RowSink::kChunkRows, rows.height() - top);
        std::uint32_t* room = stream.rowsToFill(top, count);
        fed = room != nullptr;
        for (int r = 0; fed && r < count; ++r)
            std::copy_n(rows(top + r), rows.width(),
                        room + static_cast<std::size_t>(r) * rows.width());
        if (fed)
            stream.rowsFilled();
    }
    return stream.end(fed);
}

// A picture decoded whole, cut and turned by any angle as the settings say; what it was made
// from is let go as soon as the next stage is made, as conversionPeakBytes expects.
struct PreparedPicture {
    ImageView view;
    Image cut;
    Image turned;
    std::shared_ptr<const void> decoded; // what the loader decoded, when view points into it
    std::optional<FrameGrid> frames;     // a sheet, whose frames are turned each on its own
};

// An animation decoded as its frames stacked top to bottom, each cut as --cut says: a sheet of
// one column, with the frames' durations.
bool animationFrames(LoadedPicture& loaded, const Settings& s, const Route& route,
                     PreparedPicture& prepared, std::string& error) {
    if (s.frames) {
        error = "an animation's frames are its own: --frames splits still pictures only";
        return false;
    }
    FrameGrid grid{loaded.view.width, loaded.frameHeight, 1,
                   loaded.view.height / loaded.frameHeight, loaded.frameDelaysMs};
    prepared.view = loaded.view;
    if (s.cut) { // the same rectangle of every frame
        if (!frameInside(grid.frame(loaded.view, 0), *s.cut)) {
            Image unused;
            cutFrame(grid.frame(loaded.view, 0), *s.cut, unused, error);
            return false;
        }
        const CutFrame& c = *s.cut;
        prepared.cut = Image(c.width, c.height * grid.rows);
        for (int k = 0; k < grid.rows; ++k) {
            const ImageView frame = grid.frame(loaded.view, k);
            for (int y = 0; y < c.height; ++y)
                std::copy_n(frame.row(c.y + y) + c.x, c.width,
                            &prepared.cut.at(0, k * c.height + y));
        }
        grid.width = c.width;
        grid.height = c.height;
        prepared.view = prepared.cut.view();
        loaded.keepAlive.reset();
    }
    if (route.turn == Turn::CanvasFirst &&
        !(error = turnTooLarge(grid.frame(prepared.view, 0), s.rotateDegrees)).empty())
        return false;
    prepared.frames = grid;
    return true;
}

bool prepareWhole(LoadedPicture& loaded, const Settings& s, const Route& route,
                  PreparedPicture& prepared, std::string& error) {
    if (loaded.frameHeight > 0)
        return animationFrames(loaded, s, route, prepared, error);
    prepared.view = loaded.view;
    if (s.cut) {
        if (!cutFrame(prepared.view, *s.cut, prepared.cut, error))
            return false;
        prepared.view = prepared.cut.view();
        loaded.keepAlive.reset();
    }
    if (s.frames) {
        FrameGrid grid;
        if (!frameGridOf(prepared.view.width, prepared.view.height, *s.frames, grid, error))
            return false;
        if (route.turn == Turn::CanvasFirst &&
            !(error = turnTooLarge(grid.frame(prepared.view, 0), s.rotateDegrees)).empty())
            return false;
        prepared.frames = grid;
        return true;
    }
    if (route.turn == Turn::CanvasFirst) {
        if (error = turnTooLarge(prepared.view, s.rotateDegrees); !error.empty())
            return false;
        prepared.turned = rotateClockwise(prepared.view, s.rotateDegrees);
        prepared.view = prepared.turned.view();
        loaded.keepAlive.reset();
        prepared.cut = Image();
    }
    return true;
}

// A sheet's frames, into the picture's first output when one is staged for them (dataFile):
// they are then never held beside the sheet.
std::optional<EncodedPicture> encodeSheet(const ImageView& sheet, const FrameGrid& grid,
                                          const Job& job, int threads, int quarterTurn,
                                          StagedFile* dataFile, std::string& error) {
    const Settings& s = job.settings;
    FramesEncoder frames(sheet, grid, s, threads, quarterTurn);
    if (!dataFile)
        return frames.encode();
    std::optional<FrameSourceNames> source;
    if (s.format != OutputFormat::Binary)
        source = FrameSourceNames{job.picture, sourceLabel(s, baseName(job.picture))};
    return encodeFramesToFile(frames, s, *dataFile, source, error);
}

// Cuts, turns and encodes a picture decoded whole; a sheet's frames go into dataFile when one is
// given, and dataOnDisk then says so.
std::optional<EncodedPicture> encodeWhole(LoadedPicture& loaded, const Job& job, const Route& route,
                                          int threads, StagedFile* dataFile, bool& dataOnDisk,
                                          std::string& error) {
    const Settings& s = job.settings;
    PreparedPicture prepared;
    if (!prepareWhole(loaded, s, route, prepared, error))
        return std::nullopt;
    const int quarterTurn = quarterTurnWhileEncoding(route, s);
    dataOnDisk = prepared.frames && dataFile;
    std::optional<EncodedPicture> picture =
        prepared.frames ? encodeSheet(prepared.view, *prepared.frames, job, threads, quarterTurn,
                                      dataFile, error)
                        : encodePicture(prepared.view, s, threads, quarterTurn);
    loaded.keepAlive.reset();
    return picture;
}

// The line's description of what was made, and the console's warning about its size.
void describe(PictureResult& result, const EncodedPicture& picture, const Settings& s) {
    result.description = std::to_string(picture.width) + "x" + std::to_string(picture.height) +
                         ", " + modelDescription(s) + ", ";
    if (picture.isColourMap()) {
        result.description += std::to_string(picture.bitsPerPixel) + "-bit map, ";
        if (writesOwnPalette(s))
            result.description += std::to_string(picture.palette.size()) + " colours";
        else
            result.description += "palette of " + std::to_string(picture.palette.size()) +
                                  " entries in " + paletteSetPaths(s).front();
        if (picture.clutStart >= 0)
            result.description += ", INDEX " + std::to_string(picture.indexField());
    } else {
        result.description += "true colour";
    }
    if (picture.framed())
        result.description += ", " + std::to_string(picture.frameOffsets.size()) + " frames";
    result.warning = consoleLimitWarning(picture);
}

// With --metadata, the JSON describing the picture's other files, made while the picture's
// shape is still at hand; committed with them, so it never describes files that are not there.
std::optional<OutputFile> metadataFile(const EncodedPicture& picture, const Job& job,
                                       const PictureResult& result) {
    const Settings& s = job.settings;
    if (!s.metadata)
        return std::nullopt;
    std::vector<std::string> outputs = outputPaths(s, job.picture);
    outputs.pop_back(); // the JSON itself
    std::vector<std::string> warnings;
    if (!result.warning.empty())
        warnings.push_back(result.warning);
    const std::string text = metadataJson(picture, s, job.picture, outputs, warnings);
    return OutputFile{metadataPath(s, job.picture), ByteBuffer(text.begin(), text.end()), nullptr};
}

// The picture's files, the copy of its palette for paint programs, the picture as the console
// shows it and its metadata; the first is dataFile when the picture's data went to disk as it
// was encoded.
void writeOutputs(PictureResult& result, EncodedPicture picture, const Job& job,
                  AtomicFileWriter* writer, int threads, const PngEncoder& png,
                  std::unique_ptr<StagedFile> dataFile = nullptr) {
    const Settings& s = job.settings;
    std::vector<std::uint16_t> palette;
    if (writesOwnPalette(s) && s.paletteCopy != PaletteCopy::None)
        palette = picture.palette;
    // Made before the data is handed to the outputs, which may take it.
    std::optional<OutputFile> shown = shownPngFile(picture, s, job.picture, png, result.error);
    if (!result.error.empty())
        return;
    std::optional<OutputFile> metadata = metadataFile(picture, job, result);
    if (dataFile) {
        const std::string path = dataFile->path();
        result.files.push_back({path, {}, std::move(dataFile)});
        for (OutputFile& file : outputsAfterData(picture, s, job.picture))
            result.files.push_back(std::move(file));
    } else {
        result.files =
            outputsFor(std::move(picture), s, job.picture, writer, threads, &result.error);
    }
    if (result.files.empty())
        return;
    if (!palette.empty()) {
        const std::string base = baseName(job.picture);
        const std::string copy = joinPath(s.targetDir, base) + paletteCopyExtension(s.paletteCopy);
        result.files.push_back(paletteCopyFile(palette, s, copy, base));
    }
    if (shown)
        result.files.push_back(std::move(*shown));
    if (metadata)
        result.files.push_back(std::move(*metadata));
}

} // namespace

// Without --overwrite, an existing output keeps the picture from being converted: found before
// it is decoded, which may take long and much memory only to be thrown away. False with the
// output in result.existingOutput, or the error of a name that cannot be looked up.
bool outputsFreeFor(const Job& job, const std::vector<std::string>& paths, PictureResult& result) {
    if (job.settings.overwrite)
        return true;
    for (const std::string& path : paths) {
        std::error_code ec;
        const bool exists = std::filesystem::exists(utf8Path(path), ec);
        if (ec) {
            result.error = "cannot write '" + path + "': " + ec.message();
            return false;
        }
        if (exists) {
            result.existingOutput = path;
            return false;
        }
    }
    return true;
}

PictureResult convertJob(const Job& job, const PictureLoader& loader, int encodeThreads,
                         AtomicFileWriter* writer, MemoryBudget* budget, const PngEncoder& png) {
    PictureResult result;
    const Settings& s = job.settings;
    if (!outputsFreeFor(job, outputPaths(s, job.picture), result))
        return result;
    // The first output is staged before anything is decoded, so that a folder where no file can
    // be made fails the picture at once, with the system's reason; a route that streams writes
    // its rows into it.
    std::unique_ptr<StagedFile> staged;
    if (writer) {
        staged = writer->stage(outputPaths(s, job.picture).front(), result.error);
        if (!staged)
            return result;
    }
    const Route route = chooseRoute(s);
    MemoryBudget available(budget ? 0 : availableMemoryBytes());
    MemoryBudget& memory = budget ? *budget : available;
    MemoryBudget::Share share; // given back before `available` goes
    LoadedPicture loaded;
    std::optional<StreamEncoder> stream;
    std::optional<MapCollector> collector;
    switch (route.travel) {
    case Travel::RowsToStream:
        stream.emplace(s, encodeThreads > 1);
        loaded.rowSink = &*stream;
        break;
    case Travel::DecodedToStream:
        stream.emplace(s, encodeThreads > 1);
        break;
    case Travel::RowsToCollector:
        collector.emplace(s, encodeThreads > 1);
        loaded.rowSink = &*collector;
        break;
    case Travel::DecodedWhole:
        break;
    }
    // The rows go to disk as they are encoded, as binary data or as source text; the picture
    // the console shows is made from the words, so with it they are held instead.
    const bool streamToDisk = stream && staged && !s.showPng;
    if (streamToDisk && s.format != OutputFormat::Binary)
        stream->streamTo(staged.get(), StreamEncoder::SourceNames{
                                           job.picture, sourceLabel(s, baseName(job.picture))});
    else if (streamToDisk)
        stream->streamTo(staged.get());
    // Otherwise it is kept for a sheet's frames (or an animation's), which go into it as they
    // are encoded, and goes when the picture turns out to be neither.
    // A disk that refused the stream's rows (full) is reported as it is: decoding the picture
    // again, whole, would only fail on the same disk later.
    const auto streamWriteFailed = [&](std::string& error) {
        if (!stream || !staged || !stream->writeFailed())
            return false;
        if (staged->finish(error))
            error = "cannot write '" + staged->path() + "'";
        return true;
    };
    loaded.admit = [&](const Admission& admission, std::string& error) {
        if (streamWriteFailed(error))
            return false;
        const std::uint64_t need =
            conversionPeakBytes(admission, route, s, writer != nullptr, encodeThreads);
        return share.resize(memory, need, error);
    };
    if (!loader(job.picture, loaded, result.error, encodeThreads) ||
        streamWriteFailed(result.error))
        return result;
    // Whether the stream encoder or the map collector got every row, and so makes the words.
    bool sinkTookAll = (stream && loaded.rowsStreamed && stream->complete()) ||
                       (collector && loaded.rowsStreamed && collector->complete());
    if (loaded.rowsStreamed && !sinkTookAll) {
        // Rows went astray although the loader was told the sink took them: decode again whole.
        if (streamWriteFailed(result.error))
            return result;
        auto admit = std::move(loaded.admit);
        collector.reset();
        loaded = LoadedPicture{};
        loaded.admit = std::move(admit);
        if (!loader(job.picture, loaded, result.error, encodeThreads))
            return result;
    }
    if (stream && !stream->begun() && loaded.view.pixels && loaded.frameHeight == 0) {
        // Decoded whole (by a loader that does not stream, too): encoded as a stream only
        // without transparent pixels, as a loader would (see RowSink); a cut that does not fit
        // is left for encodeWhole to report. An animation's frames are encoded each on its own.
        const ImageView& whole = loaded.view;
        const CutFrame frame = s.cut.value_or(CutFrame{0, 0, whole.width, whole.height});
        if (frameInside(whole, frame)) {
            const ImageView view{whole.row(frame.y) + frame.x, frame.width, frame.height,
                                 whole.stride};
            sinkTookAll = !hasTransparentPixels(view) &&
                          feedStream(*stream, view, quarterTurnWhileEncoding(route, s));
        }
        if (sinkTookAll)
            loaded.keepAlive.reset();
        else if (streamWriteFailed(result.error))
            return result;
    }
    // Anything else that went wrong on the way (a picture the loader could not stream, pixels
    // that turned out transparent) leaves the picture decoded whole, and the straightforward
    // way reports any error properly.
    std::optional<EncodedPicture> encoded;
    bool dataOnDisk = sinkTookAll && streamToDisk;
    // A stream that wrote rows into the staged file leaves it to them; the picture the console
    // shows is made from the frames' words, so with it they are held.
    StagedFile* framesFile = (stream && stream->begun()) || s.showPng ? nullptr : staged.get();
    if (sinkTookAll && collector)
        encoded = collector->encode(encodeThreads);
    else
        encoded = sinkTookAll ? stream->take()
                              : encodeWhole(loaded, job, route, encodeThreads, framesFile,
                                            dataOnDisk, result.error);
    collector.reset();
    if (!encoded)
        return result;
    EncodedPicture& picture = *encoded;
    describe(result, picture, s);
    if (!dataOnDisk)
        staged.reset(); // not used: its temporary file goes
    writeOutputs(result, std::move(picture), job, writer, encodeThreads, png, std::move(staged));
    return result;
}

std::optional<PictureColours> takePictureColours(const Job& job, const PictureLoader& loader,
                                                 int threads, MemoryBudget& budget,
                                                 std::string& error) {
    const Settings& s = job.settings;
    const Route route = chooseRoute(s);
    auto share = std::make_unique<MemoryBudget::Share>();
    LoadedPicture loaded;
    auto collector = std::make_unique<MapCollector>(s, threads > 1);
    if (route.travel == Travel::RowsToCollector)
        loaded.rowSink = collector.get();
    loaded.admit = [&](const Admission& admission, std::string& why) {
        return share->resize(budget, conversionPeakBytes(admission, route, s, false, threads), why);
    };
    if (!loader(job.picture, loaded, error, threads))
        return std::nullopt;
    const int quarterTurn = quarterTurnWhileEncoding(route, s);
    PictureColours colours;
    colours.kept = std::make_shared<KeptPicture>();
    KeptPicture& kept = *colours.kept;
    const auto shapeOf = [&](int width, int height) {
        const bool across = quarterTurn % 180 != 0;
        colours.width = across ? height : width;
        colours.height = across ? width : height;
    };
    // What is kept is only the picture (its words, or its pixels where it is dithered), and
    // the share of the budget is brought down to it.
    const auto keep = [&](std::uint64_t bytes) {
        std::string ignored;
        share->resize(budget,
                      bytes + sizeof(ColourCensus::words[0]) * (ColourCensus::kTransparent + 1),
                      ignored);
        kept.share = std::move(share);
    };
    if (loaded.rowsStreamed && collector->complete()) {
        colours.census = collector->census();
        shapeOf(loaded.view.width, loaded.view.height);
        keep(std::uint64_t{4} * static_cast<std::uint64_t>(loaded.view.width) *
             static_cast<std::uint64_t>(loaded.view.height));
        kept.collector = std::move(collector);
        return colours;
    }
    collector.reset();
    if (loaded.rowsStreamed) { // rows went astray: decoded again, whole
        auto admit = std::move(loaded.admit);
        loaded = LoadedPicture{};
        loaded.admit = std::move(admit);
        if (!loader(job.picture, loaded, error, threads))
            return std::nullopt;
    }
    auto prepared = std::make_shared<PreparedPicture>();
    if (!prepareWhole(loaded, s, route, *prepared, error))
        return std::nullopt;
    if (prepared->frames) { // the palette is for the frames, as encodeFrames turns them
        colours.census = framesCensus(prepared->view, *prepared->frames, s, threads, quarterTurn);
        const ImageView frame = prepared->frames->frame(prepared->view, 0);
        const bool canvasTurned = route.turn == Turn::CanvasFirst;
        const RotatedSize turned = rotatedSize(static_cast<std::uint64_t>(frame.width),
                                               static_cast<std::uint64_t>(frame.height),
                                               canvasTurned ? s.rotateDegrees : 0);
        shapeOf(static_cast<int>(turned.width), static_cast<int>(turned.height));
        kept.frames = prepared->frames;
    } else {
        colours.census = takeCensus(prepared->view, s, threads);
        shapeOf(prepared->view.width, prepared->view.height);
    }
    prepared->decoded = std::move(loaded.keepAlive);
    kept.view = prepared->view;
    kept.quarterTurn = quarterTurn;
    kept.census = std::make_shared<ColourCensus>(colours.census);
    // Whatever the loader holds besides (its own format) goes with the decoded picture.
    keep(std::max<std::uint64_t>(share->bytes() / 2,
                                 std::uint64_t{4} * static_cast<std::uint64_t>(kept.view.width) *
                                     static_cast<std::uint64_t>(kept.view.height)));
    kept.pixels = std::move(prepared);
    return colours;
}

PictureResult convertKept(const Job& job, KeptPicture& kept, int threads, AtomicFileWriter* writer,
                          const PngEncoder& png) {
    PictureResult result;
    // A sheet's frames go to disk as they are encoded.
    std::unique_ptr<StagedFile> dataFile;
    if (kept.frames && writer && !job.settings.showPng) {
        dataFile = writer->stage(outputPaths(job.settings, job.picture).front(), result.error);
        if (!dataFile)
            return result;
    }
    std::optional<EncodedPicture> encoded =
        kept.collector ? kept.collector->encode(threads, job.settings)
        : kept.frames  ? encodeSheet(kept.view, *kept.frames, job, threads, kept.quarterTurn,
                                     dataFile.get(), result.error)
                       : encodeColourMap(kept.view, job.settings, threads, kept.census.get(),
                                         kept.quarterTurn);
    kept = KeptPicture{}; // its memory goes back before the outputs are made
    if (!encoded)
        return result;
    describe(result, *encoded, job.settings);
    writeOutputs(result, std::move(*encoded), job, writer, threads, png, std::move(dataFile));
    return result;
}

std::string consoleLimitWarning(const EncodedPicture& picture) {
    constexpr int kLimit = 1023; // the object's HEIGHT, DWIDTH and IWIDTH fields are 10 bits
    if (picture.height <= kLimit && picture.phrasesPerRow() <= kLimit)
        return {};
    return std::to_string(picture.width) + "x" + std::to_string(picture.height) + " pixels (" +
           std::to_string(picture.phrasesPerRow()) + " phrases per line) is more than one " +
           "object of the console can show: at most " + std::to_string(kLimit) + " lines of " +
           std::to_string(kLimit) + " phrases";
}

} // namespace rastix
