// Picture and GIF objects: the list rules, key colours, PNG alpha with mirroring, GIF frame
// timing on the virtual clock, and the limits against hostile scenes.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/uBmpWriter.h"
#include "graphics/uGifImage.h"
#include "graphics/uJpegReader.h"
#include "graphics/uJpegWriter.h"
#include "graphics/uPngWriter.h"
#include "objTestUtil.h"

using namespace ky;
using kytest::TObjectScene;

namespace {

std::string Obj(int n, const char* type, const std::string& file, const std::string& extra = "") {
  return "[Obj" + std::to_string(n) + "]\r\nObjType=" + type + "\r\nFilename=" + file + "\r\n" + extra;
}

// Draws an object's current picture (Back when flipped, as the engine does) at 100 % onto a
// surface filled with ground.
TBitmap32 DrawOnto(TAnimImgObject& o, int w, int h, TColor32 ground) {
  TBitmap32 target(w, h);
  target.Clear(ground);
  const TObjectDrawState d = o.DrawState();
  TBitmap32* src = &o.Front();
  if (d.Flipped) {
    o.Back().Assign(o.Front());
    o.Back().FlipHorizontal();
    src = &o.Back();
  }
  target.Draw(TRect{0, 0, d.PictureWidth, d.PictureHeight}, TRect{0, 0, d.PictureWidth, d.PictureHeight}, *src);
  return target;
}

uint32_t Rgb(TColor32 c) { return c & 0x00FFFFFFu; }

// (F * a + B * (255 - a)) div 255 per channel.
uint32_t Mix(TColor32 F, TColor32 B, uint32_t a) {
  auto ch = [&](int shift) { return ((((F >> shift) & 0xFF) * a + ((B >> shift) & 0xFF) * (255 - a)) / 255) << shift; };
  return ch(16) | ch(8) | ch(0);
}

}  // namespace

TEST(TAnimObjects, TypesAreExactAndIndexesFollowTheSections) {
  TObjectScene s(Obj(0, "GIF", "a.gif") + Obj(1, "IMG", "b.png") + Obj(2, "gif", "c.gif") + Obj(3, "Img", "d.png"));
  ASSERT_EQ(s.Objects.size(), 2u);
  EXPECT_STREQ(s.Obj(0).ObjType(), "GIF");
  EXPECT_EQ(s.Obj(0).Index, 0);
  EXPECT_STREQ(s.Obj(1).ObjType(), "IMG");
  EXPECT_EQ(s.Obj(1).Index, 1);
  // A missing picture is looked for in the shared folder's images/.
  EXPECT_EQ(s.Obj(1).FileName, "/nonexistent/images/b.png");
}

TEST(TAnimObjects, AtMostOneHundredAndOneObjects) {
  std::string text;
  for (int n = 0; n < 150; ++n) text += Obj(n, "IMG", "p" + std::to_string(n) + ".png", "PosLeft=" + std::to_string(n) + "\r\n");
  TObjectScene s(text);
  ASSERT_EQ(s.Objects.size(), 101u);
  EXPECT_EQ(s.Obj(100).PosLeft, 100);
}

TEST(TAnimObjects, AGapKeepsEachObjectsOwnKeys) {
  TObjectScene s(Obj(0, "IMG", "a.png", "PosLeft=7\r\n") + Obj(2, "IMG", "c.png", "PosLeft=9\r\n"));
  ASSERT_EQ(s.Objects.size(), 2u);
  EXPECT_EQ(s.Obj(1).PosLeft, 9);
  EXPECT_EQ(s.Obj(1).FileName, "/nonexistent/images/c.png");
}

