#include <gtest/gtest.h>

#include "SceneFixture.h"
#include "scene/model/uCommaText.h"
#include "scene/file/uFileIO.h"
#include "scene/model/uKyProject.h"

using namespace ky;
using kytest::BaseBytes;
using kytest::TBaseScene;
using kytest::TSceneBytes;
using kytest::TTempFile;

namespace {
// A tail with the given used slots, an objects text and a build text.
std::vector<uint8_t> WithTail(TBaseScene s, const std::vector<std::string>& slots,
                              const std::string& objects = "", const std::string& build = "") {
  TSceneBytes b = BaseBytes(s);
  for (int i = 0; i < 8; ++i) b.Slot(i < static_cast<int>(slots.size()) ? slots[i] : "", 1, 7, 9);
  b.Str(objects).Str(build).Int(0);
  return b.Data;
}
}  // namespace

TEST(TProject, LoadFillsTheMembers) {
  TBaseScene s;
  s.Title = "Harbour";
  TTempFile file(WithTail(s, {"gull.wav"}, "[Obj0]\r\nX=1\r\n"));
  TProject p;
  ASSERT_TRUE(p.Load(file.Path));
  EXPECT_EQ(p.FileName(), file.Path);
  EXPECT_EQ(p.Title(), "Harbour");
  EXPECT_EQ(p.Picture().Width(), 4);
  EXPECT_EQ(p.Mask().Width(), 4);
  EXPECT_EQ(p.Mask().Pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(p.Preview().Width(), 2);
  EXPECT_EQ(p.DesignWidth(), 4);
  EXPECT_EQ(p.DesignHeight(), 3);
  EXPECT_EQ(p.WaveSet(0), TWaveParam::Defaults());
  EXPECT_EQ(p.SoundCount(), 1);
  EXPECT_EQ(p.ObjectsText(), "[Obj0]\r\nX=1\r\n");
  EXPECT_EQ(p.SpeedPercent(), 100);
}

TEST(TProject, ObjectsComeFromTheLoaderHook) {
  TTempFile file(WithTail(TBaseScene{}, {}, "[Obj0]\r\n"));
  TProject p;
  std::string seen;
  p.SetObjectsLoader([&](const std::string& text) {
    seen = text;
    return TSceneObjectList{};
  });
  ASSERT_TRUE(p.Load(file.Path));
  EXPECT_EQ(seen, "[Obj0]\r\n");
}

TEST(TProject, FailedLoadLeavesFreshMembersAndNoMessage) {
  TBaseScene s;
  s.Magic = "KX060697";
  TTempFile file(BaseBytes(s).Data);
  TProject p;
  bool messaged = false;
  p.SetMessageHandler([&](const std::string&) { messaged = true; });
  EXPECT_FALSE(p.Load(file.Path));
  EXPECT_FALSE(messaged);
  EXPECT_TRUE(p.Picture().Empty());
  EXPECT_TRUE(p.Mask().Empty());
  EXPECT_EQ(p.WaveSet(0), TWaveParam{});
  EXPECT_EQ(p.WaveSet(0).Amplitude, 0);
  EXPECT_EQ(p.Weather(), TWeatherParam{});
}

TEST(TProject, LoadHeaderIgnoresTheMagicAndReportsErrors) {
  TBaseScene s;
  s.Magic = "XXXXXXXX";
  TTempFile file(BaseBytes(s).Data);
  TProject p;
  std::string message;
  p.SetMessageHandler([&](const std::string& m) { message = m; });
  ASSERT_TRUE(p.LoadHeader(file.Path));
  EXPECT_EQ(p.Title(), "Lake");
  EXPECT_EQ(p.Preview().Width(), 2);
  EXPECT_TRUE(p.Picture().Empty());
  EXPECT_EQ(message, "");

  const std::vector<uint8_t> full = BaseBytes(s).Data;
  TTempFile cut(std::vector<uint8_t>(full.begin(), full.begin() + 20));
  EXPECT_FALSE(p.LoadHeader(cut.Path));
  EXPECT_EQ(message, "File: " + cut.Path + "\r\nRead beyond end of file");
}

TEST(TProject, WeatherDefaults) {
  const struct {
    TWeatherParam in;
    int opacity, sizeOrAngle;
  } cases[] = {
      {{1, 100, 10, 0, 0, 0}, 9, 4},   // snow: both defaults
      {{2, 100, 10, 0, 0, 0}, 6, 0},   // rain keeps its angle 0
      {{1, 100, 10, 7, 0, 3}, 3, 7},   // given values stay
      {{0, 0, 0, 0, 0, 0}, 0, 0},      // no weather
  };
  for (const auto& c : cases) {
    TBaseScene s;
    s.Weather = c.in;
    TTempFile file(BaseBytes(s).Data);
    TProject p;
    ASSERT_TRUE(p.Load(file.Path));
    EXPECT_EQ(p.Weather().Opacity, c.opacity) << c.in.Kind;
    EXPECT_EQ(p.Weather().SizeOrAngle, c.sizeOrAngle) << c.in.Kind;
  }
}

TEST(TProject, LegacySound) {
  const std::vector<std::string> eight(8, "x.wav");
  const struct {
    const char* soundFile;
    bool tail;
    std::vector<std::string> slots;
    int count;   // SoundCount after loading
    int at;      // slot that must hold the legacy name, -1 for none
  } cases[] = {
      {"thunder.wav", false, {}, 1, 0},
      {"<no sound>", false, {}, 0, -1},
      {"<NO SOUND>", true, {"a.wav"}, 1, -1},
      {"", false, {}, 0, -1},
      {"thunder.wav", true, {"a.wav", "b.wav"}, 3, 2},
      {"thunder.wav", true, eight, 8, -1},
  };
  for (const auto& c : cases) {
    TBaseScene s;
    s.SoundFile = c.soundFile;
    TTempFile file(c.tail ? WithTail(s, c.slots) : BaseBytes(s).Data);
    TProject p;
    ASSERT_TRUE(p.Load(file.Path)) << c.soundFile;
    EXPECT_EQ(p.SoundCount(), c.count) << c.soundFile;
    EXPECT_EQ(p.SoundFile(), "") << c.soundFile;
    if (c.at >= 0) {
      EXPECT_EQ(p.SoundSlots()[c.at].FileName(), "thunder.wav");
      EXPECT_EQ(p.SoundSlots()[c.at].PlayMode, 0);
      // The slot's intervals stay as the file had them (7 and 9 in a tail, 0 without one).
      EXPECT_EQ(p.SoundSlots()[c.at].MinInterval, c.tail ? 7 : 0);
    }
  }
}

TEST(TProject, LegacySoundNameIsCutTo255Bytes) {
  TBaseScene s;
  s.SoundFile = std::string(300, 'n');
  TTempFile file(BaseBytes(s).Data);
  TProject p;
  ASSERT_TRUE(p.Load(file.Path));
  EXPECT_EQ(p.SoundSlots()[0].FileName(), std::string(255, 'n'));
}

TEST(TProject, SoundCountStopsAtTheFirstEmptySlot) {
  TProject p;
  EXPECT_EQ(p.SoundCount(), 0);
  p.SoundSlots()[0].SetFileName("a");
  p.SoundSlots()[1].SetFileName("b");
  p.SoundSlots()[3].SetFileName("d");
  EXPECT_EQ(p.SoundCount(), 2);
  for (auto& slot : p.SoundSlots()) slot.SetFileName("z");
  EXPECT_EQ(p.SoundCount(), 8);
}

TEST(TProject, ExtraInfoFromTheBuildText) {
  const std::string build = JoinCommaText({"[BuildExe]", "Filename=C:\\My Savers\\Lake.exe", "Sound=0",
                                           "Music=1", "MusicFile=song.mid", "[BuildScr]",
                                           "Filename=Lake.scr", "Music=0"});
  TTempFile file(WithTail(TBaseScene{}, {}, "", build));
  TProject p;
  ASSERT_TRUE(p.Load(file.Path));
  const TExtraInfo& e = p.ExtraInfo();
  EXPECT_EQ(e.ExeFileName, "C:\\My Savers\\Lake.exe");
  EXPECT_FALSE(e.ExeSound);
  EXPECT_TRUE(e.ExeMusic);
  EXPECT_EQ(e.ExeMusicFile, "song.mid");
  EXPECT_EQ(e.ScrFileName, "Lake.scr");
  EXPECT_EQ(e.ScrMusicFile, "");
  EXPECT_FALSE(e.ScrMusic);
  EXPECT_TRUE(e.ScrSound);  // default

  const TExtraInfo none = TExtraInfo::FromBuildText("");
  EXPECT_TRUE(none.ExeSound);
  EXPECT_FALSE(none.ExeMusic);
}

TEST(CommaText, SplitsLikeAStringList) {
  const struct {
    const char* text;
    std::vector<std::string> items;
  } cases[] = {
      {"a,b,c", {"a", "b", "c"}},
      {"\"a b\",c", {"a b", "c"}},
      {"a b", {"a", "b"}},  // an unquoted blank separates
      {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {"  a , b ", {"a", "b"}},
      {"", {}},
      {"\"unclosed", {"unclosed"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommaText(c.text), c.items) << c.text;
  EXPECT_EQ(SplitCommaText(std::string("a\0,b", 4)), std::vector<std::string>{"a"});
  const std::vector<std::string> items = {"[BuildExe]", "Filename=C:\\A B\\x.exe", "q=\"1\"", "", "c,d"};
  EXPECT_EQ(JoinCommaText(items), "[BuildExe],\"Filename=C:\\A B\\x.exe\",\"q=\"\"1\"\"\",,\"c,d\"");
  EXPECT_EQ(SplitCommaText(JoinCommaText(items)), items);
}

TEST(TProject, FitToSizeWorkedExampleAndItsVariants) {
  const struct {
    bool keep;
    int w, h;          // requested
    int outW, outH;    // picture afterwards
    int amp, jitter;   // from Amplitude 6 and Jitter 4
  } cases[] = {
      {true, 1024, 768, 1024, 768, 4, 3},    // Round(0.64 * 6) = Round(3.84); Round(0.64 * 4) = Round(2.56)
      {true, 2000, 768, 1024, 768, 4, 3},    // wide box: height decides
      {true, 1024, 2000, 1024, 768, 4, 3},   // tall box: width decides
      {false, 800, 900, 800, 900, 3, 3},     // Round(0.5 * 6); Round(0.75 * 4)
      {false, 2000, 600, 2000, 600, 8, 2},   // Round(1.25 * 6) = Round(7.5) = 8; Round(0.5 * 4)
  };
  for (const auto& c : cases) {
    TProject p;
    p.Picture().SetSize(1600, 1200);
    p.Picture().Clear(0xFF336699);
    p.Mask().SetSize(1600, 1200);
    p.Mask().Clear(0x0000FF);
    p.Preview().SetSize(16, 12);
    for (auto& w : p.WaveSets()) {
      w.Amplitude = 6;
      w.Jitter = 4;
    }
    p.FitToSize(c.keep, c.w, c.h);
    EXPECT_EQ(p.Picture().Width(), c.outW) << c.w << "x" << c.h;
    EXPECT_EQ(p.Picture().Height(), c.outH) << c.w << "x" << c.h;
    EXPECT_EQ(p.Mask().Width(), c.outW);
    EXPECT_EQ(p.Mask().Height(), c.outH);
    EXPECT_EQ(p.WaveSet(7).Amplitude, c.amp) << c.w << "x" << c.h;
    EXPECT_EQ(p.WaveSet(0).Jitter, c.jitter) << c.w << "x" << c.h;
    EXPECT_EQ(p.Preview().Width(), 16);
    EXPECT_EQ(p.Mask().Pixel(c.outW - 1, c.outH - 1), 0x0000FFu);
  }
}

TEST(TProject, FitToSizeScalesTheMaskByNearestPixel) {
  TProject p;
  p.Picture().SetSize(4, 2);
  DecodeRegionMask({4, 2, 21, 22, 21, 22}, p.Mask());  // each row: blue blue magenta magenta
  p.FitToSize(false, 6, 3);
  // Every target pixel takes the source pixel under its centre: x 0..5 -> 0,1,1,2,3,3.
  const TColor32 b = 0x0000FF, m = 0xFF00FF;
  const TColor32 row[6] = {b, b, b, m, m, m};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(p.Mask().Pixel(x, y), row[x]) << x << "," << y;
}

TEST(ScaleMaskNearest, EveryPixelIsTheSourcePixelUnderItsCentre) {
  // Enlarging (rows repeat), shrinking and odd sizes, on masks of random pixels.
  const struct {
    int sw, sh, tw, th;
  } cases[] = {{960, 640, 1920, 1080}, {37, 23, 11, 71}, {5, 5, 5, 5}, {1, 7, 13, 2}, {300, 2, 299, 9}};
  uint32_t seed = 3;
  for (const auto& c : cases) {
    TBitmap32 source(c.sw, c.sh), target(c.tw, c.th);
    for (int y = 0; y < c.sh; ++y)
      for (int x = 0; x < c.sw; ++x) {
        seed = seed * 1664525u + 1013904223u;
        source.SetPixel(x, y, seed);
      }
    ScaleMaskNearest(source, target);
    for (int y = 0; y < c.th; ++y)
      for (int x = 0; x < c.tw; ++x) {
        const int sx = static_cast<int>((2 * int64_t{x} + 1) * c.sw / (2 * int64_t{c.tw}));
        const int sy = static_cast<int>((2 * int64_t{y} + 1) * c.sh / (2 * int64_t{c.th}));
        ASSERT_EQ(target.Pixel(x, y), source.Pixel(sx, sy)) << c.tw << "x" << c.th << " at " << x << "," << y;
      }
  }
}

TEST(TProject, FitToSizeOfAnEmptySceneDoesNothing) {
  TProject p;
  p.FitToSize(true, 1024, 768);
  EXPECT_TRUE(p.Picture().Empty());
  p.Picture().SetSize(10, 10);
  p.FitToSize(true, 0, 768);
  EXPECT_EQ(p.Picture().Width(), 10);
}
