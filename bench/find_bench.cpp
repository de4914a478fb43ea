// What the Find window costs per keystroke: reading the text, looking it up in the prepared index
// and making the rows, on the largest catalogue (65,535 media, 65,535 lines); and making the index.
#include <benchmark/benchmark.h>

#include <string>

#include "common/synthetic_catalogue.h"
#include "windows/find_query.h"

namespace {

using namespace quorvanta;

const TransitionDatabase& largest() {
    static const TransitionDatabase db = testing::syntheticCatalogue(65535, 65535);
    return db;
}

void findIndex(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(CatalogueIndex(largest()));
}
BENCHMARK(findIndex)->Unit(benchmark::kMillisecond);

void findKeystroke(benchmark::State& state, const char* text) {
    const CatalogueIndex index(largest());
    for (auto _ : state)
        benchmark::DoNotOptimize(findResults(parseFindText(text), largest(), index));
}
BENCHMARK_CAPTURE(findKeystroke, wavelength, "1064 nm")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(findKeystroke, range_all, "10-20000")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(findKeystroke, name_every_medium, "laser")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(findKeystroke, name_none, "zzz")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(findKeystroke, bad_text, "1e999")->Unit(benchmark::kMicrosecond);

}  // namespace