TEST(TAnimObjects, MissingPicturesAreFoundInTheSharedFolderThenTheWorkingFolder) {
  kytest::TTempDir common, work;
  ASSERT_EQ(mkdir((common / "images").c_str(), 0700), 0);
  kytest::WritePngRgba(common / "images/shared.png", 3, 2, std::vector<uint32_t>(6, 0xFF102030u));
  kytest::WritePngRgba(work / "fish.png", 5, 4, std::vector<uint32_t>(20, 0xFF102030u));
  TObjectScene s(Obj(0, "IMG", "C:\\Authoring\\shared.png") + Obj(1, "IMG", "C:\\Authoring\\fish.png") +
                     Obj(2, "IMG", "C:\\Authoring\\nowhere.png"),
                 0, common.Path() + "/");
  EXPECT_EQ(s.Obj(0).FileName, common / "images/shared.png");
  RepointMissingPictures(s.Objects, work.Path() + "/");
  EXPECT_EQ(s.Obj(0).FileName, common / "images/shared.png");
  EXPECT_EQ(s.Obj(1).FileName, work / "fish.png");
  s.Start();
  s.DrawAt(0);
  EXPECT_EQ(s.Obj(0).PictureWidth, 3);
  EXPECT_EQ(s.Obj(1).PictureWidth, 5);
  // Nowhere to be found: no picture, nothing to draw, no error (its timeline still runs).
  EXPECT_EQ(s.Obj(2).PictureWidth, 0);
  EXPECT_TRUE(s.Obj(2).Front().Empty());
  // A file in the shared folder is written back by its bare name.
  EXPECT_NE(s.Obj(0).SaveToText().find("Filename=shared.png"), std::string::npos);
}

TEST(TImgObject, JpegKeysOutItsBottomLeftColour) {
  kytest::TTempDir dir;
  // Two flat 8 x 8 blocks per row: the decoded colours of a flat block are exact enough to
  // repeat, and the bottom-left block's colour appears again top right.
  TBitmap32 pic(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      pic.SetPixel(x, y, ((x < 8) == (y < 8)) ? MakeColor32(200, 40, 40) : MakeColor32(40, 40, 200));
  const std::vector<uint8_t> jpeg = EncodeJpeg(pic, 100);
  kytest::WriteFile(dir / "k.jpg", std::string(jpeg.begin(), jpeg.end()));
  TBitmap32 decoded;
  LoadJpegFromFile(dir / "k.jpg", decoded);
  const TColor32 key = decoded.Pixel(0, 15);

  TObjectScene s(Obj(0, "IMG", dir / "k.jpg"));
  s.Start();
  s.DrawAt(0);
  EXPECT_EQ(s.Obj(0).TransparentType, 1);
  EXPECT_EQ(s.Obj(0).KeyColor, key);
  const TColor32 ground = MakeColor32(0, 255, 0);
  const TBitmap32 out = DrawOnto(s.Obj(0), 16, 16, ground);
  int skipped = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const TColor32 src = decoded.Pixel(x, y);
      const uint32_t expected = src == key ? Rgb(ground) : Rgb(src);
      skipped += src == key;
      EXPECT_EQ(Rgb(out.Pixel(x, y)), expected) << x << "," << y;
    }
  EXPECT_GT(skipped, 1);
}

TEST(TImgObject, TransparentColourIsAWindowsColour) {
  kytest::TTempDir dir;
  TBitmap32 pic(2, 1);
  pic.SetPixel(0, 0, MakeColor32(0x11, 0x22, 0x33));
  pic.SetPixel(1, 0, MakeColor32(0x44, 0x55, 0x66));
  SaveBitmapToBmpFile(pic, dir / "k.bmp");
  // 0x00BBGGRR: blue 0x66, green 0x55, red 0x44.
  TObjectScene s(Obj(0, "IMG", dir / "k.bmp", "TransparentType=2\r\nTransparentColor=0x665544\r\n"));
  s.Start();
  s.DrawAt(0);
  const TBitmap32 out = DrawOnto(s.Obj(0), 2, 1, MakeColor32(0, 0, 0));
  EXPECT_EQ(Rgb(out.Pixel(0, 0)), 0x112233u);
  EXPECT_EQ(Rgb(out.Pixel(1, 0)), 0u);
}

