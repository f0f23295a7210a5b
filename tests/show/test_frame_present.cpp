#include <gtest/gtest.h>

#include <cstdlib>

#include "graphics/uJpegWriter.h"
#include "package/uCreatorProject.h"
#include "saver/FKyScrSvr.h"
#include "saver/uFramePresent.h"
#include "saver/uOffscreenHost.h"
#include "scene/engine/uAnimEngine.h"
#include "scene/file/uSceneWriter.h"
#include "testutil.h"

using namespace ky;

TEST(FramePresent, SoftwareRenderersAreKnownByName) {
  struct TCase {
    const char* renderer;
    bool software;
  };
  const TCase cases[] = {{"llvmpipe (LLVM 15.0.6, 256 bits)", true},
                         {"softpipe", true},
                         {"Software Rasterizer (swrast)", true},
                         {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
                         {"NVIDIA GeForce GTX 1060/PCIe/SSE2", false},
                         {"AMD Radeon RX 580 (radeonsi, polaris10, LLVM 15.0.6, DRM 3.49)", false},
                         {"", false}};
  unsetenv("KYSAVER_FULLSCREEN");
  for (const TCase& c : cases) {
    EXPECT_EQ(IsSoftwareRenderer(c.renderer), c.software) << c.renderer;
    EXPECT_EQ(ChooseStretchPath(c.renderer), c.software ? TStretchPath::Cpu : TStretchPath::Gpu) << c.renderer;
  }
  setenv("KYSAVER_FULLSCREEN", "gpu", 1);
  EXPECT_EQ(ChooseStretchPath("llvmpipe"), TStretchPath::Gpu);
  setenv("KYSAVER_FULLSCREEN", "cpu", 1);
  EXPECT_EQ(ChooseStretchPath("NVIDIA GeForce GTX 1060"), TStretchPath::Cpu);
  unsetenv("KYSAVER_FULLSCREEN");
}

TEST(FramePresent, ShadowReportsTheSpanOfChangedRows) {
  TBitmap32 frame(5, 8);
  frame.Clear(MakeColor32(10, 20, 30));
  TFrameShadow shadow;
  TRowSpan s = shadow.Update(frame);  // the first frame: every row
  EXPECT_EQ(s.First, 0);
  EXPECT_EQ(s.Last, 7);
  EXPECT_TRUE(shadow.Update(frame).Empty());
  frame.SetPixel(4, 2, MakeColor32(1, 2, 3));
  frame.SetPixel(0, 5, MakeColor32(1, 2, 3));
  s = shadow.Update(frame);
  EXPECT_EQ(s.First, 2);
  EXPECT_EQ(s.Last, 5);
  EXPECT_EQ(shadow.Frame().Pixel(4, 2), frame.Pixel(4, 2));
  EXPECT_EQ(shadow.Frame().Pixel(0, 5), frame.Pixel(0, 5));
  frame.SetPixel(3, 7, MakeColor32(9, 9, 9));  // one row only
  s = shadow.Update(frame);
  EXPECT_EQ(s.First, 7);
  EXPECT_EQ(s.Last, 7);
  TBitmap32 other(6, 8);  // a new size: every row again
  s = shadow.Update(other);
  EXPECT_EQ(s.First, 0);
  EXPECT_EQ(s.Last, 7);
  EXPECT_EQ(shadow.Frame().Width(), 6);
}

namespace {

// A window that keeps what it showed, as the real ones do: a frame presented again at the same
// place is copied only inside the rectangles the show says changed. Like the headless host, it
// moves the virtual clock by a frame for every picture shown.
class TKeepingHost final : public TShowHost {
 public:
  TKeepingHost(int w, int h, TManualTicks& clock) : FScreen(w, h), FClock(clock) { FScreen.Clear(MakeColor32(0, 0, 0)); }
  int ScreenWidth() const override { return FScreen.Width(); }
  int ScreenHeight() const override { return FScreen.Height(); }
  bool InitFullScreen() override { return FFullScreen; }
  void PresentCanvas(const TBitmap32& canvas) override {
    // Here only the show's hand-over of its canvas before a picture change: no new frame.
    FScreen.Assign(canvas);
    FLast = &canvas;
    FAt = TRect{0, 0, canvas.Width(), canvas.Height()};
  }
  bool PresentFrame(int x, int y, const TBitmap32& frame, const std::vector<TRect>* changed) override {
    const TRect at{x, y, x + frame.Width(), y + frame.Height()};
    std::vector<TRect> all{TRect{0, 0, frame.Width(), frame.Height()}};
    if (!(at == FAt)) FScreen.Clear(MakeColor32(0, 0, 0));
    const std::vector<TRect>& rects = at == FAt && FLast == &frame && changed ? *changed : all;
    ++(changed && &rects == changed ? FPartial : FWhole);
    for (const TRect& r : rects)
      for (int yy = std::max(0, r.Top); yy < std::min(frame.Height(), r.Bottom); ++yy)
        for (int xx = std::max(0, r.Left); xx < std::min(frame.Width(), r.Right); ++xx)
          if (x + xx >= 0 && y + yy >= 0 && x + xx < FScreen.Width() && y + yy < FScreen.Height())
            FScreen.SetPixel(x + xx, y + yy, frame.Pixel(xx, yy));
    FLast = &frame;
    FAt = at;
    FClock.Advance(33);
    return true;
  }
  // The back surface kept as the GPU's texture would be: replaced whole, or only in the
  // rectangles the show says changed.
  void PresentBack(const TBitmap32& back, const std::vector<TRect>* changed) override {
    if (changed && FLast == &back && FBack.Width() == back.Width() && FBack.Height() == back.Height()) {
      ++FPartial;
      for (const TRect& r : *changed)
        for (int yy = std::max(0, r.Top); yy < std::min(back.Height(), r.Bottom); ++yy)
          for (int xx = std::max(0, r.Left); xx < std::min(back.Width(), r.Right); ++xx) FBack.SetPixel(xx, yy, back.Pixel(xx, yy));
    } else {
      ++FWhole;
      FBack.Assign(back);
    }
    FLast = &back;
    FClock.Advance(33);
  }
  void ProcessMessages() override {}
  void ShowInformation(const std::string&) override {}
  void ShowError(const std::string&) override {}
  void SetCursorVisible(bool) override {}

  TBitmap32 FScreen;
  TBitmap32 FBack;
  bool FFullScreen = false;
  int FPartial = 0, FWhole = 0;

 private:
  TManualTicks& FClock;
  const TBitmap32* FLast = nullptr;
  TRect FAt{0, 0, 0, 0};
};

}  // namespace

namespace {

// Every pixel of the changed rectangles (within bounds) is covered, the cover stays inside the
// bounds, and it is a region as a window system takes it: rectangles sorted by top then left,
// none overlapping, all of one top with the same height, none touching its neighbour in a band.
void ExpectBandedCover(const std::vector<TRect>& changed, const TRect& bounds, const std::vector<TRect>& cover) {
  std::vector<int> hits(static_cast<size_t>(bounds.Width() * bounds.Height()), 0);
  for (const TRect& r : cover) {
    ASSERT_FALSE(r.IsEmpty());
    ASSERT_EQ(IntersectRect(r, bounds), r);
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) ++hits[static_cast<size_t>((y - bounds.Top) * bounds.Width() + x - bounds.Left)];
  }
  for (int h : hits) ASSERT_LE(h, 1) << "rectangles of the cover overlap";
  for (const TRect& c : changed) {
    const TRect r = IntersectRect(c, bounds);
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        ASSERT_EQ(hits[static_cast<size_t>((y - bounds.Top) * bounds.Width() + x - bounds.Left)], 1) << x << "," << y;
  }
  for (size_t i = 1; i < cover.size(); ++i) {
    const TRect& a = cover[i - 1];
    const TRect& b = cover[i];
    if (a.Top == b.Top) {
      EXPECT_EQ(a.Bottom, b.Bottom);
      EXPECT_LT(a.Right, b.Left);
    } else {
      EXPECT_GE(b.Top, a.Bottom);
    }
  }
}

int64_t Area(const std::vector<TRect>& rects) {
  int64_t a = 0;
  for (const TRect& r : rects) a += int64_t{r.Width()} * r.Height();
  return a;
}

}  // namespace

