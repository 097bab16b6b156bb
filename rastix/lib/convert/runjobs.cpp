#include "convert/runjobs.h"

#include "convert/convertjob.h"
#include "convert/paletteset.h"
#include "files/messageline.h"
#include "files/utf8path.h"
#include "output/outputnames.h"
#include "palette/plannedpalette.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

namespace rastix {

namespace {

// The run's two streams. Every line reaches them through here, one line whatever the names in
// it hold. A failed write to `out` (a full disk, a closed pipe) would lose the list of written
// files without a word: it is said once on `err`, and the run fails.
class LineStreams {
public:
    LineStreams(std::ostream& out, std::ostream& err)
        : m_out(out)
        , m_err(err) {}

    void out(const std::string& line) {
        watched([&] { m_out << messageLine(line) << '\n'; });
    }
    void err(const std::string& line) { m_err << messageLine(line) << '\n'; }
    void flush() {
        watched([&] { m_out.flush(); });
        m_err.flush();
    }
    bool outFailed() const { return m_outFailed; }

private:
    template <typename Write> void watched(Write write) {
        errno = 0;
        write();
        const int error = errno;
        if (m_out || m_outFailed)
            return;
        m_outFailed = true;
        err(standardOutputFailure(error));
    }

    std::ostream& m_out;
    std::ostream& m_err;
    bool m_outFailed = false;
};

bool writeResult(const Job& job, const PictureResult& result, AtomicFileWriter& writer,
                 LineStreams& lines) {
    const auto fail = [&](const std::string& why) {
        lines.err("rastix: " + job.picture + ": " + why);
        return false;
    };
    const auto skip = [&](const std::string& existing) {
        lines.err("rastix: " + existing + ": exists already, not overwritten (use --overwrite); " +
                  job.picture + " skipped");
        return false;
    };
    if (!result.existingOutput.empty())
        return skip(result.existingOutput);
    if (!result.error.empty())
        return fail(result.error);
    if (!job.settings.overwrite) {
        // Checked again for every output, as one may have been made while the picture was
        // converted, so a map is never written without its palette.
        for (const OutputFile& file : result.files) {
            std::error_code ec;
            if (std::filesystem::exists(utf8Path(file.path), ec) || ec)
                return skip(file.path);
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
        lines.out("wrote " + file.path + " (" + result.description + ")");
    if (!result.warning.empty())
        lines.err("rastix: " + job.picture + ": warning: " + result.warning);
    return true;
}

// The palette files of a set, written before its first picture's; false when they could not
// be, and the set's pictures are then not written either.
bool writeSetFiles(const PaletteSetRun& run, std::size_t i, AtomicFileWriter& writer,
                   LineStreams& lines, std::map<int, bool>& setWritten) {
    if (!run.setFilesBefore[i])
        return true;
    const Settings& s = run.jobs[i].settings;
    const std::string name =
        (s.sharing == PaletteSharing::SharedClut ? "--shared-clut " : "--banks ") +
        s.paletteSetName;
    const bool written = writeResult(Job{name, s}, *run.setFilesBefore[i], writer, lines);
    setWritten[run.setOf[i]] = written;
    return written;
}

// A picture of a set whose palette could not be written: its map would not match any palette.
bool setUnwritten(const PaletteSetRun& run, std::size_t i, LineStreams& lines,
                  const std::map<int, bool>& setWritten) {
    const auto it = setWritten.find(run.setOf[i]);
    if (run.setOf[i] == 0 || it == setWritten.end() || it->second)
        return false;
    lines.err("rastix: " + run.jobs[i].picture + ": not written, as its palette " +
              paletteSetPaths(run.jobs[i].settings).front() + " could not be");
    return true;
}

// convertJob, with what it throws turned into the picture's error; a picture whose fate was
// decided while its set's palette was planned is not converted.
PictureResult convertGuarded(const PaletteSetRun& run, std::size_t i, const PictureLoader& loader,
                             int encodeThreads, AtomicFileWriter* writer, MemoryBudget& budget,
                             const PngEncoder& png) {
    if (run.decided[i])
        return *run.decided[i];
    const Job& job = run.jobs[i];
    try {
        if (run.kept[i])
            return convertKept(job, *run.kept[i], encodeThreads, writer, png);
        return convertJob(job, loader, encodeThreads, writer, &budget, png);
    } catch (const std::bad_alloc&) {
        PictureResult r;
        r.error = "not enough memory to convert this picture";
        return r;
    } catch (const PaletteRefused& e) {
        PictureResult r;
        r.error = e.what();
        return r;
    } catch (const std::exception& e) {
        PictureResult r;
        r.error = std::string("conversion failed: ") + e.what();
        return r;
    }
}

} // namespace

int runJobs(const std::vector<Job>& pictures, const PictureLoader& loader, AtomicFileWriter& writer,
            std::ostream& out, std::ostream& err, int threads, std::uint64_t memoryBytes,
            const PngEncoder& png) {
    const std::size_t n = pictures.size();
    MemoryBudget budget(memoryBytes);
    LineStreams lines(out, err);
    const PaletteSetRun run = planPaletteSets(pictures, loader, threads, budget);
    const std::vector<Job>& jobs = run.jobs;
    std::map<int, bool> setWritten;
    if (n == 1) {
        // One picture: converted here, with every core for it.
        const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
        const PictureResult result = convertGuarded(run, 0, loader, cores, &writer, budget, png);
        writeSetFiles(run, 0, writer, lines, setWritten);
        const bool written =
            !setUnwritten(run, 0, lines, setWritten) && writeResult(jobs[0], result, writer, lines);
        lines.flush();
        return written && !lines.outFailed() ? 0 : 1;
    }
    threads = std::max(1, std::min(threads, static_cast<int>(n)));
    const int encodeThreads = 1; // the pictures share the cores out among themselves
    // Pictures may finish in any order, but are written in argument order; the look-ahead
    // window keeps the number of finished pictures waiting their turn bounded. Their outputs
    // are staged on disk while they are made, where possible, rather than held in memory.
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
            PictureResult r = convertGuarded(run, i, loader, encodeThreads, &writer, budget, png);
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
        writeSetFiles(run, i, writer, lines, setWritten);
        allGood = !setUnwritten(run, i, lines, setWritten) &&
                  writeResult(jobs[i], r, writer, lines) && allGood;
        lines.flush();
        {
            std::lock_guard lock(mutex);
            written = i + 1;
        }
        changed.notify_all();
    }
    for (auto& w : workers)
        w.join();
    return allGood && !lines.outFailed() ? 0 : 1;
}

} // namespace rastix
