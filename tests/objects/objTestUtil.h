#pragma once
// Fixtures of the object tests: pictures written by the tests (GIFs through giflib's encoder,
// RGBA PNGs through libpng) and a scene of objects on a virtual clock.
#include <gif_lib.h>
#include <png.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"
#include "objects/uAnimObjects.h"
#include "objects/uGifObject.h"
#include "platform/uTicks.h"
#include "testutil.h"

namespace kytest {

struct TGifFramePlan {
  int Left = 0, Top = 0, Width = 1, Height = 1;
  std::vector<uint8_t> Pixels;  // indices into the global table, rows top to bottom
  bool Gce = true;
  int Delay = 0, Disposal = 0, Transparent = NO_TRANSPARENT_COLOR;
};

struct TGifPlan {
  int Width = 2, Height = 2;
  std::vector<GifColorType> Global;
  int Loop = -1;  // -1: no loop extension
  std::vector<TGifFramePlan> Frames;
};

inline GifColorType GifRgb(int r, int g, int b) {
  GifColorType c;
  c.Red = static_cast<GifByteType>(r);
  c.Green = static_cast<GifByteType>(g);
  c.Blue = static_cast<GifByteType>(b);
  return c;
}

inline void WriteGif(const std::string& path, const TGifPlan& s) {
  int err = 0;
  GifFileType* g = EGifOpenFileName(path.c_str(), false, &err);
  if (!g) return;
  EGifSetGifVersion(g, true);
  int n = 2;
  while (n < static_cast<int>(s.Global.size())) n *= 2;
  std::vector<GifColorType> padded(s.Global);
  padded.resize(static_cast<size_t>(n), GifRgb(0, 0, 0));
  ColorMapObject* map = GifMakeMapObject(n, padded.data());
  EGifPutScreenDesc(g, s.Width, s.Height, 8, 0, map);
  if (s.Loop >= 0) {
    const GifByteType loop[3] = {1, static_cast<GifByteType>(s.Loop & 0xFF), static_cast<GifByteType>(s.Loop >> 8)};
    EGifPutExtensionLeader(g, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(g, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(g, 3, loop);
    EGifPutExtensionTrailer(g);
  }
  for (const TGifFramePlan& f : s.Frames) {
    if (f.Gce) {
      GraphicsControlBlock gcb{f.Disposal, false, f.Delay, f.Transparent};
      GifByteType ext[4];
      EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    }
    EGifPutImageDesc(g, f.Left, f.Top, f.Width, f.Height, false, nullptr);
    for (int y = 0; y < f.Height; ++y) {
      std::vector<GifPixelType> row(f.Pixels.begin() + y * f.Width, f.Pixels.begin() + (y + 1) * f.Width);
      EGifPutLine(g, row.data(), f.Width);
    }
  }
  EGifCloseFile(g, &err);
  GifFreeMapObject(map);
}

// A GIF of frames filling the whole w x h screen with one colour each: frame k uses colour
// index colours[k].
inline TGifPlan SolidFramesGif(int w, int h, const std::vector<int>& delays, const std::vector<int>& colours) {
  TGifPlan s;
  s.Width = w;
  s.Height = h;
  s.Global = {GifRgb(10, 20, 30), GifRgb(200, 0, 0), GifRgb(0, 200, 0), GifRgb(0, 0, 200)};
  for (size_t k = 0; k < delays.size(); ++k) {
    TGifFramePlan f;
    f.Width = w;
    f.Height = h;
    f.Delay = delays[k];
    f.Pixels.assign(static_cast<size_t>(w * h), static_cast<uint8_t>(colours[k]));
    s.Frames.push_back(f);
  }
  return s;
}

// An 8-bit RGBA PNG; pixels as 0xAARRGGBB.
inline void WritePngRgba(const std::string& path, int w, int h, const std::vector<uint32_t>& argb) {
  std::vector<uint8_t> rgba;
  for (uint32_t p : argb) {
    rgba.push_back(static_cast<uint8_t>(p >> 16));
    rgba.push_back(static_cast<uint8_t>(p >> 8));
    rgba.push_back(static_cast<uint8_t>(p));
    rgba.push_back(static_cast<uint8_t>(p >> 24));
  }
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = static_cast<png_uint_32>(w);
  img.height = static_cast<png_uint_32>(h);
  img.format = PNG_FORMAT_RGBA;
  png_image_write_to_file(&img, path.c_str(), 0, rgba.data(), 0, nullptr);
}

// The objects of one object text on a virtual clock, started on a display of displayW x
// displayH for a scene stored at sceneW x sceneH.
class TObjectScene {
 public:
  explicit TObjectScene(const std::string& text, uint32_t start = 0, std::string common = "/nonexistent/")
      : Clock(start), Objects(ky::LoadObjects(text, ky::TObjectClock::ForScene(Clock), common)) {}

  void Start(int sceneW = 800, int sceneH = 600, int displayW = 800, int displayH = 600) {
    for (auto& o : Objects) o->StartInScene(ky::TRect{0, 0, displayW, displayH}, sceneW, sceneH);
  }
  // The virtual clock moves to t and every object takes the snapshot a frame at t draws.
  void DrawAt(uint32_t t) {
    Clock.Set(t);
    for (auto& o : Objects) o->PrepareDraw();
  }
  ky::TAnimImgObject& Obj(size_t i) { return *ky::AsImgObject(*Objects.at(i)); }
  ky::TGifObject& Gif(size_t i) { return dynamic_cast<ky::TGifObject&>(*Objects.at(i)); }

  ky::TManualTicks Clock;
  ky::TSceneObjectList Objects;
};

}  // namespace kytest

namespace kytest {

// A deterministic picture with edges and gradients.
inline ky::TBitmap32 TestPictureLike(int w, int h) {
  ky::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, ky::MakeColor32(x * 255 / w, ((x / 3 + y / 2) % 2) ? 200 : 40, y * 255 / h));
  return b;
}

}  // namespace kytest
