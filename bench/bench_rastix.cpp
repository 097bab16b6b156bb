// Converting a large photo-like JPEG: decoding alone, then decoding plus RGB16 or CRY16 binary
// output written to disk, all in one run so the figures compare directly; *AgainstDecode time
// them turn about and report the ratios.
//   bench_rastix                       run the benchmarks (the picture is made in a temp folder)
//   bench_rastix --write-picture FILE [WxH]  only write the test picture, 6000x4000 unless told,
//                                       in the form FILE's name asks for (see benchpictures.h;
//                                       used by the scripts)
//   bench_rastix --decode FILE          only decode FILE whole with Qt's reader, as any Qt program
//                                       would: the yardstick of bench/rastix_memory.sh
//   bench_rastix --estimate ARGS...     for each picture of a rastix command line, the memory
//                                       rastix asks for before decoding it, converting nothing
//                                       (bench/rastix_routes.sh)
#include "benchpictures.h"
#include "cli/commandline.h"
#include "convert/convertjob.h"
#include "convert/loadedpicture.h"
#include "convert/runjobs.h"
#include "loaders/jpegreader.h"
#include "loaders/pictureloader.h"
#include "loaders/qtreader.h"
#include "loaders/rowstream.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

namespace {

QString g_picture;
QString g_outDir;

bool writeTestPicture(const QString& path, int width = 6000, int height = 4000) {
    return writeBenchPicture(path, width, height);
}

// Decodes a picture whole as a plain Qt program does; false when it cannot.
bool decodeOnly(const QString& path) {
    QImageReader::setAllocationLimit(0);
    QImageReader reader(path);
    QImage image;
    return reader.read(&image) && !image.isNull();
}

// Decoding as any Qt program does it: the reader allocates the picture itself.
void BM_DecodeQtReader(benchmark::State& state) {
    for (auto _ : state) {
        QImageReader reader(g_picture);
        QImage image;
        if (!reader.read(&image))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Decoding the whole picture into memory as rastix does when it needs all of it (to cut, turn
// or map it): into a prepared buffer in large pages.
bool decodeWhole() {
    rastix::LoadedPicture picture;
    std::string error;
    const bool ok = rastix::loadPicture(g_picture.toStdString(), picture, error, 2);
    benchmark::DoNotOptimize(picture.view.pixels);
    return ok;
}

void BM_DecodeRastixLoader(benchmark::State& state) {
    for (auto _ : state)
        if (!decodeWhole())
            state.SkipWithError("decode failed");
}

// Takes every row and keeps none: what decoding costs with nothing else to do, not even holding
// the picture.
class DiscardingSink : public rastix::RowSink {
public:
    bool begin(int width, int) override {
        m_room.resize(static_cast<std::size_t>(width) * kChunkRows);
        return true;
    }
    std::uint32_t* rowsToFill(int, int) override { return m_room.data(); }
    void rowsFilled() override { benchmark::DoNotOptimize(m_room.data()); }
    bool end(bool allRows) override { return allRows; }

private:
    std::vector<std::uint32_t> m_room;
};

bool decodeDiscarding() {
    DiscardingSink sink;
    int width = 0;
    int height = 0;
    return rastix::streamJpeg(g_picture.toStdString(), sink, width, height) ==
           rastix::RowStreamResult::Complete;
}

void BM_DecodeRowsDiscarded(benchmark::State& state) {
    for (auto _ : state)
        if (!decodeDiscarding())
            state.SkipWithError("decode failed");
}

// The test picture as true-colour binary into the scratch folder, replacing any earlier output.
rastix::Job binaryJob(rastix::ColourModel model) {
    rastix::Job job;
    job.picture = g_picture.toStdString();
    job.settings.model = model;
    job.settings.format = rastix::OutputFormat::Binary;
    job.settings.overwrite = true;
    job.settings.targetDir = g_outDir.toStdString();
    return job;
}

void convertAndWrite(benchmark::State& state, rastix::ColourModel model) {
    const rastix::Job job = binaryJob(model);
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        rastix::AtomicFileWriter writer;
        if (rastix::runJobs({job}, rastix::loadPicture, writer, out, err, 2) != 0)
            state.SkipWithError(err.str().c_str());
    }
}

// The target itself: a whole conversion against decoding alone, timed turn about in the same
// iterations so that the load on the machine weighs on all alike. Decoding alone is measured
// two ways: into memory as a whole picture (whole_*), and rows decoded and dropped (bare_*).
// Reports median times in ms; the median of each turn's ratio of conversion to decoding (the
// steps of one turn share the state of the machine), and the ratio of the best times.
// Argument 0 writes a new file each time, into a folder of its own; the previous one is deleted
// before the timed steps. Argument 1 replaces the same output each time, and so includes what
// the file system takes to free the replaced file's blocks (15-22 ms for 48 MB here).
void convertAgainstDecode(benchmark::State& state, rastix::ColourModel model) {
    using Clock = std::chrono::steady_clock;
    rastix::Job job = binaryJob(model);
    QTemporaryDir outputs(g_outDir + "/run-XXXXXX");
    // Medians, as single slow turns (the machine busy elsewhere) would pull a mean about.
    struct Timing {
        std::vector<double> ms;
        void add(Clock::duration d) {
            ms.push_back(std::chrono::duration<double, std::milli>(d).count());
        }
        double median() {
            std::sort(ms.begin(), ms.end());
            return ms.empty() ? 0 : ms[ms.size() / 2];
        }
        double best() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }
    };
    Timing whole;
    Timing bare;
    Timing convert;
    Timing againstWhole; // not times but ratios, kept the same way
    Timing againstBare;
    const bool replace = state.range(0) != 0;
    int run = 0;
    for (auto _ : state) {
        if (!replace) {
            if (run > 0)
                QDir(outputs.filePath(QString::number(run - 1))).removeRecursively();
            const QString folder = outputs.filePath(QString::number(run++));
            QDir().mkpath(folder);
            job.settings.targetDir = folder.toStdString();
        }
        const auto t0 = Clock::now();
        if (!decodeWhole())
            state.SkipWithError("decode failed");
        const auto t1 = Clock::now();
        if (!decodeDiscarding())
            state.SkipWithError("decode failed");
        const auto t2 = Clock::now();
        std::ostringstream out;
        std::ostringstream err;
        rastix::AtomicFileWriter writer;
        if (rastix::runJobs({job}, rastix::loadPicture, writer, out, err, 2) != 0)
            state.SkipWithError(err.str().c_str());
        const auto t3 = Clock::now();
        whole.add(t1 - t0);
        bare.add(t2 - t1);
        convert.add(t3 - t2);
        againstWhole.ms.push_back(convert.ms.back() / whole.ms.back());
        againstBare.ms.push_back(convert.ms.back() / bare.ms.back());
    }
    state.counters["whole_ms"] = whole.median();
    state.counters["bare_ms"] = bare.median();
    state.counters["convert_ms"] = convert.median();
    state.counters["ratio_whole"] = againstWhole.median();
    state.counters["ratio_bare"] = againstBare.median();
    state.counters["best_ratio_whole"] = convert.best() / whole.best();
    state.counters["best_ratio_bare"] = convert.best() / bare.best();
}

void BM_Rgb16AgainstDecode(benchmark::State& state) {
    convertAgainstDecode(state, rastix::ColourModel::Rgb16);
}

void BM_Cry16AgainstDecode(benchmark::State& state) {
    convertAgainstDecode(state, rastix::ColourModel::Cry16);
}

void BM_ConvertRgb16Binary(benchmark::State& state) {
    convertAndWrite(state, rastix::ColourModel::Rgb16);
}

void BM_ConvertCry16Binary(benchmark::State& state) {
    convertAndWrite(state, rastix::ColourModel::Cry16);
}

BENCHMARK(BM_DecodeQtReader)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_DecodeRastixLoader)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_DecodeRowsDiscarded)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_ConvertRgb16Binary)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_ConvertCry16Binary)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_Rgb16AgainstDecode)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(8)
    ->UseRealTime();
