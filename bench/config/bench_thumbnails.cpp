// Opening the thumbnail grid over 200 JPEG pictures of 4000 x 3000, as a saver with many large
// photographs would: the time to the grid's first paint, the time until every cell has been
// painted with its thumbnail, and, for comparison, the plain way of a full decode of each
// picture followed by the stretch, one after the other. The grid is opened twice: over pictures
// without an EXIF block (BM_GridOpen/no_exif), and over the same pictures carrying a 160 x 120
// thumbnail in an EXIF block as a camera writes it (BM_GridOpen/exif_thumbnail_160x120).
//
//   QT_QPA_PLATFORM=offscreen bench_thumbnails [--pictures=DIR]
//
// The pictures are made by the program (8 different ones, each written 25 times as files of
// their own, photo*.jpg, and once more each with the EXIF block, camera*.jpg) in DIR, or in a
// temporary folder that is removed at the end.
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
#include <iterator>
#include <string>
#include <vector>

#include "config/ui/thumbnails/uKyThumbnail2.h"
#include "config/ui/thumbnails/uThumbnailSource.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uJpegReader.h"
#include "graphics/uJpegWriter.h"

using namespace ky;
using TClock = std::chrono::steady_clock;

namespace {

constexpr int kPictures = 200;
constexpr int kDistinct = 8;

std::vector<std::string> gFiles;        // no EXIF block
std::vector<std::string> gCameraFiles;  // the same pictures with an EXIF thumbnail

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

// An EXIF block (the APP1 payload) laid out as cameras write it: the TIFF header, IFD0 with the
// camera's name, the resolution and a link to the EXIF IFD, the EXIF IFD with the picture's
// size, IFD1 describing the thumbnail, then the values that do not fit in their entries, and the
// thumbnail last. Little-endian, as most cameras write it.
class TExifWriter {
 public:
  struct TEntry {
    uint16_t Tag, Type;
    uint32_t Count;
    std::vector<uint8_t> Value;  // in the entry when 4 bytes or fewer, else in the data area
  };

  static TEntry Short(uint16_t tag, uint16_t v) { return {tag, 3, 1, {Lo(v), Hi(v)}}; }
  static TEntry Long(uint16_t tag, uint32_t v) { return {tag, 4, 1, Le32(v)}; }
  static TEntry Ascii(uint16_t tag, const std::string& s) {
    std::vector<uint8_t> v(s.begin(), s.end());
    v.push_back(0);
    return {tag, 2, static_cast<uint32_t>(v.size()), v};
  }
  static TEntry Rational(uint16_t tag, uint32_t num, uint32_t den) {
    std::vector<uint8_t> v = Le32(num);
    const std::vector<uint8_t> d = Le32(den);
    v.insert(v.end(), d.begin(), d.end());
    return {tag, 5, 1, v};
  }

  static std::vector<uint8_t> Block(int width, int height, const std::vector<uint8_t>& thumbnail) {
    std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
    std::vector<TEntry> ifd0 = {Ascii(0x010F, "Kysaver"), Ascii(0x0110, "Bench Camera"), Short(0x0112, 1),
                                Rational(0x011A, 72, 1), Rational(0x011B, 72, 1), Short(0x0128, 2),
                                Long(0x8769, 0)};
    const std::vector<TEntry> exif = {{0x9000, 7, 4, {'0', '2', '3', '0'}},
                                      Long(0xA002, static_cast<uint32_t>(width)),
                                      Long(0xA003, static_cast<uint32_t>(height))};
    std::vector<TEntry> ifd1 = {Short(0x0103, 6), Rational(0x011A, 72, 1), Rational(0x011B, 72, 1), Short(0x0128, 2),
                                Long(0x0201, 0), Long(0x0202, static_cast<uint32_t>(thumbnail.size()))};
    const size_t ifd0At = 8, exifAt = ifd0At + Size(ifd0), ifd1At = exifAt + Size(exif);
    ifd0.back() = Long(0x8769, static_cast<uint32_t>(exifAt));
    const size_t thumbnailAt = ifd1At + Size(ifd1);
    ifd1[4] = Long(0x0201, static_cast<uint32_t>(thumbnailAt));
    Put(tiff, ifd0, ifd0At, static_cast<uint32_t>(ifd1At));
    Put(tiff, exif, exifAt, 0);
    Put(tiff, ifd1, ifd1At, 0);
    tiff.insert(tiff.end(), thumbnail.begin(), thumbnail.end());
    const uint8_t signature[] = {'E', 'x', 'i', 'f', 0, 0};
    tiff.insert(tiff.begin(), std::begin(signature), std::end(signature));
    return tiff;
  }

