// Converting a large photo-like JPEG: decoding alone, then decoding plus RGB16 or CRY16 binary
// output written to disk, all in one run so the figures compare directly; *AgainstDecode time
// both turn about and report the ratio.
//   bench_rastix                       run the benchmarks (the picture is made in a temp folder)
//   bench_rastix --write-picture FILE  only write the test picture (used by the comparison script)
#include "converter.h"
#include "qtpictureloader.h"

#include <QCoreApplication>
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

namespace {

QString g_picture;
QString g_outDir;

bool writeTestPicture(const QString& path) {
    // Smooth gradients, rings and a little noise: something like a photo for the JPEG coder.
    QImage img(6000, 4000, QImage::Format_RGB32);
    unsigned seed = 12345;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) & 15) - 8;
            const double ring = std::sin(std::hypot(x - 3000.0, y - 2000.0) / 90.0);
            const int r = std::clamp(x * 255 / 6000 + noise, 0, 255);
            const int g = std::clamp(static_cast<int>(128 + 100 * ring) + noise, 0, 255);
            const int b = std::clamp(y * 255 / 4000 + noise, 0, 255);
            row[x] = qRgb(r, g, b);
        }
    }
    return img.save(path, "JPEG", 90);
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

// Decoding as rastix does it (into a prepared buffer; with two threads a JPEG is decoded in two
// bands at once): the first step of every conversion.
void BM_DecodeRastixLoader(benchmark::State& state) {
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        rastix::LoadedPicture picture;
        std::string error;
        if (!rastix::loadPictureWithQt(g_picture.toStdString(), picture, error, threads))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(picture.view.pixels);
    }
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
        if (rastix::runJobs({job}, rastix::loadPictureWithQt, writer, out, err, 2) != 0)
            state.SkipWithError(err.str().c_str());
    }
}

// The target itself: a whole conversion against decoding alone, timed turn about in the same
// iterations so that the load on the machine weighs on both alike. Reports both times in ms
// (mean and best) and the two ratios. Argument 0 converts into a folder without the output
// (its previous copy is deleted between the timed parts); argument 1 replaces the output each
// time, which on some file systems adds the cost of freeing the replaced file's blocks.
void convertAgainstDecode(benchmark::State& state, rastix::ColourModel model) {
    using Clock = std::chrono::steady_clock;
    const rastix::Job job = binaryJob(model);
    double decodeSum = 0;
    double convertSum = 0;
    double decodeBest = 1e30;
    double convertBest = 1e30;
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    const bool replace = state.range(0) != 0;
    const std::string output = rastix::trueColourBinaryPath(job.settings, job.picture);
    for (auto _ : state) {
        if (!replace)
            std::remove(output.c_str());
        const auto t0 = Clock::now();
        {
            rastix::LoadedPicture picture;
            std::string error;
            if (!rastix::loadPictureWithQt(job.picture, picture, error, 2))
                state.SkipWithError(error.c_str());
            benchmark::DoNotOptimize(picture.view.pixels);
        }
        const auto t1 = Clock::now();
        std::ostringstream out;
        std::ostringstream err;
        rastix::AtomicFileWriter writer;
        if (rastix::runJobs({job}, rastix::loadPictureWithQt, writer, out, err, 2) != 0)
            state.SkipWithError(err.str().c_str());
        const auto t2 = Clock::now();
        decodeSum += ms(t1 - t0);
        convertSum += ms(t2 - t1);
        decodeBest = std::min(decodeBest, ms(t1 - t0));
        convertBest = std::min(convertBest, ms(t2 - t1));
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["decode_ms"] = decodeSum / n;
    state.counters["convert_ms"] = convertSum / n;
    state.counters["ratio"] = convertSum / decodeSum;
    state.counters["best_decode_ms"] = decodeBest;
    state.counters["best_convert_ms"] = convertBest;
    state.counters["best_ratio"] = convertBest / decodeBest;
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
BENCHMARK(BM_DecodeRastixLoader)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3)
    ->UseRealTime();
BENCHMARK(BM_ConvertRgb16Binary)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_ConvertCry16Binary)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_Rgb16AgainstDecode)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(4)
    ->UseRealTime();
BENCHMARK(BM_Cry16AgainstDecode)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(4)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--write-picture") == 0)
        return writeTestPicture(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
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
