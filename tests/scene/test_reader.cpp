#include <gtest/gtest.h>

#include "SceneFixture.h"
#include "graphics/uPictureReaders.h"
#include "platform/uRandom.h"
#include "scene/file/uFileIO.h"
#include "scene/records/uRegionCodes.h"

using namespace ky;
using kytest::BaseBytes;
using kytest::TBaseScene;
using kytest::TSceneBytes;

namespace {

TWaveParam Wave(int amp, int dir, bool reflection) {
  TWaveParam w = TWaveParam::Defaults();
  w.Amplitude = amp;
  w.Direction = dir;
  w.Reflection = reflection;
  return w;
}

std::string LoadError(const std::vector<uint8_t>& bytes) {
  TFileLoader loader;
  TMyStream stream(bytes);
  try {
    loader.LoadFromStream(stream);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(TFileLoader, ReadsEveryElementOfACompleteFile) {
  TBaseScene s;
  s.Waves = {Wave(1, 0, false), Wave(2, 1, true), Wave(3, 2, false), Wave(4, 3, false)};
  s.Weather = TWeatherParam{1, 300, 12, 5, 7, 8};
  TSceneBytes b = BaseBytes(s);
  b.Slot("rain.wav", 1, 3, 9).Slot("bird.wav", 2, 5, 0);
  for (int i = 2; i < 8; ++i) b.Slot("");
  b.Str("[Obj0]\r\nFileName=fish.gif\r\n").Str("[BuildExe],Filename=a.exe");
  b.Int(2).Wave(Wave(5, 4, false)).Wave(Wave(6, 5, true));
  kytest::TTempFile file(b.Data);

  TFileLoader loader;
  loader.LoadFromFile(file.Path);
  EXPECT_EQ(loader.Title(), "Lake");
  EXPECT_EQ(loader.SecondText(), "second");
  TBitmap32 pic, preview, mask;
  loader.GetPicture(pic);
  loader.GetPreview(preview);
  loader.GetMask(mask);
  EXPECT_EQ(pic.Width(), 4);
  EXPECT_EQ(pic.Height(), 3);
  EXPECT_EQ(preview.Width(), 2);
  EXPECT_EQ(mask.Pixel(3, 2), 0x0000FFu);
  std::array<TWaveParam, 8> waves;
  loader.GetWaveParams(waves);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(waves[i].Amplitude, i + 1) << i;
  EXPECT_TRUE(waves[1].Reflection);
  EXPECT_EQ(waves[5].Direction, 5);
  EXPECT_EQ(waves[6], TWaveParam::Defaults());
  EXPECT_EQ(loader.GetWeather(), (TWeatherParam{1, 300, 12, 5, 7, 8}));
  TSoundSlots slots;
  loader.GetSoundSlots(slots);
  EXPECT_EQ(slots[0].FileName(), "rain.wav");
  EXPECT_EQ(slots[0].PlayMode, 1);
  EXPECT_EQ(slots[0].MaxInterval, 9);
  EXPECT_EQ(slots[1].FileName(), "bird.wav");
  EXPECT_TRUE(slots[2].Empty());
  EXPECT_EQ(loader.ObjectsText(), "[Obj0]\r\nFileName=fish.gif\r\n");
  EXPECT_EQ(loader.BuildInfo(), "[BuildExe],Filename=a.exe");
}

TEST(TFileLoader, FileEndingAfterTheWeatherRecordHasDefaults) {
  TBaseScene s;
  s.Waves = {Wave(9, 0, false), Wave(9, 0, false), Wave(9, 0, false), Wave(9, 0, false)};
  TFileLoader loader;
  TMyStream stream(BaseBytes(s).Data);
  loader.LoadFromStream(stream);
  TSoundSlots slots;
  loader.GetSoundSlots(slots);
  for (const auto& slot : slots) EXPECT_TRUE(slot.Empty());
  EXPECT_EQ(loader.ObjectsText(), "");
  std::array<TWaveParam, 8> waves;
  loader.GetWaveParams(waves);
  EXPECT_EQ(waves[3].Amplitude, 9);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(waves[i], TWaveParam::Defaults()) << i;
}

TEST(TFileLoader, TailBreakingInsideTheObjectsTextKeepsTheSlots) {
  TSceneBytes b = BaseBytes(TBaseScene{});
  b.Slot("a.wav", 2, 4, 0);
  for (int i = 1; i < 8; ++i) b.Slot("");
  b.Int(100).Raw("[Obj0]");  // says 100 bytes, holds 6
  TFileLoader loader;
  TMyStream stream(b.Data);
  loader.LoadFromStream(stream);
  TSoundSlots slots;
  loader.GetSoundSlots(slots);
  EXPECT_EQ(slots[0].FileName(), "a.wav");
  EXPECT_EQ(slots[0].MinInterval, 4);
  EXPECT_EQ(loader.ObjectsText(), "");
  std::array<TWaveParam, 8> waves;
  loader.GetWaveParams(waves);
  EXPECT_EQ(waves[4], TWaveParam::Defaults());
}

TEST(TFileLoader, ExtraWaveCountReadsThatManyRecordsAndANegativeOneNone) {
  // The tail holds a sound slot, the objects text, the build text, the count, then four records
  // of amplitude 21 .. 24. A count below zero reads none of them; the rest of the file stays.
  const struct {
    int32_t count;
    int read;
  } cases[] = {{0, 0}, {2, 2}, {4, 4}, {-1, 0}, {-4, 0}, {INT32_MIN, 0}};
  for (const auto& c : cases) {
    TSceneBytes b = BaseBytes(TBaseScene{});
    b.Slot("rain.wav", 1, 3, 9);
    for (int i = 1; i < 8; ++i) b.Slot("");
    b.Str("[Obj0]").Str("ExeMusic=1").Int(c.count);
    for (int i = 0; i < 4; ++i) b.Wave(Wave(21 + i, 2, true));
    TFileLoader loader;
    TMyStream stream(b.Data);
    ASSERT_NO_THROW(loader.LoadFromStream(stream)) << c.count;
    std::array<TWaveParam, 8> waves;
    loader.GetWaveParams(waves);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(waves[4 + i], i < c.read ? Wave(21 + i, 2, true) : TWaveParam::Defaults())
        << "count " << c.count << " set " << 4 + i;
    TSoundSlots slots;
    loader.GetSoundSlots(slots);
    EXPECT_EQ(slots[0].FileName(), "rain.wav") << c.count;
    EXPECT_EQ(slots[0].MaxInterval, 9) << c.count;
    EXPECT_EQ(loader.ObjectsText(), "[Obj0]") << c.count;
    EXPECT_EQ(loader.BuildInfo(), "ExeMusic=1") << c.count;
    TBitmap32 picture;
    loader.GetPicture(picture);
    EXPECT_EQ(picture.Width(), 4) << c.count;
  }
}

TEST(TFileLoader, WrongMagicFailsTheFullReadButNotTheHeaderRead) {
  TBaseScene s;
  s.Magic = "KY060698";
  kytest::TTempFile file(BaseBytes(s).Data);
  TFileLoader loader;
  try {
    loader.LoadFromFile(file.Path);
    FAIL() << "loaded a file with a wrong magic";
  } catch (const ESceneFileError& e) {
    EXPECT_STREQ(e.what(), "Incorrect Project File!");
  }
  TFileLoader header;
  header.LoadHeader(file.Path);
  EXPECT_EQ(header.Title(), "Lake");
  TBitmap32 preview;
  header.GetPreview(preview);
  EXPECT_EQ(preview.Width(), 2);
}

TEST(DecodeRegionMask, RunsGiveCodesAndLengthsAndContinueAcrossRows) {
  // 4 x 3: run 25 = two pixels of code 5, 7 = nothing, 10 = one dry pixel, 33 = three of code 3
  // (crossing into row 1), 16 = one of code 6; the rest stays dry.
  TBitmap32 mask;
  DecodeRegionMask({4, 3, 25, 7, 10, 33, 16}, mask);
  ASSERT_EQ(mask.Width(), 4);
  ASSERT_EQ(mask.Height(), 3);
  const TColor32 g = 0x00FF00, k = 0x000000, r = 0xFF0000, c = 0x00FFFF;
  const TColor32 expected[3][4] = {{g, g, k, r}, {r, r, c, k}, {k, k, k, k}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(mask.Pixel(x, y), expected[y][x]) << x << "," << y;
}

TEST(DecodeRegionMask, ColoursMapBackToTheirCodes) {
  for (int code = 0; code < 7; ++code) EXPECT_EQ(RegionCodeOf(RegionColour(code)), code);
  EXPECT_EQ(RegionCodeOf(0xFFFFFF), 0);  // white is dry land
  EXPECT_EQ(RegionCodeOf(0x0000FE), 0);
  EXPECT_EQ(RegionCodeOf(0xFF0000FF), 1);  // the alpha byte does not matter
  EXPECT_EQ(RegionColour(8), 0x000000u);
}

TEST(DecodeRegionMask, EveryColourMapsBackAsTheColourComparisonSays) {
  // All 2^24 colours, each with a varying alpha byte: the code is that of the region colour the
  // RGB part equals, else 0.
  for (uint32_t rgb = 0; rgb < 0x1000000u; ++rgb) {
    int expected = 0;
    for (int code = 1; code < 7; ++code)
      if (RegionColour(code) == rgb) expected = code;
    const TColor32 pixel = rgb | ((rgb * 2654435761u) & 0xFF000000u);
    ASSERT_EQ(RegionCodeOf(pixel), expected) << std::hex << pixel;
  }
}

TEST(DecodeRegionMask, RunsFillTheMaskAndTheRestIsDry) {
  // The target is reused with other pixels in it: every pixel afterwards is a run's colour or dry.
  TBitmap32 m(5, 3);
  m.Clear(0xFFFFFFFF);
  DecodeRegionMask({5, 3, 31, 7, 42, 10, 26}, m);  // 3 blue, none, 4 magenta, 1 dry, 2 cyan
  const TColor32 expected[15] = {0x0000FF, 0x0000FF, 0x0000FF, 0xFF00FF, 0xFF00FF, 0xFF00FF, 0xFF00FF, 0,
                                 0x00FFFF, 0x00FFFF, 0, 0, 0, 0, 0};
  for (int i = 0; i < 15; ++i) EXPECT_EQ(m.Pixel(i % 5, i / 5), expected[i]) << i;
}

TEST(DecodeRegionMask, RejectsBrokenMasks) {
  const struct {
    std::vector<int32_t> values;
    const char* why;
  } cases[] = {{{4}, "one value"},          {{}, "no value"},
               {{4, 3, 121, 11}, "13 pixels"}, {{4, 3, -5}, "negative run"},
               {{-4, 3}, "negative width"},  {{100000, 100000}, "too large"}};
  for (const auto& c : cases) {
    TBitmap32 mask;
    EXPECT_THROW(DecodeRegionMask(c.values, mask), EMalformedScene) << c.why;
  }
  TBitmap32 exact;
  EXPECT_NO_THROW(DecodeRegionMask({4, 3, 121}, exact));  // exactly 12 pixels
}

TEST(TFileLoader, RejectsMalformedFiles) {
  struct TCase {
    const char* why;
    std::vector<uint8_t> bytes;
    const char* message;
  };
  std::vector<TCase> cases;
  auto withTail = [](TSceneBytes b, int32_t extra) {
    for (int i = 0; i < 8; ++i) b.Slot("");
    b.Str("").Str("").Int(extra);
    for (int i = 0; i < 5; ++i) b.Wave(TWaveParam::Defaults());
    return b.Data;
  };
  cases.push_back({"five extra wave records", withTail(BaseBytes(TBaseScene{}), 5), "more than four"});
  {
    TBaseScene s;
    s.MaskWidth = 5;
    s.Runs = {121};
    cases.push_back({"mask wider than the picture", BaseBytes(s).Data, "differs from the picture"});
  }
  {
    TBaseScene s;
    s.Runs = {0, 0};
    s.MaskCount = 1;
    cases.push_back({"mask of one value", BaseBytes(s).Data, "fewer than two"});
  }
  {
    TBaseScene s;
    s.MaskCount = 0x10000000;
    cases.push_back({"mask count beyond the file", BaseBytes(s).Data, "longer than the rest"});
  }
  {
    TBaseScene s;
    s.Runs = {121, 11};
    TSceneBytes b = BaseBytes(s);
    TFileLoader loader;
    TMyStream stream(b.Data);
    loader.LoadFromStream(stream);  // the runs are checked when the mask is decoded
    TBitmap32 mask;
    EXPECT_THROW(loader.GetMask(mask), EMalformedScene);
  }
  {
    TSceneBytes b;
    b.Raw("KY060697").Int(0x7FFFFFF0).Raw("Lake");
    cases.push_back({"title length beyond the file", b.Data, "beyond end of file"});
  }
  {
    TSceneBytes b;
    b.Raw("KY060697").Int(-3);
    cases.push_back({"negative title length", b.Data, "Invalid length"});
  }
  {
    TSceneBytes b;
    b.Raw("KY060697").Str("").Str("").Block({1, 2, 3});
    cases.push_back({"preview that is no JPEG", b.Data, ""});
  }
  for (const auto& c : cases) {
    const std::string err = LoadError(c.bytes);
    EXPECT_NE(err, "") << c.why;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.why << ": " << err;
  }
}

TEST(TFileLoader, EveryTruncationOfTheBaseFailsCleanly) {
  const std::vector<uint8_t> full = BaseBytes(TBaseScene{}).Data;
  for (size_t n = 0; n < full.size(); ++n) {
    const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_NE(LoadError(cut), "") << "prefix of " << n << " bytes";
  }
  EXPECT_EQ(LoadError(full), "");
}

TEST(TMyStream, ShortReadsAndBadLengthsRaiseBeforeAllocating) {
  TMyStream s(std::vector<uint8_t>{1, 0, 0, 0, 9});
  EXPECT_EQ(s.ReadInt32(), 1);
  EXPECT_EQ(s.Remaining(), 1u);
  EXPECT_THROW(s.ReadBlock(2), EInOutError);
  EXPECT_THROW(s.ReadBlock(-1), EInOutError);
  EXPECT_EQ(s.ReadBlock(1), std::vector<uint8_t>{9});
  EXPECT_TRUE(s.AtEnd());
  EXPECT_THROW(s.ReadInt32(), EInOutError);
  EXPECT_THROW(TMyStream("/nonexistent/dir/x.kyp"), EInOutError);
  EXPECT_THROW(TMyStream("/"), EInOutError);  // not a regular file
}

TEST(TFileLoader, DamagedFilesLoadOrFailButNeverCrash) {
  // A complete file, then seeded damage: bytes overwritten with extreme values, cut short, or
  // both. Each load either succeeds or raises one of the reading errors.
  TSceneBytes b = BaseBytes(TBaseScene{});
  b.Slot("a.wav", 1, 2, 3);
  for (int i = 1; i < 8; ++i) b.Slot("");
  b.Str("[Obj0]\r\n").Str("x").Int(2).Wave(TWaveParam::Defaults()).Wave(TWaveParam::Defaults());
  const std::vector<uint8_t> good = b.Data;
  TRandom rnd(2024);
  const int32_t extremes[] = {0, -1, 1, INT32_MIN, INT32_MAX, 0x10000000, 5, 4, 255};
  int loaded = 0, failed = 0;
  for (int round = 0; round < 400; ++round) {
    std::vector<uint8_t> d = good;
    const int hits = 1 + rnd.Random(3);
    for (int h = 0; h < hits; ++h) {
      const size_t at = static_cast<size_t>(rnd.Random(static_cast<int>(d.size() - 4)));
      PutLE32(&d[at], extremes[rnd.Random(9)]);
    }
    if (rnd.Random(3) == 0) d.resize(static_cast<size_t>(rnd.Random(static_cast<int>(d.size()))));
    TFileLoader loader;
    TMyStream stream(d);
    try {
      loader.LoadFromStream(stream);
      TBitmap32 mask;
      loader.GetMask(mask);
      ++loaded;
    } catch (const ESceneFileError&) {
      ++failed;
    } catch (const EPictureError&) {
      ++failed;
    }
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(failed, 0);
}