TEST(TImgObject, PngAlphaTimesOpacityAndMirroredWithItsPicture) {
  kytest::TTempDir dir;
  // 4 x 2, every pixel its own colour and alpha.
  const std::vector<uint32_t> px = {0xFFFF0000u, 0x8000FF00u, 0x400000FFu, 0x00FFFFFFu,
                                    0xC0102030u, 0x20405060u, 0xFF708090u, 0x10A0B0C0u};
  kytest::WritePngRgba(dir / "a.png", 4, 2, px);
  const TColor32 ground = MakeColor32(20, 40, 60);
  struct TCase {
    int opacity;
    uint32_t master;
  } cases[] = {{10, 255}, {5, 128}};
  for (const TCase& c : cases) {
    for (const bool mirrored : {false, true}) {
      // The mirroring is set by hand between ticks (the object is paused), as a tick would.
      TObjectScene s(Obj(0, "IMG", dir / "a.png", "Opacity=" + std::to_string(c.opacity) + "\r\n"));
      s.Start();
      s.DrawAt(0);
      TAnimImgObject& o = s.Obj(0);
      o.Flipped = mirrored;
      s.Obj(0).Stop();
      s.DrawAt(0);
      ASSERT_EQ(o.DrawState().Flipped, mirrored);
      const TBitmap32 out = DrawOnto(o, 4, 2, ground);
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
          const uint32_t p = px[static_cast<size_t>(y * 4 + (mirrored ? 3 - x : x))];
          const uint32_t a = (p >> 24) * c.master / 255;
          EXPECT_EQ(Rgb(out.Pixel(x, y)), Mix(p, ground, a)) << c.opacity << mirrored << " " << x << "," << y;
        }
    }
  }
}

TEST(TImgObject, PngWithoutAlphaIsDrawnWholeAtFullStrength) {
  kytest::TTempDir dir;
  TBitmap32 pic(2, 1);
  pic.SetPixel(0, 0, MakeColor32(1, 2, 3));
  pic.SetPixel(1, 0, MakeColor32(250, 251, 252));
  SavePngFile(pic, dir / "rgb.png");
  TObjectScene s(Obj(0, "IMG", dir / "rgb.png", "Opacity=3\r\n"));
  s.Start();
  s.DrawAt(0);
  EXPECT_FALSE(dynamic_cast<TImgObject&>(s.Obj(0)).HasAlpha);
  const TBitmap32 out = DrawOnto(s.Obj(0), 2, 1, MakeColor32(0, 0, 0));
  EXPECT_EQ(Rgb(out.Pixel(0, 0)), 0x010203u);
  EXPECT_EQ(Rgb(out.Pixel(1, 0)), 0xFAFBFCu);
}

TEST(TImgObject, APictureBeyondTheSizeLimitsDrawsNothing) {
  kytest::TTempDir dir;
  kytest::WritePngRgba(dir / "wide.png", 20000, 1, std::vector<uint32_t>(20000, 0xFF000000u));
  TObjectScene s(Obj(0, "IMG", dir / "wide.png"));
  s.Start();
  s.DrawAt(0);
  EXPECT_EQ(s.Obj(0).PictureWidth, 0);
  EXPECT_TRUE(s.Obj(0).Front().Empty());
}

// --- GIF objects ---

namespace {

// The frame a GIF object shows: the colour of its Front's top-left pixel.
uint32_t Shown(TGifObject& g) { return Rgb(g.Front().Pixel(0, 0)); }

}  // namespace

TEST(TGifObject, AnimSpeedScalesEveryFrameWaitAndDelayZeroIsTen) {
  kytest::TTempDir dir;
  // Delays 10, 20 and 0 hundredths: waits d * 12 * 100 / AnimPercent.
  kytest::TGifPlan plan = kytest::SolidFramesGif(2, 2, {10, 20, 0}, {1, 2, 3});
  plan.Loop = 0;
  kytest::WriteGif(dir / "a.gif", plan);
  const uint32_t red = 0xC80000, green = 0x00C800, blue = 0x0000C8;
  struct TCase {
    int speed, percent;
    std::vector<std::pair<uint32_t, uint32_t>> shown;  // (ms after the start, colour)
  } cases[] = {
      {10, 100, {{0, red}, {119, red}, {120, green}, {359, green}, {360, blue}, {479, blue}, {480, red}, {600, green}}},
      {20, 600, {{0, red}, {19, red}, {20, green}, {59, green}, {60, blue}, {79, blue}, {80, red}}},
      {1, 10, {{0, red}, {1199, red}, {1200, green}, {3599, green}, {3600, blue}, {4800, red}}},
  };
  for (const TCase& c : cases) {
    TObjectScene s(Obj(0, "GIF", dir / "a.gif", "AnimSpeed=" + std::to_string(c.speed) + "\r\n"), 50);
    s.Start();
    EXPECT_EQ(s.Gif(0).AnimPercent, c.percent);
    for (const auto& [t, colour] : c.shown) {
      s.DrawAt(50 + t);
      EXPECT_EQ(Shown(s.Gif(0)), colour) << c.speed << " at " << t;
    }
  }
}

