// Reading the running executable's version block, as the usage hit does when the main
// window is shown and the About dialog when it opens.
#include "fileversioninfo.h"
#include "programversion.h"

#include <benchmark/benchmark.h>

namespace {

void BM_RunningExecutableOriginalName(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ProgramOriginalFileName());
}
BENCHMARK(BM_RunningExecutableOriginalName)->Unit(benchmark::kMicrosecond);

void BM_RunningExecutableVersion(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(GetProgramVersion());
}
BENCHMARK(BM_RunningExecutableVersion)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
