// Draws the demo saver's pictures and writes its scene descriptions and manifest:
//   lake     a mountain lake at dusk; the water mirrors the land and ripples in perspective; a
//            boat crosses it and a bird flies about (demo-objects.cpp)
//   harbour  a grey harbour in the rain
//   winter   snowy hills with a frozen pond, snow falling
//   meadow.jpg, tower.bmp  two plain pictures
//   rain on the harbour (looping), a bell on the lake every 10 s, two music tracks
// usage: demo-gen OUTDIR
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "graphics/uBitmap32.h"
#include "graphics/uBmpWriter.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uPngWriter.h"
#include "graphics/uJpegWriter.h"
#include "demo-objects.h"
#include "demo-sounds.h"

using namespace ky;

namespace {

constexpr int W = 960, H = 640;

TColor32 Mix(TColor32 a, TColor32 b, double t) {
  t = std::fmin(1.0, std::fmax(0.0, t));
  auto c = [&](int s) {
    const int x = (a >> s) & 0xFF, y = (b >> s) & 0xFF;
    return static_cast<int>(std::lround(x + (y - x) * t));
  };
  return MakeColor32(c(16), c(8), c(0));
}

// A small deterministic noise so the pictures look less flat.
double Noise(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

double Ridge(double x, double a, double b, double c) {
  return std::sin(x * a) * 0.5 + std::sin(x * b + 1.3) * 0.3 + std::sin(x * c + 2.1) * 0.2;
}

void Sky(TBitmap32& p, int horizon, TColor32 top, TColor32 bottom) {
  for (int y = 0; y < horizon; ++y) {
    const TColor32 c = Mix(top, bottom, static_cast<double>(y) / horizon);
    for (int x = 0; x < W; ++x) p.SetPixel(x, y, c);
  }
}

void Mountains(TBitmap32& p, int base, double height, double a, double b, double c, TColor32 near, TColor32 far) {
  for (int x = 0; x < W; ++x) {
    const int top = base - static_cast<int>(height * (0.6 + 0.4 * Ridge(x / 100.0, a, b, c)));
    for (int y = std::max(0, top); y < base; ++y)
      p.SetPixel(x, y, Mix(far, near, static_cast<double>(y - top) / (base - top + 1) + 0.08 * Noise(x, y)));
  }
}

void Disc(TBitmap32& p, int cx, int cy, int r, TColor32 c) {
  for (int y = cy - r; y <= cy + r; ++y)
    for (int x = cx - r; x <= cx + r; ++x)
      if (x >= 0 && y >= 0 && x < W && y < H && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) p.SetPixel(x, y, c);
}

void Save(const TBitmap32& b, const std::string& path) { SavePngFile(b, path); }

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// The lake: water in the lower part, mirrored by wave set 1.
void Lake(const std::string& dir) {
  TBitmap32 p(W, H), m(W, H);
  const int shore = 400;
  Sky(p, shore, MakeColor32(40, 52, 110), MakeColor32(250, 170, 110));
  Disc(p, 700, 250, 38, MakeColor32(255, 226, 160));
  Mountains(p, shore, 230, 1.1, 2.3, 5.7, MakeColor32(40, 50, 70), MakeColor32(120, 110, 150));
  Mountains(p, shore, 110, 2.0, 4.1, 9.3, MakeColor32(20, 45, 30), MakeColor32(60, 90, 70));
  m.Clear(MakeColor32(0, 0, 0));
  for (int y = shore; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      p.SetPixel(x, y, Mix(MakeColor32(30, 50, 80), MakeColor32(10, 20, 40), (y - shore) / 240.0));
      m.SetPixel(x, y, MakeColor32(0, 0, 255));
    }
  Save(p, dir + "/lake.png");
  Save(m, dir + "/lake-mask.png");
  demo::WriteLakeObjects(dir);
  WriteText(dir + "/lake.ini",
            "[Scene]\nTitle=Mountain lake\nPhoto=lake.png\nMask=lake-mask.png\nPreviewWidth=160\nObjects=lake-objects.ini\n"
            "[Wave1]\nAmplitude=4\nFrequency=20\nPhaseSpeed=12\nDirection=1\nAnimated=1\nPerspective=1\n"
            "Cycle=360\nJitter=0\nReflection=1\n"
            "[Sound1]\nFileName=bell.wav\nPlayMode=2\nMinInterval=10\n");
}

// The harbour: dark water with a sideways-shifting ripple, rain falling.
void Harbour(const std::string& dir) {
  TBitmap32 p(W, H), m(W, H);
  const int quay = 380;
  Sky(p, quay, MakeColor32(70, 75, 85), MakeColor32(130, 135, 140));
  for (int k = 0; k < 9; ++k) {  // houses along the quay
    const int x0 = 40 + k * 100, w = 80, h = 90 + static_cast<int>(60 * Noise(k, 3));
    const TColor32 wall = Mix(MakeColor32(120, 80, 60), MakeColor32(170, 160, 140), Noise(k, 7));
    for (int y = quay - h; y < quay; ++y)
      for (int x = x0; x < x0 + w; ++x) p.SetPixel(x, y, ((x - x0) % 20 < 8 && (y - quay + h) % 30 > 12 && y < quay - 20) ? MakeColor32(230, 200, 120) : wall);
  }
  m.Clear(MakeColor32(0, 0, 0));
  for (int y = quay; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      p.SetPixel(x, y, Mix(MakeColor32(50, 60, 70), MakeColor32(20, 25, 35), (y - quay) / 260.0 + 0.1 * Noise(x, y)));
      m.SetPixel(x, y, MakeColor32(0, 0, 255));
    }
  Save(p, dir + "/harbour.png");
  Save(m, dir + "/harbour-mask.png");
  WriteText(dir + "/harbour.ini",
            "[Scene]\nTitle=Harbour in the rain\nPhoto=harbour.png\nMask=harbour-mask.png\nPreviewWidth=160\n"
            "[Wave1]\nAmplitude=3\nFrequency=30\nPhaseSpeed=20\nDirection=3\nHorzShift=1\nAnimated=1\n"
            "Perspective=1\nCycle=360\nJitter=2\nReflection=1\n"
            "[Weather]\nKind=2\nCount=400\nSpeedIndex=14\nSizeOrAngle=80\nDropLength=12\nOpacity=6\n"
            "[Sound1]\nFileName=rain.wav\nPlayMode=0\n");
}

// Winter: white hills and a small pond, snow falling.
void Winter(const std::string& dir) {
  TBitmap32 p(W, H), m(W, H);
  Sky(p, H, MakeColor32(90, 120, 170), MakeColor32(200, 215, 235));
  Mountains(p, 460, 200, 1.4, 3.1, 6.2, MakeColor32(235, 240, 250), MakeColor32(180, 195, 220));
  for (int y = 460; y < H; ++y)
    for (int x = 0; x < W; ++x) p.SetPixel(x, y, Mix(MakeColor32(240, 244, 250), MakeColor32(210, 220, 235), Noise(x, y) * 0.5));
  m.Clear(MakeColor32(0, 0, 0));
  for (int y = 500; y < 600; ++y)
    for (int x = 250; x < 710; ++x) {
      const double dx = (x - 480) / 230.0, dy = (y - 550) / 50.0;
      if (dx * dx + dy * dy > 1) continue;
      p.SetPixel(x, y, MakeColor32(60, 90, 130));
      m.SetPixel(x, y, MakeColor32(0, 0, 255));
    }
  Save(p, dir + "/winter.png");
  Save(m, dir + "/winter-mask.png");
  WriteText(dir + "/winter.ini",
            "[Scene]\nTitle=Winter pond\nPhoto=winter.png\nMask=winter-mask.png\nPreviewWidth=160\n"
            "[Wave1]\nAmplitude=2\nFrequency=12\nPhaseSpeed=8\nDirection=1\nAnimated=1\nPerspective=0\n"
            "Cycle=360\nReflection=0\n"
            "[Weather]\nKind=1\nCount=600\nSpeedIndex=8\nSizeOrAngle=5\nOpacity=9\n");
}

void Plain(const std::string& dir) {
  TBitmap32 meadow(W, H);
  Sky(meadow, 300, MakeColor32(110, 170, 240), MakeColor32(200, 225, 250));
  for (int y = 300; y < H; ++y)
    for (int x = 0; x < W; ++x)
      meadow.SetPixel(x, y, Mix(MakeColor32(90, 160, 60), MakeColor32(40, 110, 30), (y - 300) / 340.0 + 0.15 * Noise(x, y)));
  for (int k = 0; k < 300; ++k) Disc(meadow, static_cast<int>(Noise(k, 1) * W), 320 + static_cast<int>(Noise(k, 2) * 300), 3, MakeColor32(250, 230, 60));
  const std::vector<uint8_t> jpeg = EncodeJpeg(meadow, 90);
  std::ofstream(dir + "/meadow.jpg", std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));

  TBitmap32 tower(W, H);
  Sky(tower, H, MakeColor32(250, 140, 90), MakeColor32(90, 40, 90));
  for (int y = 200; y < H; ++y)
    for (int x = 430; x < 530; ++x) tower.SetPixel(x, y, ((y / 40) % 2 == 0 && x > 470 && x < 490) ? MakeColor32(255, 220, 120) : MakeColor32(30, 20, 40));
  SaveBitmapToBmpFile(tower, dir + "/tower.bmp");

  // The preview picture of /P.
  TBitmap32 preview(320, 240);
  ResizeBilinear(meadow, preview);
  const std::vector<uint8_t> pj = EncodeJpeg(preview, 85);
  std::ofstream(dir + "/preview.jpg", std::ios::binary).write(reinterpret_cast<const char*>(pj.data()), static_cast<std::streamsize>(pj.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: demo-gen OUTDIR\n");
    return 1;
  }
  const std::string dir = argv[1];
  try {
    Lake(dir);
    Harbour(dir);
    Winter(dir);
    Plain(dir);
    WriteDemoSounds(dir);
    WriteText(dir + "/demo.ini",
              "[General]\nProductName=kysaver demo\nPublisher=kysaver\n"
              "[Default]\nDuration=12\nTransitionTime=1500\nShowClock=1\nClockPos=1\nShowImageMode=1\n"
              "[Advance]\nPreviewFile=preview.jpg\n"
              "[Pictures]\nlake.kyp\nmeadow.jpg\nharbour.kyp\ntower.bmp\nwinter.kyp\n"
              "[Music]\ndemo-music-1.wav\ndemo-music-2.wav\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "demo-gen: %s\n", e.what());
    return 1;
  }
  return 0;
}