TEST(TGifObject, AnimPercentFollowsTheSpeedSteps) {
  struct TCase {
    int speed, percent;
  } cases[] = {{1, 10}, {10, 100}, {11, 150}, {20, 600}, {27, 950}, {28, 1000}, {40, 1000}, {0, 0}, {-3, 0}};
  kytest::TTempDir dir;
  kytest::WriteGif(dir / "a.gif", kytest::SolidFramesGif(2, 2, {10, 10}, {1, 2}));
  for (const TCase& c : cases) {
    TObjectScene s(Obj(0, "GIF", dir / "a.gif", "AnimSpeed=" + std::to_string(c.speed) + "\r\n"));
    s.Start();
    EXPECT_EQ(s.Gif(0).AnimPercent, c.percent) << c.speed;
  }
  // Percent 0 waits until stopped: frame 0 stays.
  TObjectScene s(Obj(0, "GIF", dir / "a.gif", "AnimSpeed=0\r\n"));
  s.Start();
  s.DrawAt(100000);
  EXPECT_EQ(Shown(s.Gif(0)), 0xC80000u);
}

TEST(TGifObject, OneFrameHasNoPainterAndIsDrawnOnce) {
  kytest::TTempDir dir;
  kytest::WriteGif(dir / "one.gif", kytest::SolidFramesGif(3, 2, {10}, {2}));
  TObjectScene s(Obj(0, "GIF", dir / "one.gif"));
  s.Start();
  s.DrawAt(5000);
  EXPECT_FALSE(s.Gif(0).HasPainter());
  EXPECT_EQ(s.Gif(0).PictureWidth, 3);
  EXPECT_EQ(Shown(s.Gif(0)), 0x00C800u);
}

TEST(TGifObject, LoopCountAsStoredThenTheLastFrameStays) {
  kytest::TTempDir dir;
  for (const int loop : {-1, 2, 0}) {
    kytest::TGifPlan plan = kytest::SolidFramesGif(2, 2, {10, 10}, {1, 2});
    plan.Loop = loop;
    kytest::WriteGif(dir / "l.gif", plan);
    TObjectScene s(Obj(0, "GIF", dir / "l.gif"));
    s.Start();
    // Passes of 240 ms: none → once, 2 → twice, 0 → endless.
    const int passes = loop < 0 ? 1 : (loop == 0 ? 1000 : loop);
    for (int p = 0; p < 5; ++p) {
      s.DrawAt(static_cast<uint32_t>(p * 240));
      const bool running = p < passes;
      EXPECT_EQ(Shown(s.Gif(0)), running ? 0xC80000u : 0x00C800u) << loop << " pass " << p;
    }
  }
}

TEST(TGifObject, TransparencyByTypeAndTheYellowKey) {
  kytest::TTempDir dir;
  kytest::TGifPlan plan;
  plan.Width = 3;
  plan.Height = 1;
  plan.Global = {kytest::GifRgb(9, 9, 9), kytest::GifRgb(255, 255, 0), kytest::GifRgb(0, 0, 200),
                 kytest::GifRgb(100, 50, 25)};
  kytest::TGifFramePlan f;
  f.Width = 3;
  f.Pixels = {0, 1, 3};  // bottom-left pixel colour index 0
  f.Transparent = 3;
  plan.Frames = {f};
  kytest::WriteGif(dir / "t.gif", plan);
  const TColor32 ground = MakeColor32(7, 7, 7);
  struct TCase {
    std::string keys;
    std::vector<uint32_t> out;  // the three pixels drawn
  } cases[] = {
      // The GIF's own index 3; yellow is always skipped.
      {"", {0x090909u, 0x070707u, 0x070707u}},
      {"Transparent=0\r\n", {0x090909u, 0x070707u, 0x643219u}},
      // The bottom-left pixel's colour (index 0).
      {"TransparentType=1\r\n", {0x070707u, 0x070707u, 0x643219u}},
      // 0x00BBGGRR 0x193264 is (100, 50, 25): index 3.
      {"TransparentType=2\r\nTransparentColor=0x193264\r\n", {0x090909u, 0x070707u, 0x070707u}},
      // No such colour in the table: nothing transparent.
      {"TransparentType=2\r\nTransparentColor=0x123456\r\n", {0x090909u, 0x070707u, 0x643219u}},
  };
  for (const TCase& c : cases) {
    TObjectScene s(Obj(0, "GIF", dir / "t.gif", c.keys));
    s.Start();
    s.DrawAt(0);
    const TBitmap32 out = DrawOnto(s.Obj(0), 3, 1, ground);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Rgb(out.Pixel(x, 0)), c.out[static_cast<size_t>(x)]) << c.keys << x;
  }
}

