// Reading the running executable's version block, as the usage hit does when the main
// window is shown and the About dialog when it opens.
#include "fileversioninfo.h"
#include "programversion.h"

#include <benchmark/benchmark.h>

using namespace tavelorn;

namespace {

void BM_RunningExecutableOriginalName(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(programOriginalFileName());
}
BENCHMARK(BM_RunningExecutableOriginalName)->Unit(benchmark::kMicrosecond);

void BM_RunningExecutableVersion(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(programVersion());
}
BENCHMARK(BM_RunningExecutableVersion)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
