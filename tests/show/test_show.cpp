#include <gtest/gtest.h>

#include "graphics/uPictureReaders.h"
#include "package/uCreatorProject.h"
#include "scene/engine/uAnimEngine.h"
#include "graphics/uJpegWriter.h"
#include "scene/file/uSceneWriter.h"
#include "saver/FKyScrSvr.h"
#include "saver/uOffscreenHost.h"
#include "testutil.h"

using namespace ky;
using kytest::TTempDir;

namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00;

// A show on a small virtual screen; every presented picture is kept.
struct TShowFixture {
  TTempDir dir;
  TKyCProject project;
  TManualTicks clock;
  std::vector<TBitmap32> frames;
  TOffscreenHost host;
  std::unique_ptr<TKyfmScrSvr> show;

  explicit TShowFixture(int w = 32, int h = 24, uint32_t start = 0, uint32_t frameMs = 33)
      : clock(start), host(w, h, clock, [this](const TBitmap32& f) { frames.emplace_back().Assign(f); }, frameMs) {}
  std::string Picture(const char* name, uint32_t colour, int w = 8, int h = 6) {
    kytest::WriteBmp24(dir / name, w, h, [colour](int, int) { return colour; });
    return dir / name;
  }
  // A scene file of the photo with the mask's regions, default waves and nothing else.
  std::string Scene(const char* name, const TBitmap32& photo, const TBitmap32& mask) {
    TSceneDescription d;
    d.PictureJpeg = EncodeJpeg(photo, 95);
    d.PreviewJpeg = d.PictureJpeg;
    d.Width = photo.Width();
    d.Height = photo.Height();
    d.MaskPicture.Assign(mask);
    const std::vector<uint8_t> bytes = EncodeSceneFile(d);
    kytest::WriteFile(dir / name, std::string(bytes.begin(), bytes.end()));
    return dir / name;
  }
  void List(const std::vector<std::string>& pictures) {
    for (const auto& p : pictures) {
      project.FileList().Names.push_back(p);
      project.FileList().Flags.push_back("TRUE");
    }
  }
  void Start(const std::vector<std::string>& pictures) {
    List(pictures);
    show = std::make_unique<TKyfmScrSvr>(project, host, clock);
    show->FormShow();
  }
  void Run(int steps) {
    for (int i = 0; i < steps; ++i) show->FrameStep();
  }
  uint32_t Centre(size_t frame) const {
    const TBitmap32& f = frames.at(frame);
    return f.Pixel(f.Width() / 2, f.Height() / 2) & 0xFFFFFF;
  }
};

}  // namespace

TEST(Show, SecondPictureFirstAppearsInFrame31WithOneSecondDuration) {
  TShowFixture f;
  f.project.Setting().ShowImageMode = 1;
  f.project.Setting().Duration = 1;
  f.project.Setting().Transition = false;
  f.Start({f.Picture("a.bmp", kRed), f.Picture("b.bmp", kBlue)});
  f.Run(40);
  ASSERT_EQ(f.frames.size(), 40u);
  for (size_t k = 0; k < 31; ++k) ASSERT_EQ(f.Centre(k), kRed) << k;
  EXPECT_EQ(f.Centre(31), kBlue);  // 31 x 33 ms = 1023 ms
  // Stretched (not proportionally) over the whole screen.
  EXPECT_EQ(f.frames[31].Pixel(0, 0) & 0xFFFFFF, kBlue);
  EXPECT_EQ(f.show->PictureWidth(), 32);
}

TEST(Show, PicturesChangeOnTimeAfterTheTickCounterPassesHalfItsRange) {
  for (const uint32_t start : {0x80000010u, 0xFFFFFC00u}) {
    TShowFixture f(32, 24, start);
    f.project.Setting().ShowImageMode = 1;
    f.project.Setting().Duration = 1;
    f.project.Setting().Transition = false;
    f.Start({f.Picture("a.bmp", kRed), f.Picture("b.bmp", kBlue)});
    f.Run(35);
    EXPECT_EQ(f.Centre(30), kRed) << start;
    EXPECT_EQ(f.Centre(31), kBlue) << start;
  }
}