TEST(TGifObject, RefreshFrameClearsEachFrameBeforeTheNext) {
  kytest::TTempDir dir;
  kytest::TGifPlan plan;
  plan.Width = 2;
  plan.Height = 1;
  plan.Global = {kytest::GifRgb(200, 0, 0), kytest::GifRgb(0, 200, 0)};
  kytest::TGifFramePlan a, b;
  a.Width = 2;
  a.Pixels = {0, 0};
  a.Delay = 10;
  a.Disposal = 1;
  b.Left = 1;
  b.Pixels = {1};
  b.Delay = 10;
  b.Disposal = 1;
  plan.Frames = {a, b};
  kytest::WriteGif(dir / "r.gif", plan);
  for (const bool refresh : {false, true}) {
    TObjectScene s(Obj(0, "GIF", dir / "r.gif", std::string("RefreshFrame=") + (refresh ? "1" : "0") + "\r\n"));
    s.Start();
    s.DrawAt(120);  // frame 1: only its own pixel
    const TBitmap32 out = DrawOnto(s.Obj(0), 2, 1, MakeColor32(5, 5, 5));
    EXPECT_EQ(Rgb(out.Pixel(0, 0)), refresh ? 0x050505u : 0xC80000u);
    EXPECT_EQ(Rgb(out.Pixel(1, 0)), 0x00C800u);
  }
}

TEST(TGifObject, FramesBeyondTheObjectBudgetAreRefused) {
  kytest::TTempDir dir;
  // 1000 x 1000 frames, 9 of them: 9 M pixels of indices, over the 8 M budget.
  kytest::WriteGif(dir / "big.gif", kytest::SolidFramesGif(1000, 1000, std::vector<int>(9, 10), std::vector<int>(9, 1)));
  kytest::WriteGif(dir / "ok.gif", kytest::SolidFramesGif(1000, 1000, std::vector<int>(8, 10), std::vector<int>(8, 1)));
  TObjectScene s(Obj(0, "GIF", dir / "big.gif") + Obj(1, "GIF", dir / "ok.gif"));
  s.Start();
  s.DrawAt(0);
  EXPECT_EQ(s.Gif(0).PictureWidth, 0);
  EXPECT_EQ(s.Gif(0).Image(), nullptr);
  EXPECT_EQ(s.Gif(1).PictureWidth, 1000);
}

// --- the run-at-once combine against the pixel-by-pixel reference ---

namespace {

// Draws like the engine: from the snapshot's edges, stretched by WidthSize/HeightSize.
TBitmap32 DrawLikeTheEngine(TAnimImgObject& o, int w, int h) {
  TBitmap32 target(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) target.SetPixel(x, y, MakeColor32(x * 9, y * 5, (x ^ y) * 3));
  const TObjectDrawState d = o.DrawState();
  const int right = static_cast<int>(std::nearbyint(d.ScreenLeft + d.PictureWidth * d.ScaleX * d.WidthSize / 100));
  const int bottom = static_cast<int>(std::nearbyint(d.ScreenTop + d.PictureHeight * d.ScaleY * d.HeightSize / 100));
  TBitmap32* src = &o.Front();
  if (d.Flipped) {
    o.Back().Assign(o.Front());
    o.Back().FlipHorizontal();
    src = &o.Back();
  }
  target.Draw(TRect{d.ScreenLeft, d.ScreenTop, right, bottom}, TRect{0, 0, d.PictureWidth, d.PictureHeight}, *src);
  return target;
}

}  // namespace