BENCHMARK(BM_Cry16AgainstDecode)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(8)
    ->UseRealTime();

} // namespace

// A budget of nothing refuses the first admission, whose message tells what was asked for.
int printEstimates(const std::vector<std::string>& args) {
    const rastix::CommandLine line =
        rastix::parseCommandLine(args, [](const std::string&) { return std::string(); });
    if (!line.error.empty()) {
        std::cerr << "bench_rastix: " << line.error << '\n';
        return 2;
    }
    rastix::allowDecodingUpTo(std::uint64_t{1} << 50);
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    rastix::AtomicFileWriter writer;
    for (const rastix::Job& job : line.jobs) {
        rastix::MemoryBudget nothing(0);
        const rastix::PictureResult result = rastix::convertJob(
            job, rastix::loadPicture, line.jobs.size() == 1 ? cores : 1, &writer, &nothing);
        std::cout << job.picture << ": " << result.error << '\n';
    }
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "--estimate") == 0)
        return printEstimates(std::vector<std::string>(argv + 2, argv + argc));
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--write-picture") == 0) {
        int width = 6000;
        int height = 4000;
        if (argc == 4 && std::sscanf(argv[3], "%dx%d", &width, &height) != 2)
            return 2;
        return writeTestPicture(QString::fromLocal8Bit(argv[2]), width, height) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--decode") == 0)
        return decodeOnly(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    QTemporaryDir dir;
    if (!dir.isValid() || !writeTestPicture(dir.filePath("photo.jpg"))) {
        std::cerr << "bench_rastix: cannot write the test picture\n";
        return 1;
    }
    g_picture = dir.filePath("photo.jpg");
    g_outDir = dir.path();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