TEST(Show, ProportionalStretchCentresTheFittedPicture) {
  TShowFixture f(1024, 768);
  f.project.Setting().Stretch = true;
  f.project.Setting().Proportional = true;
  f.Start({f.Picture("wide.bmp", kGreen, 1000, 500)});
  f.Run(1);
  EXPECT_EQ(f.show->PictureWidth(), 1024);
  EXPECT_EQ(f.show->PictureHeight(), 512);
  const TBitmap32& frame = f.frames.at(0);
  EXPECT_EQ(frame.Pixel(500, 127) & 0xFFFFFF, 0u);
  EXPECT_EQ(frame.Pixel(500, 128) & 0xFFFFFF, kGreen);
  EXPECT_EQ(frame.Pixel(500, 639) & 0xFFFFFF, kGreen);
  EXPECT_EQ(frame.Pixel(500, 640) & 0xFFFFFF, 0u);
}

TEST(Show, OwnSizeIsCentredWithoutStretching) {
  TShowFixture f(32, 24);
  f.project.Setting().Stretch = false;
  f.Start({f.Picture("small.bmp", kRed, 10, 6)});
  f.Run(1);
  const TBitmap32& frame = f.frames.at(0);
  // (32 - 10) div 2 = 11, (24 - 6) div 2 = 9
  EXPECT_EQ(frame.Pixel(10, 12) & 0xFFFFFF, 0u);
  EXPECT_EQ(frame.Pixel(11, 9) & 0xFFFFFF, kRed);
  EXPECT_EQ(frame.Pixel(20, 14) & 0xFFFFFF, kRed);
  EXPECT_EQ(frame.Pixel(21, 14) & 0xFFFFFF, 0u);
  EXPECT_EQ(frame.Pixel(11, 15) & 0xFFFFFF, 0u);
}

TEST(Show, PictureOrderRules) {
  {  // random over two pictures alternates strictly
    TShowFixture f;
    f.project.Setting().ShowImageMode = 0;
    f.Start({f.Picture("a.bmp", kRed), f.Picture("b.bmp", kBlue)});
    int last = f.show->PictureIndex();
    for (int i = 0; i < 50; ++i) {
      f.show->NextPictureIndex();
      EXPECT_NE(f.show->PictureIndex(), last);
      last = f.show->PictureIndex();
    }
  }
  {  // random over one picture always gives 0
    TShowFixture f;
    f.project.Setting().ShowImageMode = 2;
    f.Start({f.Picture("a.bmp", kRed)});
    for (int i = 0; i < 5; ++i) {
      f.show->NextPictureIndex();
      EXPECT_EQ(f.show->PictureIndex(), 0);
    }
  }
  for (const int mode : {1, 3, 7}) {  // sequential, wrapping after the last
    TShowFixture f;
    f.project.Setting().ShowImageMode = mode;
    f.Start({f.Picture("a.bmp", kRed), f.Picture("b.bmp", kBlue), f.Picture("c.bmp", kGreen)});
    EXPECT_EQ(f.show->PictureIndex(), 0);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
      f.show->NextPictureIndex();
      seen.push_back(f.show->PictureIndex());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 0, 1})) << mode;
  }
}

TEST(Show, NoTimedChangeAndSinglePictureNeverTransition) {
  {
    TShowFixture f;
    f.project.Setting().Random = false;
    f.project.Setting().Duration = 1;
    f.project.Setting().ShowImageMode = 1;
    f.Start({f.Picture("a.bmp", kRed), f.Picture("b.bmp", kBlue)});
    f.Run(200);
    EXPECT_EQ(f.Centre(199), kRed);
    EXPECT_EQ(f.show->TransitionsRun(), 0);
  }
  {
    TShowFixture f;
    f.project.Setting().Duration = 1;
    f.Start({f.Picture("a.bmp", kRed)});
    f.Run(200);
    EXPECT_EQ(f.show->TransitionsRun(), 0);
    EXPECT_EQ(f.frames.size(), 200u);
  }
}

