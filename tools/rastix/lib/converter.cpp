#include "converter.h"

#include "streamencoder.h"
#include "utf8path.h"

#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <numbers>
#include <optional>
#include <thread>

namespace rastix {

namespace {

// The canvas of a long, thin picture turned by an odd angle grows with the square of its length
// (a 1x65304 strip turned by 31 degrees needs 7 GB): refused before anything is allocated.
std::string turnTooLarge(const ImageView& view, int degrees) {
    constexpr double kMostBytes = 1024.0 * 1024 * 1024;
    const double angle = (degrees % 360) * std::numbers::pi / 180.0;
    const double c = std::abs(std::cos(angle));
    const double s = std::abs(std::sin(angle));
    const double w = std::ceil(view.width * c + view.height * s);
    const double h = std::ceil(view.width * s + view.height * c);
    if (w * h * 4 <= kMostBytes)
        return {};
    return "turned by " + std::to_string(degrees) + " degrees the picture would be " +
           std::to_string(static_cast<long long>(w)) + "x" +
           std::to_string(static_cast<long long>(h)) +
           " pixels, more than the 1024 megabytes a turned picture may take";
}

} // namespace

PictureResult convertJob(const Job& job, const PictureLoader& loader, int encodeThreads,
                         AtomicFileWriter* writer) {
    PictureResult result;
    LoadedPicture loaded;
    // A true-colour picture used whole can be encoded row by row while it is decoded; a
    // dithered one needs the whole picture.
    const Settings& s = job.settings;
    std::optional<StreamEncoder> stream;
    if (!s.colourMap && s.dither == Dither::None && !s.cut && s.rotateDegrees % 360 == 0) {
        stream.emplace(s, encodeThreads > 1);
        loaded.rowSink = &*stream;
    }
    // The rows of a binary picture go to disk as they are encoded. Only safe for a writer that
    // is not shared, which callers give only when this is the one picture being converted.
    std::unique_ptr<StagedFile> staged;
    if (stream && writer && s.format == OutputFormat::Binary) {
        const std::string target = trueColourBinaryPath(s, job.picture);
        std::error_code ec;
        std::string ignored; // without a staged file the outputs are written the usual way
        if (s.overwrite || !std::filesystem::exists(utf8Path(target), ec))
            staged = writer->stage(target, ignored);
        if (staged)
            stream->streamTo(staged.get());
    }
    if (!loader(job.picture, loaded, result.error, encodeThreads))
        return result;
    const bool streamed = stream && loaded.rowsStreamed && stream->complete();
    if (loaded.rowsStreamed && !streamed) {
        // Rows went astray although the loader was told the sink took them: decode again whole.
        loaded = LoadedPicture{};
        if (!loader(job.picture, loaded, result.error, encodeThreads))
            return result;
    }
    ImageView view = loaded.view;
    Image cut;
    if (job.settings.cut) {
        if (!cutFrame(view, *job.settings.cut, cut, result.error))
            return result;
        view = cut.view();
    }
    Image turned;
    if (job.settings.rotateDegrees % 360 != 0) {
        if (result.error = turnTooLarge(view, job.settings.rotateDegrees); !result.error.empty())
            return result;
        turned = rotateClockwise(view, job.settings.rotateDegrees);
        view = turned.view();
    }
    // Anything that went wrong on the way (a failed write to the staged file, a picture the
    // loader could not stream) leaves the loader to decode it whole, and the straightforward
    // way reports any error properly.
    EncodedPicture picture =
        streamed ? stream->take() : encodePicture(view, job.settings, encodeThreads);
    result.description = std::to_string(picture.width) + "x" + std::to_string(picture.height) +
                         ", " + modelDescription(job.settings) + ", ";
    if (picture.isColourMap())
        result.description += std::to_string(picture.bitsPerPixel) + "-bit map, " +
                              std::to_string(picture.palette.size()) + " colours";
    else
        result.description += "true colour";
    result.warning = consoleLimitWarning(picture);
    result.files = outputsFor(std::move(picture), job.settings, job.picture);
    if (streamed && staged) // the one file of a true-colour binary, already under a temporary name
        result.files.front().staged = std::move(staged);
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

namespace {

bool writeResult(const Job& job, const PictureResult& result, AtomicFileWriter& writer,
                 std::ostream& out, std::ostream& err) {
    const auto fail = [&](const std::string& why) {
        err << "rastix: " << job.picture << ": " << why << '\n';
        return false;
    };
    if (!result.error.empty())
        return fail(result.error);
    if (!job.settings.overwrite) {
        // Checked for every output first, so a map is never written without its palette.
        for (const OutputFile& file : result.files) {
            std::error_code ec;
            if (std::filesystem::exists(utf8Path(file.path), ec) || ec) {
                err << "rastix: " << file.path << ": exists already, not overwritten (use "
                    << "--overwrite); " << job.picture << " skipped\n";
                return false;
            }
        }
    }
    // All of a picture's files are complete on disk before any is moved into place.
    std::vector<std::shared_ptr<StagedFile>> staged;
    std::string error;
    for (const OutputFile& file : result.files) {
        std::shared_ptr<StagedFile> s = file.staged;
        if (!s) {
            s = writer.stage(file.path, error);
            if (!s)
                return fail(error);
            s->append(file.bytes.data(), file.bytes.size());
        }
        staged.push_back(std::move(s));
    }
    std::vector<StagedFile*> files;
    for (const auto& s : staged)
        files.push_back(s.get());
    // Refused, too, when another program makes a file between the check above and now.
    if (!commitTogether(files, job.settings.overwrite ? ExistingFile::Replace : ExistingFile::Keep,
                        error))
        return fail(error);
    for (const OutputFile& file : result.files)
        out << "wrote " << file.path << " (" << result.description << ")\n";
    if (!result.warning.empty())
        err << "rastix: " << job.picture << ": warning: " << result.warning << '\n';
    return true;
}

// convertJob, with what it throws turned into the picture's error.
PictureResult convertGuarded(const Job& job, const PictureLoader& loader, int encodeThreads,
                             AtomicFileWriter* writer) {
    try {
        return convertJob(job, loader, encodeThreads, writer);
    } catch (const std::bad_alloc&) {
        PictureResult r;
        r.error = "not enough memory to convert this picture";
        return r;
    } catch (const std::exception& e) {
        PictureResult r;
        r.error = std::string("conversion failed: ") + e.what();
        return r;
    }
}

} // namespace

int runJobs(const std::vector<Job>& jobs, const PictureLoader& loader, AtomicFileWriter& writer,
            std::ostream& out, std::ostream& err, int threads) {
    const std::size_t n = jobs.size();
    if (n == 1) {
        // One picture: converted here, with every core for it, and its output may be written
        // while it is decoded since no other picture shares the writer.
        const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
        const bool written =
            writeResult(jobs[0], convertGuarded(jobs[0], loader, cores, &writer), writer, out, err);
        out.flush();
        err.flush();
        return written ? 0 : 1;
    }
    threads = std::max(1, std::min(threads, static_cast<int>(n)));
    const int encodeThreads = 1; // the pictures share the cores out among themselves
    // Pictures may finish in any order, but are written in argument order; the look-ahead
    // window keeps the number of decoded pictures held in memory bounded.
    const std::size_t window = static_cast<std::size_t>(threads) * 2;
    std::vector<std::optional<PictureResult>> results(n);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;
    std::size_t written = 0;

    const auto work = [&] {
        for (;;) {
            std::size_t i;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return next >= n || next < written + window; });
                if (next >= n)
                    return;
                i = next++;
            }
            PictureResult r = convertGuarded(jobs[i], loader, encodeThreads, nullptr);
            std::lock_guard lock(mutex);
            results[i] = std::move(r);
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back(work);

    bool allGood = true;
    for (std::size_t i = 0; i < n; ++i) {
        PictureResult r;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return results[i].has_value(); });
            r = std::move(*results[i]);
            results[i].reset();
        }
        allGood = writeResult(jobs[i], r, writer, out, err) && allGood;
        out.flush();
        err.flush();
        {
            std::lock_guard lock(mutex);
            written = i + 1;
        }
        changed.notify_all();
    }
    for (auto& w : workers)
        w.join();
    return allGood ? 0 : 1;
}

} // namespace rastix