TEST(TAnimImgObject, RowCombineAgreesWithThePixelByPixelReference) {
  kytest::TTempDir dir;
  std::vector<uint32_t> px(24 * 16);
  for (size_t i = 0; i < px.size(); ++i)
    px[i] = (static_cast<uint32_t>((i * 37) % 256) << 24) | static_cast<uint32_t>(i * 2654435761u & 0xFFFFFF);
  kytest::WritePngRgba(dir / "a.png", 24, 16, px);
  TBitmap32 jpg = kytest::TestPictureLike(24, 16);
  const std::vector<uint8_t> jpeg = EncodeJpeg(jpg, 90);
  kytest::WriteFile(dir / "k.jpg", std::string(jpeg.begin(), jpeg.end()));
  kytest::TGifPlan gif = kytest::SolidFramesGif(24, 16, {10, 10}, {1, 3});
  gif.Frames[1].Pixels[5] = 0;
  kytest::WriteGif(dir / "g.gif", gif);
  // Sizes that shrink, enlarge and keep; positions partly off the surface on the left and top.
  const char* sizes[] = {"WidthSize=100\r\nHeightSize=100\r\n", "WidthSize=50\r\nHeightSize=75\r\n",
                         "WidthSize=250\r\nHeightSize=180\r\n"};
  const char* places[] = {"PosLeft=30\r\nPosTop=20\r\n", "PosLeft=4\r\nPosTop=3\r\n"};
  const char* pictures[][2] = {{"IMG", "a.png"}, {"IMG", "k.jpg"}, {"GIF", "g.gif"}};
  int compared = 0;
  for (const auto& pic : pictures)
    for (const char* size : sizes)
      for (const char* place : places)
        for (const bool flipped : {false, true})
          for (const int opacity : {10, 6}) {
            TObjectScene s(Obj(0, pic[0], dir / pic[1],
                               std::string(size) + place + "Opacity=" + std::to_string(opacity) + "\r\n"));
            s.Start(80, 60, 120, 90);
            s.DrawAt(130);
            s.Obj(0).Stop();
            s.Obj(0).Flipped = flipped;
            s.DrawAt(130);
            const TBitmap32 fast = DrawLikeTheEngine(s.Obj(0), 120, 90);
            s.Obj(0).Front().SetOnCombineRow(nullptr);
            s.Obj(0).Back().SetOnCombineRow(nullptr);
            const TBitmap32 reference = DrawLikeTheEngine(s.Obj(0), 120, 90);
            int differing = 0;
            for (int y = 0; y < 90; ++y)
              for (int x = 0; x < 120; ++x) differing += fast.Pixel(x, y) != reference.Pixel(x, y);
            EXPECT_EQ(differing, 0) << pic[1] << " " << size << place << flipped << opacity;
            ++compared;
          }
  EXPECT_EQ(compared, 72);
}

TEST(ObjectBlend, EveryChannelValueAndAlphaFollowsTheRule) {
  // All of f, b and a: each channel (f * a + b * (255 - a)) div 255, the alpha byte a. The
  // channels get different values so a carry between them would show.
  int wrong = 0;
  for (uint32_t a = 0; a < 256; ++a)
    for (uint32_t f = 0; f < 256; ++f)
      for (uint32_t b = 0; b < 256; ++b) {
        const TColor32 F = (f << 16) | ((255 - f) << 8) | f, B = (b << 16) | (b << 8) | (255 - b);
        const TColor32 got = ObjectBlend(F | 0x12000000u, B | 0x34000000u, a);
        const uint32_t want = (a << 24) | (((f * a + b * (255 - a)) / 255) << 16) |
                              ((((255 - f) * a + b * (255 - a)) / 255) << 8) | ((f * a + (255 - b) * (255 - a)) / 255);
        wrong += got != want;
      }
  EXPECT_EQ(wrong, 0);
}