TEST(FramePresent, BandedCoverKeepsFarChangesApart) {
  const TRect bounds{0, 0, 320, 240};
  // A bird in the sky, a boat on the water, the water rows: the sky between them is not covered.
  const std::vector<TRect> lake{{40, 10, 60, 22}, {0, 150, 320, 240}, {100, 140, 150, 170}};
  const std::vector<TRect> cover = BandedCover(lake, bounds, 64);
  ExpectBandedCover(lake, bounds, cover);
  EXPECT_LE(Area(cover), 20 * 16 + 320 * 100);
  // The water rows below the boat's band are one rectangle, not one per band.
  EXPECT_LE(cover.size(), 4u);

  EXPECT_TRUE(BandedCover({}, bounds, 64).empty());
  EXPECT_TRUE(BandedCover({{-50, -50, -10, -10}, {400, 10, 500, 20}, {10, 10, 10, 30}}, bounds, 64).empty());
  // Parts outside the bounds are cut off.
  ExpectBandedCover({{-5, 230, 12, 260}}, bounds, BandedCover({{-5, 230, 12, 260}}, bounds, 64));
  EXPECT_EQ(BandedCover({{-5, 230, 12, 260}}, bounds, 64), (std::vector<TRect>{{0, 230, 12, 240}}));
  // One rectangle allowed: the one around everything.
  EXPECT_EQ(BandedCover(lake, bounds, 1), (std::vector<TRect>{{0, 10, 320, 240}}));
}

