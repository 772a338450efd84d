// FillRandom against memset on the wiper's 131072-byte buffer.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "fill_ratio.h"
#include "wipe/random.h"
#include "wipe/random_lanes.h"

using namespace bpriv;

namespace {

constexpr size_t kBytes = kBenchBufferBytes;

void BM_Memset(benchmark::State& state) {
  CAlignedBytes buffer(kBytes);
  int value = 0;
  for (auto _ : state) {
    std::memset(buffer.data(), ++value & 0xFF, kBytes);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_Memset);

void BM_FillRandom(benchmark::State& state) {
  const LanePath path = static_cast<LanePath>(state.range(0));
  if (!IsLanePathSupported(path)) {
    state.SkipWithError("path not supported by this CPU");
    return;
  }
  CAlignedBytes buffer(kBytes);
  uint32_t s = 1;
  for (auto _ : state) {
    s = FillWords(path, s, buffer.data(), kBytes / 4);
    benchmark::DoNotOptimize(s);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
  state.SetLabel(path == LanePath::kScalar  ? "one step"
                 : path == LanePath::kSse2  ? "sse2"
                 : path == LanePath::kSse41 ? "sse4.1"
                                            : "avx2");
}
BENCHMARK(BM_FillRandom)->DenseRange(0, 3);

// The goal: the run-time chosen path at 0.9x memset's speed or better.
void BM_FillRandomSpeedVsMemset(benchmark::State& state) {
  FillTimes t = {0, 0};
  for (auto _ : state) t = TimeFillAgainstMemset(BestLanePath(), 5, 2000);
  state.counters["speed_vs_memset"] = t.memset_seconds / t.fill_seconds;
}
BENCHMARK(BM_FillRandomSpeedVsMemset)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
