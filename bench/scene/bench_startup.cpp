// Start-up of a scene: what the show's first frame waits for. Load + FitToSize to 1920 x 1080 +
// Prepare of the demo's lake scene (960 x 640, a reflecting perspective lake in the lower part).
// Goal: well under 60 ms on one core.
//
// The scene is KY_BENCH_SCENE when set, else the demo's lake.kyp of this build tree (build the
// `demo` target); without either, a scene of the same shape is written to $TMPDIR first.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "platform/uTicks.h"
#include "scene/engine/uAnimEngine.h"
#include "scene/records/uRegionCodes.h"
#include "graphics/uJpegWriter.h"
#include "scene/model/uKyProject.h"
#include "scene/file/uSceneWriter.h"

namespace {

bool FileExists(const std::string& path) { return static_cast<bool>(std::ifstream(path, std::ios::binary)); }

// A stand-in for the lake: sky and hills above row 400, reflecting water below.
std::string WriteStandInScene() {
  const int w = 960, h = 640, shore = 400;
  ky::TSceneDescription s;
  s.Title = "Stand-in lake";
  s.Width = w;
  s.Height = h;
  ky::TBitmap32 photo(w, h);
  s.MaskPicture.SetSize(w, h);
  uint32_t seed = 7;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>(seed >> 28);
      const bool water = y >= shore;
      photo.SetPixel(x, y, water ? ky::MakeColor32(30 + noise, 50 - y / 16, 80)
                                 : ky::MakeColor32(x / 6 + noise, 120 - y / 5, 60 + (x ^ y) % 40));
      s.MaskPicture.SetPixel(x, y, ky::RegionColour(water ? 1 : 0));
    }
  s.PictureJpeg = ky::EncodeJpeg(photo, 92);
  ky::TBitmap32 preview(160, 107);
  s.PreviewJpeg = ky::EncodeJpeg(preview, 85);
  ky::TWaveParam& lake = s.WaveSets[0];
  lake.Amplitude = 4;
  lake.Frequency = 20;
  lake.PhaseSpeed = 12;
  lake.Reflection = true;
  const char* tmp = std::getenv("TMPDIR");
  const std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/kysaver-bench-lake.kyp";
  const std::vector<uint8_t> bytes = ky::EncodeSceneFile(s);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
}

const std::string& ScenePath() {
  static const std::string path = [] {
    if (const char* env = std::getenv("KY_BENCH_SCENE")) return std::string(env);
    const std::string demo = KY_DEMO_LAKE;
    return FileExists(demo) ? demo : WriteStandInScene();
  }();
  return path;
}

// The first scene of a show: a new project and a new engine.
void BM_SceneStart(benchmark::State& state) {
  const std::string& path = ScenePath();
  ky::TManualTicks ticks{1000};
  for (auto _ : state) {
    ky::TProject project;
    if (!project.Load(path)) {
      state.SkipWithError(("cannot load " + path + ": " + project.LoadError()).c_str());
      break;
    }
    project.FitToSize(false, 1920, 1080);
    ky::TAnimEngine engine{ticks};
    engine.SetProject(project);
    engine.SetWeather(false);
    engine.Prepare();
    benchmark::DoNotOptimize(engine.FrameSurface().Bits());
  }
  state.SetLabel(path);
}

// A later scene: the engine is the show's, already sized by the scene before.
void BM_SceneChange(benchmark::State& state) {
  const std::string& path = ScenePath();
  ky::TManualTicks ticks{1000};
  ky::TAnimEngine engine{ticks};
  for (auto _ : state) {
    ky::TProject project;
    if (!project.Load(path)) {
      state.SkipWithError(("cannot load " + path + ": " + project.LoadError()).c_str());
      break;
    }
    project.FitToSize(false, 1920, 1080);
    engine.SetProject(project);
    engine.SetWeather(false);
    engine.Prepare();
    benchmark::DoNotOptimize(engine.FrameSurface().Bits());
  }
  state.SetLabel(path);
}

// The three parts on their own (0 Load, 1 FitToSize, 2 Prepare with a new engine); what comes
// before the part and the clean-up after it are not timed.
void BM_SceneStartParts(benchmark::State& state) {
  const std::string& path = ScenePath();
  ky::TManualTicks ticks{1000};
  const int part = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto project = std::make_unique<ky::TProject>();
    auto engine = std::make_unique<ky::TAnimEngine>(ticks);
    bool loaded = true;
    if (part > 0) loaded = project->Load(path);
    if (part > 1) project->FitToSize(false, 1920, 1080);
    state.ResumeTiming();
    if (part == 0) {
      loaded = project->Load(path);
    } else if (part == 1) {
      project->FitToSize(false, 1920, 1080);
    } else {
      engine->SetProject(*project);
      engine->SetWeather(false);
      engine->Prepare();
    }
    state.PauseTiming();
    if (!loaded) {
      state.SkipWithError(("cannot load " + path).c_str());
      break;
    }
    engine.reset();
    project.reset();
    state.ResumeTiming();
  }
}

}  // namespace

BENCHMARK(BM_SceneStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SceneChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SceneStartParts)->ArgName("part")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