TEST(FramePresent, BandedCoverOfScatteredDropsFitsItsLimit) {
  // Rain: drops old and new scattered over the frame; the bands grow until the limit holds.
  const TRect bounds{0, 0, 640, 480};
  std::vector<TRect> drops;
  uint32_t seed = 12345;
  for (int i = 0; i < 300; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const int x = static_cast<int>(seed >> 8) % 640, y = static_cast<int>((seed >> 4) % 500) - 10;
    drops.push_back(TRect{x - 2, y, x + 3, y + 14});
  }
  for (int limit : {2000, 256, 64, 8}) {
    const std::vector<TRect> cover = BandedCover(drops, bounds, limit);
    SCOPED_TRACE(limit);
    ExpectBandedCover(drops, bounds, cover);
    EXPECT_LE(static_cast<int>(cover.size()), limit);
  }
  // With room for many rectangles the drops cost far less than the frame.
  EXPECT_LT(Area(BandedCover(drops, bounds, 2000)), 640 * 480 / 2);
}

TEST(FramePresent, AShowPresentedByItsChangesLooksLikeTheWholeCanvas) {
  // The same show twice on the same virtual clock: once into a window that copies only what the
  // show says changed, once through the canvas. Rain, the clock, a plain picture, transitions
  // and picture changes: after every step both screens must be the same.
  kytest::TTempDir dir;
  TSceneDescription d;
  const int w = 48, h = 36;
  TBitmap32 photo(w, h), mask(w, h);
  mask.Clear(MakeColor32(0, 0, 0));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      photo.SetPixel(x, y, MakeColor32(y * 7, 255 - y * 7, x * 5));
      if (y >= 20) mask.SetPixel(x, y, MakeColor32(0, 0, 255));
    }
  d.PictureJpeg = EncodeJpeg(photo, 95);
  d.PreviewJpeg = d.PictureJpeg;
  d.Width = w;
  d.Height = h;
  d.MaskPicture.Assign(mask);
  d.WaveSets[0].Jitter = 3;
  d.Weather = TWeatherParam{kWeatherRain, 60, 12, 80, 15, 8};
  const std::vector<uint8_t> bytes = EncodeSceneFile(d);
  kytest::WriteFile(dir / "harbour.kyp", std::string(bytes.begin(), bytes.end()));
  kytest::WriteBmp24(dir / "still.bmp", 20, 30, [](int x, int y) { return static_cast<uint32_t>((x * 12) << 16 | (y * 8)); });

  TKyCProject projects[2];
  for (TKyCProject& p : projects) {
    for (const char* name : {"harbour.kyp", "still.bmp"}) {
      p.FileList().Names.push_back(dir / name);
      p.FileList().Flags.push_back("TRUE");
    }
    p.Setting().Duration = 1;
    p.Setting().ShowImageMode = 1;
    p.Setting().ShowClock = true;
    p.Setting().TransitionTime = 200;
  }
  // The plain window, then full screen (the back surface at working size, as the GPU keeps it).
  for (const bool fullScreen : {false, true}) {
    SCOPED_TRACE(fullScreen ? "full screen" : "plain window");
    for (TKyCProject& p : projects) {
      p.Setting().DirectX = fullScreen;
      p.Setting().DirectXQuality = 1;
    }
    TManualTicks clocks[2] = {TManualTicks(500), TManualTicks(500)};
    TKeepingHost keeping(64, 40, clocks[0]);
    keeping.FFullScreen = fullScreen;
    TBitmap32 canvasScreen;
    TOffscreenHost whole(64, 40, clocks[1], [&](const TBitmap32& f) { canvasScreen.Assign(f); });
    whole.SetFullScreenAvailable(fullScreen);
    TKyfmScrSvr a(projects[0], keeping, clocks[0]), b(projects[1], whole, clocks[1]);
    a.FormShow();
    b.FormShow();
    for (int step = 0; step < 150; ++step) {
      a.FrameStep();
      b.FrameStep();
      ASSERT_EQ(clocks[0].Now(), clocks[1].Now());
      const TBitmap32& shown = fullScreen ? keeping.FBack : keeping.FScreen;
      ASSERT_GT(canvasScreen.Width(), 0);
      ASSERT_EQ(shown.Width(), canvasScreen.Width());
      ASSERT_EQ(shown.Height(), canvasScreen.Height());
      for (int y = 0; y < shown.Height(); ++y)
        for (int x = 0; x < shown.Width(); ++x)
          ASSERT_EQ(shown.Pixel(x, y) & 0xFFFFFF, canvasScreen.Pixel(x, y) & 0xFFFFFF)
              << "step " << step << " at " << x << "," << y;
      // Both shows build their back surface alike; the scene's own frame says what it must hold.
      if (fullScreen && a.LoadedPicture().find(".kyp") != std::string::npos) {
        const TBitmap32& frame = a.Engine()->GetOutput();
        ASSERT_EQ(frame.Width(), shown.Width());
        for (int y = 0; y < shown.Height(); ++y)
          for (int x = 0; x < shown.Width(); ++x)
            ASSERT_EQ(shown.Pixel(x, y) & 0xFFFFFF, frame.Pixel(x, y) & 0xFFFFFF) << "step " << step << " at " << x << "," << y;
      }
    }
    EXPECT_GT(a.TransitionsRun(), 1);
    EXPECT_GT(keeping.FPartial, 50) << "frames sent by their changes";
    a.FormClose();
    b.FormClose();
  }
}