TEST(Show, CrossFadeTransitionFramesAndTiming) {
  TShowFixture f;
  f.project.Setting().ShowImageMode = 1;
  f.project.Setting().Duration = 1;
  f.project.Setting().TransitionTime = 330;
  f.project.Setting().TransitionEffects = "1";
  f.Start({f.Picture("a.bmp", kRed), f.Picture("b.bmp", kBlue)});
  f.Run(32);
  // Frames 0-30 red; frame 31 is the transition's 0 % frame, which took 33 ms, so
  // 330 div 34 = 9 more follow, then the regular frame of step 31.
  ASSERT_EQ(f.frames.size(), 31u + 1 + 9 + 1);
  EXPECT_EQ(f.Centre(31), kRed);
  // Frame 35 is i = 4: percent Round(400 / 9) = 44, alpha MulDiv(256, 44, 100) = 113;
  // red 255 + ((113 * -255) >> 8) = 142, blue (113 * 255) >> 8 = 112.
  EXPECT_EQ(f.Centre(35), 0x8E0070u);
  EXPECT_EQ(f.Centre(40), kBlue);  // i = 9: 100 %
  EXPECT_EQ(f.Centre(41), kBlue);
  EXPECT_EQ(f.show->TransitionsRun(), 1);
}

// On a machine that draws a frame in 5 ms the transition still shows one frame per 33 ms (the
// show's rate), waiting out the rest of each interval, and lasts its time.
TEST(Show, TransitionFramesComeNoFasterThanTheShowsFrameRate) {
  TShowFixture f(32, 24, 0, 5);
  f.project.Setting().ShowImageMode = 1;
  f.project.Setting().Duration = 1;
  f.project.Setting().TransitionTime = 330;
  f.project.Setting().TransitionEffects = "1";
  f.Start({f.Picture("a.bmp", kRed), f.Picture("b.bmp", kBlue)});
  size_t before = 0;
  uint32_t began = 0;
  for (int i = 0; i < 1000 && f.show->TransitionsRun() == 0; ++i) {
    before = f.frames.size();
    began = f.clock.Now();
    f.show->FrameStep();
  }
  ASSERT_EQ(f.show->TransitionsRun(), 1);
  // The 0 % frame took 5 ms, counted as the show's 33: 330 div 34 = 9 further frames (not
  // 330 div 6 = 55), then the step's regular frame.
  EXPECT_EQ(f.frames.size() - before, 1u + 9 + 1);
  EXPECT_EQ(f.Centre(before + 10), kBlue);
  // Ten transition frames 33 ms apart, the last one without a wait, and the regular frame.
  EXPECT_EQ(f.clock.Now() - began, 10u * 33 - 28 + 5);
}

TEST(Show, LateFramesGetNoWait) {
  {
    TShowFixture f(32, 24, 0, 50);  // every frame takes 50 ms
    f.Start({f.Picture("a.bmp", kRed)});
    f.show->FrameStep();
    EXPECT_EQ(f.show->FrameStep(), 0u);
  }
  {
    TShowFixture f(32, 24, 0, 10);  // every frame takes 10 ms
    f.Start({f.Picture("a.bmp", kRed)});
    f.clock.Advance(f.show->FrameStep());  // the host waits as told
    EXPECT_EQ(f.clock.Now(), 33u);
    EXPECT_EQ(f.show->FrameStep(), 23u);
  }
}

