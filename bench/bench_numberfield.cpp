#include "numberfield.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// One check per focus change is all the dialog ever asks for; this shows the price of one.
void BM_CheckNumberField(benchmark::State& state) {
    const std::vector<std::string> inputs = {"360",   "007",   " 5",          "&H10",
                                             "12abc", "2.5e2", "-2147483648", "999999999999"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(glyphmill::CheckNumberField(inputs[i], 0));
        i = (i + 1) % inputs.size();
    }
}
BENCHMARK(BM_CheckNumberField);

// A pasted wall of digits: the reading must stay linear and never overflow.
void BM_CheckNumberFieldLongText(benchmark::State& state) {
    const std::string text(static_cast<std::size_t>(state.range(0)), '9');
    for (auto _ : state)
        benchmark::DoNotOptimize(glyphmill::CheckNumberField(text, 0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CheckNumberFieldLongText)->Range(16, 1 << 15)->Complexity();

} // namespace
BENCHMARK_MAIN();
