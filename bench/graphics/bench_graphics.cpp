// Benchmarks of the surface kernels and the picture readers. scripts/bench-graphics runs them
// next to the reference tools (memcpy, ImageMagick, tjbench) and prints the ratios.
//
//   bench_graphics --write-pictures=DIR   writes DIR/bench.ppm and DIR/bench.jpg (4000 x 3000)
//   KY_BENCH_JPEG=DIR/bench.jpg bench_graphics   decodes that file in the JPEG benchmark
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uPictureReaders.h"
#include "graphics/uScreenStretch.h"

using namespace ky;

namespace {

// A photograph stand-in: smooth gradients, soft noise and some hard edges.
TBitmap32 MakePicture(int w, int h) {
  TBitmap32 b(w, h);
  uint32_t s = 12345;
  for (int y = 0; y < h; ++y) {
    TColor32* row = b.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      s = s * 1664525u + 1013904223u;
      const int noise = static_cast<int>((s >> 24) & 15);
      const int r = (x * 200) / w + noise;
      const int g = ((x / 97 + y / 61) % 2 ? 150 : 60) + noise;
      const int bl = (y * 180) / h + (noise >> 1);
      row[x] = MakeColor32(r, g, bl, 255);
    }
  }
  return b;
}

std::vector<uint8_t> EncodeJpeg(const TBitmap32& b, int quality) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = static_cast<JDIMENSION>(b.Width());
  c.image_height = static_cast<JDIMENSION>(b.Height());
  c.input_components = 4;
  c.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW r = reinterpret_cast<JSAMPROW>(const_cast<TColor32*>(b.ScanLine(static_cast<int>(c.next_scanline))));
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> out(mem, mem + size);
  std::free(mem);
  return out;
}

const TBitmap32& BigPicture() {
  static const TBitmap32 b = MakePicture(4000, 3000);
  return b;
}

// What an animated object's pixel combine does per pixel: skip the key colour, else blend.
void ObjectCombine(TColor32 F, TColor32& B, uint32_t M) {
  if (F == 0x00FFFF00u) return;
  const uint32_t a = M & 0xFF;
  uint32_t r = a << 24;
  for (int s = 0; s < 24; s += 8)
    r |= ((((F >> s) & 0xFF) * a + ((B >> s) & 0xFF) * (255 - a)) / 255) << s;
  B = r;
}