TEST(Show, MissingOrUnreadableScenesKeepTheOldPicture) {
  TShowFixture f;
  f.project.Setting().ShowImageMode = 1;
  f.project.Setting().Duration = 1;
  f.project.Setting().Transition = false;
  kytest::WriteFile(f.dir / "photo.jpeg", "not a scene");
  const std::string red = f.Picture("a.bmp", kRed);
  f.Start({red, f.dir / "missing.kyp", f.dir / "photo.jpeg", f.Picture("PHOTO.Bmp", kBlue)});
  f.Run(31 * 2 + 2);
  EXPECT_EQ(f.Centre(31), kRed);  // missing.kyp
  EXPECT_EQ(f.Centre(62), kRed);  // photo.jpeg is taken as a scene and does not load
  EXPECT_EQ(f.show->LoadedPicture(), red);
  f.Run(31);
  EXPECT_EQ(f.Centre(f.frames.size() - 1), kBlue);  // the extension is compared in upper case
}

namespace {

// The off-screen host on a screen whose size can change while the show runs, as the window of
// a screensaver daemon can when the display it is on changes.
class TResizableHost final : public TShowHost {
 public:
  TResizableHost(TOffscreenHost& inner, int width, int height) : FInner(inner), FWidth(width), FHeight(height) {}
  void Resize(int width, int height) {
    FWidth = width;
    FHeight = height;
  }
  int ScreenWidth() const override { return FWidth; }
  int ScreenHeight() const override { return FHeight; }
  bool InitFullScreen() override { return FInner.InitFullScreen(); }
  void PresentCanvas(const TBitmap32& canvas) override { FInner.PresentCanvas(canvas); }
  void PresentBack(const TBitmap32& back, const std::vector<TRect>* changed) override { FInner.PresentBack(back, changed); }
  void ProcessMessages() override { FInner.ProcessMessages(); }
  void ShowInformation(const std::string& text) override { FInner.ShowInformation(text); }
  void ShowError(const std::string& text) override { FInner.ShowError(text); }
  void SetCursorVisible(bool visible) override { FInner.SetCursorVisible(visible); }

