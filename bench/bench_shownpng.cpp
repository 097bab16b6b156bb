// What --show-png adds to a conversion, which the front-end runs after every change of an
// option: the words read back as the console shows them, then the PNG of that, for a screen-sized
// picture and a large photo, each in RGB16, CRY16 and an 8-bit map.
#include "benchpictures.h"
#include "codec/consoleview.h"
#include "encode/pictureencoder.h"
#include "loaders/pngwriter.h"

#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <tuple>
#include <utility>

namespace {

enum Kind { Rgb16, Cry16, Map8 };

rastix::Settings settingsFor(int kind) {
    rastix::Settings s;
    s.model = kind == Cry16 ? rastix::ColourModel::Cry16 : rastix::ColourModel::Rgb16;
    s.colourMap = kind == Map8;
    return s;
}

// The bench picture of that size, encoded once and kept for every run.
const rastix::EncodedPicture& encoded(int width, int height, int kind) {
    static std::map<std::tuple<int, int, int>, rastix::EncodedPicture> made;
    const auto key = std::make_tuple(width, height, kind);
    if (const auto it = made.find(key); it != made.end())
        return it->second;
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.png");
    if (!writeBenchPicture(path, width, height))
        std::abort();
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    const rastix::ImageView view{reinterpret_cast<const std::uint32_t*>(image.constBits()), width,
                                 height, image.bytesPerLine() / 4};
    return made[key] = rastix::encodePicture(view, settingsFor(kind), 2);
}

void BM_ConsoleView(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(2));
    const rastix::EncodedPicture& picture =
        encoded(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), kind);
    std::string error;
    for (auto _ : state)
        benchmark::DoNotOptimize(rastix::consoleView(picture, settingsFor(kind), error));
}

void BM_ShownPng(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(2));
    const rastix::EncodedPicture& picture =
        encoded(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), kind);
    std::string error;
    const rastix::ShownPicture shown = rastix::consoleView(picture, settingsFor(kind), error);
    std::size_t bytes = 0;
    for (auto _ : state) {
        rastix::ByteBuffer png;
        rastix::encodePng(shown, png, error);
        bytes = png.size();
    }
    state.counters["png_MB"] = static_cast<double>(bytes) / 1e6;
}

void sizes(benchmark::internal::Benchmark* b) {
    for (const int kind : {Rgb16, Cry16, Map8}) {
        b->Args({320, 240, kind});
        b->Args({6000, 4000, kind});
    }
    b->ArgNames({"w", "h", "rgb16_cry16_map8"});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_ConsoleView)->Apply(sizes);
BENCHMARK(BM_ShownPng)->Apply(sizes);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