 private:
  static uint8_t Lo(uint32_t v) { return static_cast<uint8_t>(v); }
  static uint8_t Hi(uint32_t v) { return static_cast<uint8_t>(v >> 8); }
  static std::vector<uint8_t> Le32(uint32_t v) { return {Lo(v), Hi(v), Lo(v >> 16), Lo(v >> 24)}; }
  static size_t DataSize(const std::vector<TEntry>& ifd) {
    size_t n = 0;
    for (const TEntry& e : ifd) n += e.Value.size() > 4 ? (e.Value.size() + 1) & ~size_t{1} : 0;
    return n;
  }
  // The IFD and its data area.
  static size_t Size(const std::vector<TEntry>& ifd) { return 2 + ifd.size() * 12 + 4 + DataSize(ifd); }
  static void Put(std::vector<uint8_t>& tiff, const std::vector<TEntry>& ifd, size_t at, uint32_t next) {
    tiff.resize(at);
    size_t data = at + 2 + ifd.size() * 12 + 4;
    tiff.push_back(Lo(static_cast<uint32_t>(ifd.size())));
    tiff.push_back(Hi(static_cast<uint32_t>(ifd.size())));
    std::vector<uint8_t> area;
    for (const TEntry& e : ifd) {
      for (uint8_t b : {Lo(e.Tag), Hi(e.Tag), Lo(e.Type), Hi(e.Type)}) tiff.push_back(b);
      for (uint8_t b : Le32(e.Count)) tiff.push_back(b);
      std::vector<uint8_t> field = e.Value;
      if (field.size() > 4) {
        field = Le32(static_cast<uint32_t>(data + area.size()));
        area.insert(area.end(), e.Value.begin(), e.Value.end());
        if (area.size() % 2) area.push_back(0);
      }
      field.resize(4, 0);
      tiff.insert(tiff.end(), field.begin(), field.end());
    }
    for (uint8_t b : Le32(next)) tiff.push_back(b);
    tiff.insert(tiff.end(), area.begin(), area.end());
  }
};

// A camera's file of the same picture: its JFIF marker replaced by the EXIF block, which
// cameras put first; the tables and the picture data are the same bytes.
std::vector<uint8_t> CameraFile(const std::vector<uint8_t>& jpeg, const TBitmap32& picture) {
  TBitmap32 small;
  small.SetSize(160, 120);
  ResizeBilinear(picture, small);
  const std::vector<uint8_t> block = TExifWriter::Block(picture.Width(), picture.Height(), EncodeJpeg(small, 85));
  size_t rest = 2;
  if (jpeg[2] == 0xFF && jpeg[3] == 0xE0) rest = 4 + (size_t{jpeg[4]} << 8 | jpeg[5]);
  const size_t length = block.size() + 2;
  std::vector<uint8_t> out;
  out.reserve(6 + block.size() + jpeg.size());
  for (const uint8_t b : {uint8_t{0xFF}, uint8_t{0xD8}, uint8_t{0xFF}, uint8_t{0xE1}, static_cast<uint8_t>(length >> 8),
                          static_cast<uint8_t>(length)})
    out.push_back(b);
  out.insert(out.end(), block.begin(), block.end());
  out.insert(out.end(), jpeg.begin() + static_cast<long>(rest), jpeg.end());
  return out;
}

// The camera files of the pictures WritePictures wrote, made from those files.
std::vector<std::string> WriteCameraPictures(const std::string& dir) {
  std::vector<std::string> files;
  for (int k = 0; k < kDistinct; ++k) {
    std::ifstream in(dir + "/photo" + std::to_string(k) + ".jpg", std::ios::binary);
    const std::vector<uint8_t> jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::vector<uint8_t> camera = CameraFile(jpeg, MakePicture(4000, 3000, static_cast<uint32_t>(k)));
    for (int copy = 0; copy < kPictures / kDistinct; ++copy) {
      const std::string path = dir + "/camera" + std::to_string(copy * kDistinct + k) + ".jpg";
      std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(camera.data()),
                                                  static_cast<std::streamsize>(camera.size()));
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
void BM_GridOpen(benchmark::State& state, const std::vector<std::string>* files) {
  for (auto _ : state) {
    const TClock::time_point start = TClock::now();
    TWatchedGrid grid;
    grid.resize(2000, 800);
    grid.SetFiles(*files);
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
BENCHMARK_CAPTURE(BM_GridOpen, no_exif, &gFiles)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_GridOpen, exif_thumbnail_160x120, &gCameraFiles)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

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

// One cell's thumbnail as the grid makes it, from a picture without and with the EXIF thumbnail.
void BM_OneThumbnail(benchmark::State& state, const std::vector<std::string>* files) {
  for (auto _ : state) {
    const TThumbnail t = MakeThumbnail((*files)[0], 80, 60);
    if (!t.Problem.empty()) state.SkipWithError(t.Problem.c_str());
    benchmark::DoNotOptimize(t.Picture.Bits());
  }
}
BENCHMARK_CAPTURE(BM_OneThumbnail, no_exif, &gFiles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OneThumbnail, exif_thumbnail_160x120, &gCameraFiles)->Unit(benchmark::kMillisecond);

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
  gCameraFiles = WriteCameraPictures(dir);
  int qargc = 1;
  QApplication app(qargc, argv);
  int bargc = static_cast<int>(rest.size());
  benchmark::Initialize(&bargc, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (own) {
    for (const std::string& f : gFiles) std::remove(f.c_str());
    for (const std::string& f : gCameraFiles) std::remove(f.c_str());
    rmdir(dir.c_str());
  }
  return 0;
}
