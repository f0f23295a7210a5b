// Rain and snow on a 1080p frame, and one whole step of each demo scene fitted to 1080p.
// Goals: rain with 400 drops at most 1 ms a frame (move and draw); every demo scene's step well
// inside the 33 ms of a frame (its p99 in the running show under 12 ms).
//
// The demo scenes are read from KY_DEMO_SOURCES (the build tree's demo/sources; build the
// `demo` target first); a scene that is not there is skipped.
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

#include "platform/uRandom.h"
#include "platform/uTicks.h"
#include "scene/engine/uAnimEngine.h"
#include "scene/model/uKyProject.h"
#include "scene/records/uSceneRecords.h"
#include "scene/weather/uWeather.h"

namespace {

// A frame with some structure, so blends read varied pixels.
ky::TBitmap32 Backdrop(int w, int h) {
  ky::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y) {
    ky::TColor32* row = b.ScanLine(y);
    for (int x = 0; x < w; ++x) row[x] = ky::MakeColor32(x * 5, y * 3, (x ^ y) & 0xFF);
  }
  return b;
}

// One frame of weather: the particles move by 33 ms, then are drawn over a fresh frame, as the
// engine does after copying the water into its overlay (the copy is not timed here).
void RunWeather(benchmark::State& state, const ky::TWeatherParam& weather) {
  const ky::TBitmap32 backdrop = Backdrop(1920, 1080);
  ky::TBitmap32 target;
  target.Assign(backdrop);
  ky::TRandom random;
  random.SetSeed(12345);
  std::unique_ptr<ky::TWeather> effect = ky::MakeWeather(weather, target, random);
  effect->Start(weather);
  for (auto _ : state) {
    state.PauseTiming();
    target.Assign(backdrop);
    state.ResumeTiming();
    effect->Step(33, 100, weather);
    effect->Draw();
    benchmark::DoNotOptimize(target.Bits());
    benchmark::ClobberMemory();
  }
}

// The demo harbour's rain: speed index 14, angle 80, drop length 12, opacity 6. Counts above 1000
// are drawn as 1000.
void BM_Rain1080p(benchmark::State& state) {
  RunWeather(state, ky::TWeatherParam{ky::kWeatherRain, static_cast<int32_t>(state.range(0)), 14, 80, 12, 6});
}

// Snow of the demo's winter pond: speed index 8, largest flake 5, opacity 9.
void BM_Snow1080p(benchmark::State& state) {
  RunWeather(state, ky::TWeatherParam{ky::kWeatherSnow, static_cast<int32_t>(state.range(0)), 8, 5, 0, 9});
}

bool FileExists(const std::string& path) { return static_cast<bool>(std::ifstream(path, std::ios::binary)); }

// One step of a demo scene as the plain show at 1920 x 1080 runs it: water, weather, no clock.
void StepScene(benchmark::State& state, const char* name) {
  const std::string path = std::string(KY_DEMO_SOURCES) + "/" + name + ".kyp";
  if (!FileExists(path)) {
    state.SkipWithError("demo scene not built (build the demo target)");
    return;
  }
  ky::TManualTicks ticks(1000);
  ky::TProject scene;
  if (!scene.Load(path)) {
    state.SkipWithError("demo scene does not load");
    return;
  }
  scene.FitToSize(true, 1920, 1080);
  ky::TAnimEngine engine(ticks);
  engine.SetProject(scene);
  engine.SetWeather(false);
  engine.Prepare();
  engine.SetWeather(scene.Weather().Kind > ky::kWeatherNone);
  for (auto _ : state) {
    ticks.Advance(33);
    engine.Step();
    benchmark::DoNotOptimize(engine.GetOutput().Bits());
    benchmark::ClobberMemory();
  }
}

void BM_SceneLake(benchmark::State& state) { StepScene(state, "lake"); }
void BM_SceneHarbour(benchmark::State& state) { StepScene(state, "harbour"); }
void BM_SceneWinter(benchmark::State& state) { StepScene(state, "winter"); }

}  // namespace

BENCHMARK(BM_Rain1080p)->Arg(400)->Arg(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Snow1080p)->Arg(600)->Arg(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SceneLake)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SceneHarbour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SceneWinter)->Unit(benchmark::kMillisecond);
