// Composing the command for a long selection, against the cheapest possible way of gluing
// the same pieces together. The ratio of the two is what counts, not the absolute time.
#include "commandcomposer.h"

#include <benchmark/benchmark.h>

using namespace glyphmill;

namespace {

std::vector<std::string> fileNames(int count) {
    std::vector<std::string> names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names.push_back("holiday picture " + std::to_string(100000 + i) + ".jpg");
    return names;
}

const std::vector<std::string> kFiles = fileNames(10000);
const std::string kFolder = "/home/someone/projects/jaguar/tools";

void BM_Compose(benchmark::State& state) {
    ConversionSettings settings;
    const PathConvention convention = PathConvention::posix();
    const DirectoryTest isDirectory = [](const std::string&) {
        return false;
    };
    for (auto _ : state) {
        ComposedCommand command =
            composeCommand({settings, kFolder, kFiles, convention, isDirectory});
        benchmark::DoNotOptimize(command);
    }
}
BENCHMARK(BM_Compose);

void BM_BareConcatenation(benchmark::State& state) {
    const char* pieces[] = {"/rastix ",        " -rgb ",      " --binary ",
                            " --no-opt-clut ", " --16-bits ", " --no-overwrite "};
    for (auto _ : state) {
        std::string text;
        std::size_t size = kFolder.size() + 80;
        for (const auto& name : kFiles)
            size += name.size() + 1;
        text.reserve(size);
        text += kFolder;
        for (const char* piece : pieces)
            text += piece;
        for (const auto& name : kFiles) {
            text += ' ';
            text += name;
        }
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_BareConcatenation);

} // namespace

BENCHMARK_MAIN();