 private:
  TOffscreenHost& FInner;
  int FWidth, FHeight;
};

bool SamePixels(const TBitmap32& a, const TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

}  // namespace

TEST(Show, ASceneThatCannotBeFittedLeavesTheOldSceneRunning) {
  TShowFixture f(32, 24);
  f.project.Setting().ShowImageMode = 1;
  f.project.Setting().Duration = 1;
  f.project.Setting().Transition = false;
  f.project.Setting().Proportional = true;
  // The shown scene is dry land of rows and columns that differ, so its frames stay the same
  // and any shift shows; the next one is square, so a frame placed by its size would not line up.
  TBitmap32 oldPhoto(16, 12), dry(16, 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) oldPhoto.SetPixel(x, y, MakeColor32(y * 20, 255 - x * 15, 128));
  dry.Clear(MakeColor32(0, 0, 0));
  TBitmap32 newPhoto(12, 12), water(12, 12);
  newPhoto.Clear(MakeColor32(0, 200, 0));
  water.Clear(MakeColor32(0, 0, 255));
  const std::string shown = f.Scene("shown.kyp", oldPhoto, dry);
  const std::string next = f.Scene("next.kyp", newPhoto, water);
  f.List({shown, next});
  TResizableHost screen(f.host, 32, 24);
  TKyfmScrSvr show(f.project, screen, f.clock);
  show.FormShow();
  for (int i = 0; i < 5; ++i) show.FrameStep();
  ASSERT_EQ(f.frames.size(), 5u);
  ASSERT_EQ(show.LoadedPicture(), shown);
  for (size_t k = 0; k < 4; ++k) ASSERT_TRUE(SamePixels(f.frames[k], f.frames[4])) << "dry land does not move";
  ASSERT_NE(f.frames[4].Pixel(0, 0) & 0xFFFFFF, 0u) << "the scene should fill the screen";
  ASSERT_NE(f.frames[4].Pixel(31, 23) & 0xFFFFFF, 0u) << "the scene should fill the screen";

  // The screen grows so far that the next scene, fitted to it, is above the largest surface:
  // the change to it fails. Frames drawn on the grown screen fall outside the canvas and are
  // not looked at.
  screen.Resize(20000, 15000);
  for (int i = 0; i < 40 && show.PictureIndex() == 0; ++i) show.FrameStep();
  ASSERT_EQ(show.PictureIndex(), 1) << "the change to the next scene should have been tried";
  EXPECT_EQ(show.LoadedPicture(), shown);

  screen.Resize(32, 24);
  const size_t resumed = f.frames.size();
  for (int i = 0; i < 10; ++i) show.FrameStep();
  ASSERT_EQ(f.frames.size(), resumed + 10) << "the show should go on drawing";
  EXPECT_EQ(show.LoadedPicture(), shown);
  EXPECT_FALSE(show.PlainPicture());
  EXPECT_EQ(show.PictureWidth(), 32);
  EXPECT_EQ(show.PictureHeight(), 24);
  for (size_t k = resumed; k < f.frames.size(); ++k)
    EXPECT_TRUE(SamePixels(f.frames[k], f.frames[4])) << "frame " << k << " should show the old scene as before";

  // On a screen it fits, the next change shows the new scene.
  for (int i = 0; i < 40 && show.LoadedPicture() == shown; ++i) show.FrameStep();
  EXPECT_EQ(show.LoadedPicture(), next);
  show.FrameStep();
  const TColor32 centre = f.frames.back().Pixel(16, 12);
  EXPECT_LT(RedComponent(centre), 40);
  EXPECT_GT(GreenComponent(centre), 160);
}

TEST(Show, EmptyShowListSaysSoAndStaysBlack) {
  TShowFixture f;
  f.project.FileList().Names = {"x.bmp"};
  f.project.FileList().Flags = {"FALSE"};
  f.show = std::make_unique<TKyfmScrSvr>(f.project, f.host, f.clock);
  f.show->FormShow();
  EXPECT_EQ(f.host.LastMessage(), "Unable to run screensaver.\r\nPlease configure!");
  EXPECT_FALSE(f.show->Running());
}

TEST(Show, FullScreenPathAndItsFallBack) {
  for (const bool available : {true, false}) {
    TShowFixture f(32, 24);
    f.host.SetFullScreenAvailable(available);
    f.project.Setting().DirectX = true;
    f.project.Setting().DirectXQuality = 1;
    f.Start({f.Picture("a.bmp", kRed)});
    f.Run(1);
    EXPECT_EQ(f.show->UseDirectX(), available);
    EXPECT_EQ(f.frames.at(0).Width(), available ? 800 : 32);
    EXPECT_EQ(f.frames.at(0).Height(), available ? 600 : 24);
    EXPECT_EQ(f.Centre(0), kRed);
  }
}

TEST(Show, InputThatEndsTheShow) {
  struct TMove { int x, y; bool closes; };
  const struct { const char* what; std::vector<TMove> moves; } cases[] = {
      {"the first five moves are ignored", {{0, 0, false}, {100, 0, false}, {0, 100, false}, {50, 50, false}, {9, 9, false}}},
      {"small drifts never end it",
       {{0, 0, false}, {0, 0, false}, {0, 0, false}, {0, 0, false}, {0, 0, false},
        {10, 10, false}, {12, 10, false}, {14, 12, false}, {16, 14, false}, {18, 16, false}, {16, 18, false}}},
      {"three pixels do",
       {{0, 0, false}, {0, 0, false}, {0, 0, false}, {0, 0, false}, {0, 0, false}, {10, 10, false}, {10, 13, true}}},
  };
  for (const auto& c : cases) {
    TShowFixture f;
    f.Start({f.Picture("a.bmp", kRed)});
    for (const TMove& m : c.moves) {
      f.show->FormMouseMove(m.x, m.y);
      EXPECT_EQ(f.show->CloseRequested(), m.closes) << c.what << " at " << m.x << "," << m.y;
    }
  }
  TShowFixture f;
  f.Start({f.Picture("a.bmp", kRed)});
  f.show->FormKeyDown(TShowKey::Other);
  f.show->FormKeyDown(TShowKey::F1);
  EXPECT_FALSE(f.show->CloseRequested());
  f.show->FormKeyPress(U'a');
  EXPECT_TRUE(f.show->CloseRequested());
  TShowFixture g;
  g.Start({g.Picture("a.bmp", kRed)});
  g.show->FormMouseDown();
  EXPECT_TRUE(g.show->CloseRequested());
  for (int i = 0; i < 5; ++i) g.show->FormMouseMove(0, 0);
  EXPECT_EQ(g.show->MouseSkipCount(), 0);
  EXPECT_TRUE(g.show->FormCloseQuery());
  EXPECT_EQ(g.show->MouseSkipCount(), 5);
  // After the check the next five moves are ignored again, however far they go.
  TShowFixture h;
  h.Start({h.Picture("a.bmp", kRed)});
  for (int i = 0; i < 6; ++i) h.show->FormMouseMove(0, 0);
  EXPECT_TRUE(h.show->FormCloseQuery());
  for (int i = 0; i < 5; ++i) h.show->FormMouseMove(100 * i, 100 * i);
  EXPECT_FALSE(h.show->CloseRequested());
  h.show->FormMouseMove(0, 0);
  EXPECT_FALSE(h.show->CloseRequested());
  h.show->FormMouseMove(0, 3);
  EXPECT_TRUE(h.show->CloseRequested());
}

TEST(Show, F1TwiceStartsTheWaterAgainFromThePlainPicture) {
  TShowFixture f;
  f.project.Setting().Stretch = false;
  // A scene of rows that differ, all water, so moving water changes pixels.
  TBitmap32 photo(32, 24), mask(32, 24);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 32; ++x) photo.SetPixel(x, y, MakeColor32(y * 10, 255 - y * 10, x * 8));
  mask.Clear(MakeColor32(0, 0, 255));
  const std::vector<uint8_t> jpeg = EncodeJpeg(photo, 95);
  TBitmap32 plain;
  LoadJpegFromMemory(jpeg.data(), jpeg.size(), plain);

