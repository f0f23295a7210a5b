// The cost of animated objects: one 1080p water frame with and without 101 objects (half
// animated GIFs of 64 x 64 with 10 frames, half PNGs with alpha, bouncing, those flying left
// drawn mirrored). Goal: the 101 objects add at most 3 ms to the frame.
//
// bench_objects --write-scene DIR writes the same scene as a description for
// "kysaver-tool scene" (scripts/measure-objects measures the live show with it).
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <png.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/uPngWriter.h"
#include "objects/uAnimObjects.h"
#include "platform/uTicks.h"
#include "scene/engine/uAnimEngine.h"
#include "scene/model/uKyProject.h"
#include "scene/records/uRegionCodes.h"

namespace {

constexpr int kW = 1920, kH = 1080, kObjects = 101, kSide = 64, kFrames = 10;

void WriteGif(const std::string& path, int seed) {
  int err = 0;
  GifFileType* g = EGifOpenFileName(path.c_str(), false, &err);
  if (!g) return;
  EGifSetGifVersion(g, true);
  std::vector<GifColorType> colours(16);
  for (int i = 0; i < 16; ++i)
    colours[static_cast<size_t>(i)] = {static_cast<GifByteType>(i * 16), static_cast<GifByteType>(255 - i * 12),
                                       static_cast<GifByteType>((i * 40 + seed * 7) & 0xFF)};
  ColorMapObject* map = GifMakeMapObject(16, colours.data());
  EGifPutScreenDesc(g, kSide, kSide, 8, 0, map);
  const GifByteType loop[3] = {1, 0, 0};
  EGifPutExtensionLeader(g, APPLICATION_EXT_FUNC_CODE);
  EGifPutExtensionBlock(g, 11, "NETSCAPE2.0");
  EGifPutExtensionBlock(g, 3, loop);
  EGifPutExtensionTrailer(g);
  for (int k = 0; k < kFrames; ++k) {
    GraphicsControlBlock gcb{DISPOSE_BACKGROUND, false, 8, 0};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    EGifPutImageDesc(g, 0, 0, kSide, kSide, false, nullptr);
    const double cx = 32 + 14 * std::cos(k * 0.628), cy = 32 + 14 * std::sin(k * 0.628);
    std::vector<GifPixelType> row(kSide);
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        const double d = std::hypot(x - cx, y - cy);
        row[static_cast<size_t>(x)] = d < 18 ? static_cast<GifPixelType>(1 + (static_cast<int>(d) + k) % 15) : 0;
      }
      EGifPutLine(g, row.data(), kSide);
    }
  }
  EGifCloseFile(g, &err);
  GifFreeMapObject(map);
}

void WritePng(const std::string& path, int seed) {
  std::vector<uint8_t> rgba(static_cast<size_t>(kSide * kSide * 4));
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      uint8_t* p = &rgba[static_cast<size_t>((y * kSide + x) * 4)];
      const double d = std::hypot(x - 31.5, y - 31.5) / 32;
      p[0] = static_cast<uint8_t>(x * 4);
      p[1] = static_cast<uint8_t>(y * 4);
      p[2] = static_cast<uint8_t>(seed * 9);
      p[3] = static_cast<uint8_t>(d >= 1 ? 0 : std::lround((1 - d) * 255));
    }
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = kSide;
  img.height = kSide;
  img.format = PNG_FORMAT_RGBA;
  png_image_write_to_file(&img, path.c_str(), 0, rgba.data(), 0, nullptr);
}

// The pictures in dir and the object text naming them by bare name.
std::string WriteObjects(const std::string& dir, bool fullPaths) {
  std::string text;
  for (int i = 0; i < kObjects; ++i) {
    const bool gif = i % 2 == 0;
    const std::string name = "obj" + std::to_string(i) + (gif ? ".gif" : ".png");
    if (gif) WriteGif(dir + "/" + name, i);
    else WritePng(dir + "/" + name, i);
    text += "[Obj" + std::to_string(i) + "]\r\nObjType=" + (gif ? "GIF" : "IMG") + "\r\nFilename=" +
            (fullPaths ? dir + "/" : "") + name + "\r\nMotion=2\r\nMotionSpeed=" + std::to_string(10 + i % 20) +
            "\r\nPosLeft=" + std::to_string(100 + (i * 173) % 1700) + "\r\nPosTop=" + std::to_string(100 + (i * 97) % 850) +
            "\r\nObjFacing=1\r\nDirFlip=" + (i % 3 == 0 ? "1" : "0") + "\r\nMotionAreaType=1\r\nMoveAreaRectleft=0\r\n"
            "MoveAreaRecttop=0\r\nMoveAreaRectright=" + std::to_string(kW) + "\r\nMoveAreaRectbottom=" +
            std::to_string(kH) + "\r\n";
  }
  return text;
}

