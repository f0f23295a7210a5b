// Opening the thumbnail grid over 200 JPEG pictures of 4000 x 3000, as a saver with many large
// photographs would: the time to the grid's first paint, the time until every cell has been
// painted with its thumbnail, and, for comparison, the plain way of a full decode of each
// picture followed by the stretch, one after the other.
//
//   QT_QPA_PLATFORM=offscreen bench_thumbnails [--pictures=DIR]
//
// The pictures are made by the program (8 different ones, each written 25 times as files of
// their own) in DIR, or in a temporary folder that is removed at the end.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QPaintEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "config/ui/thumbnails/uKyThumbnail2.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uJpegReader.h"
#include "graphics/uJpegWriter.h"

using namespace ky;
using TClock = std::chrono::steady_clock;

namespace {

constexpr int kPictures = 200;
constexpr int kDistinct = 8;

std::vector<std::string> gFiles;

// A photograph stand-in: gradients, soft noise and hard edges, different for each seed.
TBitmap32 MakePicture(int w, int h, uint32_t seed) {
  TBitmap32 b;
  b.SetSize(w, h);
  uint32_t s = seed * 2654435761u + 1;
  for (int y = 0; y < h; ++y) {
    TColor32* row = b.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      s = s * 1664525u + 1013904223u;
      const int noise = static_cast<int>((s >> 24) & 15);
      const int r = (x * 200) / w + noise;
      const int g = ((x / (97 + static_cast<int>(seed)) + y / 61) % 2 ? 150 : 60) + noise;
      const int bl = (y * 180) / h + (noise >> 1) + static_cast<int>(seed) * 8;
      row[x] = MakeColor32(r & 0xFF, g & 0xFF, bl & 0xFF, 255);
    }
  }
  return b;
}

std::vector<std::string> WritePictures(const std::string& dir) {
  std::vector<std::string> files;
  for (int k = 0; k < kDistinct; ++k) {
    const std::vector<uint8_t> jpeg = EncodeJpeg(MakePicture(4000, 3000, static_cast<uint32_t>(k)), 90);
    for (int copy = 0; copy < kPictures / kDistinct; ++copy) {
      const std::string path = dir + "/photo" + std::to_string(copy * kDistinct + k) + ".jpg";
      std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()),
                                                  static_cast<std::streamsize>(jpeg.size()));
      files.push_back(path);
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The grid with a watch on its paints: when the first one ended, and when every cell had been
// painted showing its thumbnail.
class TWatchedGrid : public TKyThumbnail2 {
 public:
  TClock::time_point FirstPaint{}, AllPainted{};
  std::vector<bool> Painted;

 protected:
  void paintEvent(QPaintEvent* event) override {
    TKyThumbnail2::paintEvent(event);
    const TClock::time_point now = TClock::now();
    if (FirstPaint == TClock::time_point{}) FirstPaint = now;
    Painted.resize(Files().size());
    for (int i = 0; i < static_cast<int>(Painted.size()); ++i)
      if (ThumbnailReady(i) && event->rect().intersects(CellRect(i % ColCount(), i / ColCount()))) Painted[i] = true;
    if (AllPainted == TClock::time_point{} && std::all_of(Painted.begin(), Painted.end(), [](bool b) { return b; }))
      AllPainted = now;
  }
};

double Ms(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The grid opened over the pictures, large enough (20 x 10 cells of 100 x 80) that every cell is
// on screen and gets painted.
void BM_GridOpen(benchmark::State& state) {
  for (auto _ : state) {
    const TClock::time_point start = TClock::now();
    TWatchedGrid grid;
    grid.resize(2000, 800);
    grid.SetFiles(gFiles);
    grid.show();
    // Waits for events rather than polling, so the workers have the processors to themselves.
    QTimer tick;
    tick.start(100);
    while (grid.AllPainted == TClock::time_point{} && TClock::now() - start < std::chrono::seconds(120))
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double first = Ms(grid.FirstPaint - start), all = Ms(grid.AllPainted - start);
    state.SetIterationTime(all / 1000.0);
    state.counters["first_paint_ms"] = first;
    state.counters["all_painted_ms"] = all;
  }
}
BENCHMARK(BM_GridOpen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The plain way: each picture decoded at full size, then stretched, one after the other.
void BM_PlainFullDecode(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string& f : gFiles) {
      TBitmap32 full, thumb;
      LoadJpegFromFile(f, full);
      thumb.SetSize(80, 60);
      ResizeBilinear(full, thumb);
      benchmark::DoNotOptimize(thumb.Bits());
    }
  }
}
BENCHMARK(BM_PlainFullDecode)->Unit(benchmark::kMillisecond)->Iterations(1);

// One picture each way.
void BM_OneScaledDecode(benchmark::State& state) {
  for (auto _ : state) {
    TBitmap32 b;
    LoadJpegScaledFromFile(gFiles[0], 80, 60, b);
    benchmark::DoNotOptimize(b.Bits());
  }
}
BENCHMARK(BM_OneScaledDecode)->Unit(benchmark::kMillisecond);

void BM_OneFullDecode(benchmark::State& state) {
  for (auto _ : state) {
    TBitmap32 b;
    LoadJpegFromFile(gFiles[0], b);
    benchmark::DoNotOptimize(b.Bits());
  }
}
BENCHMARK(BM_OneFullDecode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::string dir;
  bool own = false;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--pictures=", 11) == 0) dir = argv[i] + 11;
    else rest.push_back(argv[i]);
  }
  if (dir.empty()) {
    std::string tmpl = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/kybench-XXXXXX";
    if (!mkdtemp(tmpl.data())) return 1;
    dir = tmpl;
    own = true;
  } else {
    mkdir(dir.c_str(), 0755);
  }
  gFiles = WritePictures(dir);
  int qargc = 1;
  QApplication app(qargc, argv);
  int bargc = static_cast<int>(rest.size());
  benchmark::Initialize(&bargc, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (own) {
    for (const std::string& f : gFiles) std::remove(f.c_str());
    rmdir(dir.c_str());
  }
  return 0;
}