  f.Start({f.Scene("lake.kyp", photo, mask)});
  f.Run(10);
  auto same = [&](const TBitmap32& a) {
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 32; ++x)
        if ((a.Pixel(x, y) & 0xFFFFFF) != (plain.Pixel(x, y) & 0xFFFFFF)) return false;
    return true;
  };
  ASSERT_TRUE(f.show->Engine());
  ASSERT_FALSE(same(f.show->Engine()->GetOutput())) << "the water should have moved";
  f.show->FormKeyDown(TShowKey::F1);
  EXPECT_FALSE(same(f.show->Engine()->GetOutput())) << "one press does nothing visible";
  f.show->FormKeyDown(TShowKey::F1);
  EXPECT_TRUE(same(f.show->Engine()->GetOutput())) << "the second press resets the water";
  EXPECT_FALSE(f.show->CloseRequested());
}

TEST(Show, KeysThatProduceACharacterEndItDeleteDoesNot) {
  // The character a key produces, as the window reports it; Delete reports U+007F on X11 but
  // produces no character.
  const struct { const char* key; char32_t ch; bool ends; } cases[] = {
      {"a", U'a', true},          {"Z", U'Z', true},         {"7", U'7', true},     {"space", U' ', true},
      {"Enter", U'\r', true},     {"Escape", U'\x1b', true}, {"Backspace", U'\b', true},
      {"Tab", U'\t', true},       {"e acute", U'\u00e9', true}, {"Delete", U'\x7f', false},
  };
  for (const auto& c : cases) {
    TShowFixture f;
    f.Start({f.Picture("a.bmp", kRed)});
    f.show->FormKeyPress(c.ch);
    EXPECT_EQ(f.show->CloseRequested(), c.ends) << c.key;
  }
}