void Photo(ky::TBitmap32& pic, ky::TBitmap32& mask) {
  pic.SetSize(kW, kH);
  mask.SetSize(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      pic.SetPixel(x, y, ky::MakeColor32(x * 7, y * 3, (x ^ y) & 0xFF));
      mask.SetPixel(x, y, y >= kH / 2 ? ky::RegionColour(1) : ky::MakeColor32(0, 0, 0));
    }
}

// A 1080p scene, lower half water, with or without the objects.
struct TBenchScene {
  ky::TManualTicks Ticks{1000};
  ky::TProject Project;
  ky::TAnimEngine Engine{Ticks};
  std::string Dir;

  // The clock makes the engine compose on its overlay, as every object does.
  TBenchScene(bool objects, bool clock) {
    Photo(Project.Picture(), Project.Mask());
    Engine.SetShowClock(clock);
    for (auto& wave : Project.WaveSets()) wave = ky::TWaveParam::Defaults();
    if (objects) {
      char tmpl[] = "/tmp/kybench-objects-XXXXXX";
      if (mkdtemp(tmpl)) Dir = tmpl;
      Project.Objects() = ky::LoadObjects(WriteObjects(Dir, true), ky::TObjectClock::ForScene(Ticks), "");
    }
    Engine.SetProject(Project);
    Engine.SetWeather(false);
    Engine.Prepare();
  }
  ~TBenchScene() {
    if (!Dir.empty()) std::system(("rm -rf '" + Dir + "'").c_str());
  }
};

void BM_EngineFrame1080p(benchmark::State& state) {
  const bool objects = state.range(0) != 0, clock = state.range(1) != 0;
  TBenchScene scene(objects, clock);
  for (auto _ : state) {
    scene.Ticks.Advance(33);
    scene.Engine.Step();
    benchmark::DoNotOptimize(scene.Engine.GetOutput().Bits());
  }
  state.SetLabel(std::string(objects ? "101 objects" : "no objects") + (clock ? ", clock" : ""));
}
// Water only; water and clock; water, clock and 101 objects (the objects' cost is the
// difference of the last two: both compose on the overlay).
BENCHMARK(BM_EngineFrame1080p)->Args({0, 0})->Args({0, 1})->Args({1, 1})->Unit(benchmark::kMillisecond);

// What waking every 5 ms costs: one ticker thread for the scene against one thread per object
// (101), each sleeping to its next 5 ms and doing no work. The counter is the process CPU time
// as a share of one core.
void BM_TickWakeups(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  double cpuShare = 0;
  for (auto _ : state) {
    timespec c0{}, c1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
      pool.emplace_back([start] {
        auto next = start;
        while (next < start + std::chrono::seconds(1)) {
          next += std::chrono::milliseconds(5);
          std::this_thread::sleep_until(next);
        }
      });
    for (std::thread& t : pool) t.join();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpuShare = ((c1.tv_sec - c0.tv_sec) + (c1.tv_nsec - c0.tv_nsec) / 1e9) / wall;
  }
  state.counters["cpu_percent_of_a_core"] = cpuShare * 100;
}
BENCHMARK(BM_TickWakeups)->Arg(1)->Arg(101)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

int WriteScene(const std::string& dir) {
  ky::TBitmap32 pic, mask;
  Photo(pic, mask);
  ky::SavePngFile(pic, dir + "/photo.png");
  ky::SavePngFile(mask, dir + "/mask.png");
  std::ofstream(dir + "/objects.ini", std::ios::binary) << WriteObjects(dir, false);
  std::ofstream(dir + "/scene.ini", std::ios::binary)
      << "[Scene]\nTitle=101 objects\nPhoto=photo.png\nMask=mask.png\nObjects=objects.ini\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-scene") return WriteScene(argv[2]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