void BM_BlendSpan256(benchmark::State& state) {
  TBitmap32 dst = MakePicture(256, 256);
  for (auto _ : state) {
    for (int y = 0; y < 256; ++y) dst.BlendSpan(0, y, 255, MakeColor32(255, 255, 255, 100));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_BlendSpan256);

void BM_DrawCustom256(benchmark::State& state) {
  TBitmap32 dst = MakePicture(1024, 768);
  TBitmap32 sprite = MakePicture(256, 256);
  sprite.SetDrawMode(dmCustom);
  sprite.SetMasterAlpha(180);
  sprite.SetOnPixelCombine(ObjectCombine);
  for (auto _ : state) {
    dst.Draw(100, 100, sprite);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_DrawCustom256);

void BM_DrawBlend256(benchmark::State& state) {
  TBitmap32 dst = MakePicture(1024, 768);
  TBitmap32 sprite = MakePicture(256, 256);
  sprite.SetDrawMode(dmBlend);
  sprite.SetMasterAlpha(180);
  for (auto _ : state) {
    dst.Draw(100, 100, sprite);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_DrawBlend256);

void BM_Memcpy4000x3000(benchmark::State& state) {
  const TBitmap32& src = BigPicture();
  std::vector<TColor32> dst(static_cast<size_t>(src.Width()) * src.Height());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.Bits(), dst.size() * sizeof(TColor32));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(dst.size() * sizeof(TColor32)));
}
BENCHMARK(BM_Memcpy4000x3000)->Unit(benchmark::kMillisecond);

void BM_StretchLanczos4000x3000To1080p(benchmark::State& state) {
  TBitmap32 src;
  src.Assign(BigPicture());
  TBitmap32 dst(1920, 1080);
  for (auto _ : state) {
    StretchLanczos(src, dst);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_StretchLanczos4000x3000To1080p)->Unit(benchmark::kMillisecond);

void BM_ResizeBilinear4000x3000To1080p(benchmark::State& state) {
  const TBitmap32& src = BigPicture();
  TBitmap32 dst(1920, 1080);
  for (auto _ : state) {
    ResizeBilinear(src, dst);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ResizeBilinear4000x3000To1080p)->Unit(benchmark::kMillisecond);

// A scene's start-up: the demo's 960 x 640 pictures fitted to a 1080p display.
void BM_ResizeBilinear960x640To1080p(benchmark::State& state) {
  const TBitmap32 src = MakePicture(960, 640);
  TBitmap32 dst(1920, 1080);
  for (auto _ : state) {
    ResizeBilinear(src, dst);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_ResizeBilinear960x640To1080p)->Unit(benchmark::kMillisecond);

// The full-screen presentation's stretch of a working-size frame (quality 0, 1, 2) to 1080p,
// every frame. Goal: well under one frame copy and a half (the plain path's cost it replaces).
void BM_ScreenStretchTo1080p(benchmark::State& state) {
  const TBitmap32 src = MakePicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  TBitmap32 dst(1920, 1080);
  ky::TScreenStretch stretch;
  for (auto _ : state) {
    stretch.Draw(src, dst);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_ScreenStretchTo1080p)->Args({1024, 768})->Args({800, 600})->Args({640, 480})->Unit(benchmark::kMillisecond);

void BM_JpegDecode4000x3000(benchmark::State& state) {
  std::vector<uint8_t> data;
  if (const char* file = std::getenv("KY_BENCH_JPEG")) {
    data = ReadPictureFile(file);
  } else {
    data = EncodeJpeg(BigPicture(), 90);
  }
  TBitmap32 dst;
  LoadJpegFromMemory(data.data(), data.size(), dst);  // sized once, as a decoder reusing its buffer
  for (auto _ : state) {
    LoadJpegFromMemory(data.data(), data.size(), dst);
    benchmark::ClobberMemory();
  }
  state.counters["pixels"] = static_cast<double>(dst.Width()) * dst.Height();
}
BENCHMARK(BM_JpegDecode4000x3000)->Unit(benchmark::kMillisecond);

void BM_Memcpy1080p(benchmark::State& state) {
  const TBitmap32 src = MakePicture(1920, 1080);
  TBitmap32 dst(1920, 1080);
  const size_t bytes = static_cast<size_t>(1920) * 1080 * sizeof(TColor32);
  for (auto _ : state) {
    std::memcpy(dst.Bits(), src.Bits(), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_Memcpy1080p)->Unit(benchmark::kMicrosecond);

// The fade of the transitions: c += (a * (new - c)) >> 8 over a whole 1080p frame.
void BM_Fade1080p(benchmark::State& state) {
  const TBitmap32 src = MakePicture(1920, 1080);
  TBitmap32 dst = MakePicture(1920, 1080);
  int alpha = 0;
  for (auto _ : state) {
    BlendFade(dst.Bits(), src.Bits(), static_cast<size_t>(1920) * 1080, alpha);
    alpha = (alpha + 37) % 257;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Fade1080p)->Unit(benchmark::kMicrosecond);

bool WritePictures(const std::string& dir) {
  const TBitmap32& b = BigPicture();
  std::ofstream ppm(dir + "/bench.ppm", std::ios::binary);
  ppm << "P6\n" << b.Width() << " " << b.Height() << "\n255\n";
  std::vector<char> row(static_cast<size_t>(b.Width()) * 3);
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      const TColor32 c = b.Pixel(x, y);
      row[3 * x] = static_cast<char>(RedComponent(c));
      row[3 * x + 1] = static_cast<char>(GreenComponent(c));
      row[3 * x + 2] = static_cast<char>(BlueComponent(c));
    }
    ppm.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
  const std::vector<uint8_t> jpg = EncodeJpeg(b, 90);
  std::ofstream j(dir + "/bench.jpg", std::ios::binary);
  j.write(reinterpret_cast<const char*>(jpg.data()), static_cast<std::streamsize>(jpg.size()));
  return static_cast<bool>(ppm) && static_cast<bool>(j);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string flag = "--write-pictures=";
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], flag.c_str(), flag.size()) == 0) return WritePictures(argv[i] + flag.size()) ? 0 : 1;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
