// One TransitionStep of every effect at 1920 x 1080: the old frame copied into the mixed frame
// and the effect drawn over it. A 2 s transition at 30 frames a second leaves about 8 ms a step.
//
//   bench_effects                        every effect, the percent moving as in a transition
//   bench_effects --benchmark_filter=Step/3$   one effect
#include <benchmark/benchmark.h>

#include "saver/effects/PSEffect.h"
#include "saver/effects/uEffectGallery.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

struct TFrames {
  ky::TBitmap32 From, To, Mix;
  TFrames() { ky::MakeGallerySamples(kWidth, kHeight, From, To); }
};

const TFrames& Frames() {
  static const TFrames frames;
  return frames;
}

void Step(benchmark::State& state) {
  const int effect = static_cast<int>(state.range(0));
  const TFrames& f = Frames();
  ky::TBitmap32 mix(kWidth, kHeight);
  ky::TRandom random(1);
  // Percent walks 5, 15 .. 95 so the figure is the mean over a whole transition.
  int k = 0;
  for (auto _ : state) {
    ky::TransitionStep(f.From, f.To, mix, effect, 5 + 10 * (k++ % 10), random);
    benchmark::DoNotOptimize(mix.Bits());
    benchmark::ClobberMemory();
  }
  state.SetLabel(ky::TransitionEffectName(effect));
}
BENCHMARK(Step)->DenseRange(1, ky::kTransitionEffectCount)->Unit(benchmark::kMillisecond);

// The copy of the old frame every step starts with, for comparison.
void CopyOnly(benchmark::State& state) {
  const TFrames& f = Frames();
  ky::TBitmap32 mix(kWidth, kHeight);
  for (auto _ : state) {
    std::copy_n(f.From.Bits(), static_cast<size_t>(kWidth) * kHeight, mix.Bits());
    benchmark::DoNotOptimize(mix.Bits());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(CopyOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
