#include <gtest/gtest.h>

#include <fstream>

#include "SceneFixture.h"
#include "graphics/uBmpWriter.h"
#include "graphics/uGraphicUtil.h"
#include "scene/file/uFileIO.h"
#include "scene/records/uRegionCodes.h"
#include "scene/model/uKyProject.h"
#include "scene/model/uSceneInspect.h"
#include "scene/file/uSceneWriter.h"

using namespace ky;
using kytest::TTempFile;

namespace {
// A 4 x 3 mask: row 0 blue blue white red, row 1 red red cyan black, row 2 black, grey, black,
// green.
TBitmap32 SmallMask() {
  TBitmap32 m(4, 3);
  const TColor32 B = 0xFF0000FF, W = 0xFFFFFFFF, R = 0xFFFF0000, C = 0xFF00FFFF, K = 0xFF000000,
                 G = 0xFF808080, N = 0xFF00FF00;
  const TColor32 px[3][4] = {{B, B, W, R}, {R, R, C, K}, {K, G, K, N}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) m.SetPixel(x, y, px[y][x]);
  return m;
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}
}  // namespace

TEST(EncodeRegionMask, RunsOfCodesAndDecodingGivesThemBack) {
  const TBitmap32 m = SmallMask();
  // 2 x code 1, 1 dry, 3 x code 3 (across the row end), 1 x code 6, 4 dry, 1 x code 5.
  EXPECT_EQ(EncodeRegionMask(m), (std::vector<int32_t>{4, 3, 21, 10, 33, 16, 40, 15}));
  TBitmap32 decoded;
  DecodeRegionMask(EncodeRegionMask(m), decoded);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(RegionCodeOf(decoded.Pixel(x, y)), RegionCodeOf(m.Pixel(x, y)));
  TBitmap32 dry(3, 2);
  dry.Clear(0xFFFFFFFF);
  EXPECT_EQ(EncodeRegionMask(dry), (std::vector<int32_t>{3, 2}));  // a trailing dry run is left out
}

class SceneWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = ::testing::TempDir() + "kyscene_writer_" + std::to_string(getpid()) + "_" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    ASSERT_EQ(system(("mkdir -p '" + Dir + "'").c_str()), 0);
    TBitmap32 photo(4, 3);
    photo.Clear(0xFF4080C0);
    const std::vector<uint8_t> jpeg = EncodeJpeg(photo, 95);
    std::ofstream(Dir + "photo.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    SaveBitmapToBmpFile(SmallMask(), Dir + "mask.bmp");
    WriteText(Dir + "objects.ini", "[Obj0]\r\nFileName=fish.gif\r\n");
  }
  void TearDown() override { (void)system(("rm -rf '" + Dir + "'").c_str()); }
  std::string Dir;
};

TEST_F(SceneWriterTest, DescriptionBecomesASceneThatLoadsBack) {
  WriteText(Dir + "scene.ini",
            "[Scene]\nTitle=Pond\nSecondText=by me\nPhoto=photo.jpg\nMask=mask.bmp\nPreviewWidth=2\n"
            "Objects=objects.ini\nSoundFile=frogs.wav\n"
            "[Wave1]\nAmplitude=3\nDirection=3\nHorzShift=1\n[Wave6]\nReflection=1\nCycle=180\n"
            "[Weather]\nKind=1\nCount=200\nSpeedIndex=12\n"
            "[Sound1]\nFileName=wind.wav\nPlayMode=1\nMinInterval=5\nMaxInterval=20\n");
  BuildSceneFile(Dir + "scene.ini", Dir + "pond.kyp");
  TProject p;
  ASSERT_TRUE(p.Load(Dir + "pond.kyp")) << p.LoadError();
  EXPECT_EQ(p.Title(), "Pond");
  EXPECT_EQ(p.Picture().Width(), 4);
  EXPECT_EQ(p.Preview().Width(), 2);
  EXPECT_EQ(p.Preview().Height(), 2);  // Round(2 * 3 / 4) = Round(1.5) = 2
  EXPECT_EQ(p.WaveSet(0).Amplitude, 3);
  EXPECT_TRUE(p.WaveSet(0).HorzShift);
  EXPECT_EQ(p.WaveSet(0).Frequency, 17);  // a missing key keeps the file default
  EXPECT_TRUE(p.WaveSet(5).Reflection);
  EXPECT_EQ(p.WaveSet(5).Cycle, 180);
  EXPECT_EQ(p.WaveSet(7), TWaveParam::Defaults());
  EXPECT_EQ(p.Weather(), (TWeatherParam{1, 200, 12, 4, 0, 9}));  // snow defaults applied on load
  EXPECT_EQ(p.SoundCount(), 2);  // wind, then the legacy frogs
  EXPECT_EQ(p.SoundSlots()[1].FileName(), "frogs.wav");
  EXPECT_EQ(p.ObjectsText(), "[Obj0]\r\nFileName=fish.gif\r\n");

  const std::string json = InspectScene(Dir + "pond.kyp", true);
  const std::string d = "{\"Amplitude\":6,\"Frequency\":17,\"PhaseSpeed\":15,\"Direction\":1,\"HorzShift\":false,"
                        "\"Animated\":true,\"Perspective\":true,\"Cycle\":360,\"Jitter\":0,\"Reflection\":false}";
  const std::string expected =
      "{\"Title\":\"Pond\",\"SecondText\":\"by me\",\"Width\":4,\"Height\":3,\"WaveSets\":["
      "{\"Amplitude\":3,\"Frequency\":17,\"PhaseSpeed\":15,\"Direction\":3,\"HorzShift\":true,"
      "\"Animated\":true,\"Perspective\":true,\"Cycle\":360,\"Jitter\":0,\"Reflection\":false}," +
      d + "," + d + "," + d + "," + d + "," +
      "{\"Amplitude\":6,\"Frequency\":17,\"PhaseSpeed\":15,\"Direction\":1,\"HorzShift\":false,"
      "\"Animated\":true,\"Perspective\":true,\"Cycle\":180,\"Jitter\":0,\"Reflection\":true}," +
      d + "," + d +
      "],\"Weather\":{\"Kind\":1,\"Count\":200,\"SpeedIndex\":12,\"SizeOrAngle\":4,\"DropLength\":0,\"Opacity\":9},"
      "\"SoundSlots\":[{\"FileName\":\"wind.wav\",\"PlayMode\":1,\"MinInterval\":5,\"MaxInterval\":20},"
      "{\"FileName\":\"frogs.wav\",\"PlayMode\":0,\"MinInterval\":0,\"MaxInterval\":0}," +
      [] {
        std::string e;
        for (int i = 0; i < 6; ++i)
          e += std::string(i ? "," : "") + "{\"FileName\":\"\",\"PlayMode\":0,\"MinInterval\":0,\"MaxInterval\":0}";
        return e;
      }() +
      "],\"SoundCount\":2,\"ObjectsText\":\"[Obj0]\\r\\nFileName=fish.gif\\r\\n\","
      "\"RegionPixels\":[5,2,0,3,0,1,1]}\n";
  EXPECT_EQ(json, expected);
  EXPECT_NE(InspectScene(Dir + "pond.kyp", false).find("Title: Pond"), std::string::npos);
  EXPECT_TRUE(LooksLikeSceneFile(Dir + "pond.kyp"));
}

TEST_F(SceneWriterTest, DescriptionErrorsNameTheProblem) {
  TBitmap32 big(5, 3);
  big.Clear(0xFF0000FF);
  SaveBitmapToBmpFile(big, Dir + "big.bmp");
  const struct {
    const char* ini;
    const char* message;
  } cases[] = {
      {"[Scene]\nPhoto=photo.jpg\nMask=big.bmp\n", "must be the same size"},
      {"[Scene]\nMask=mask.bmp\n", "Photo is missing"},
      {"[Scene]\nPhoto=photo.jpg\n", "Mask is missing"},
      {"[Scene]\nPhoto=mask.bmp\nMask=mask.bmp\n", "JPEG or PNG"},
      {"[Scene]\nPhoto=nothere.jpg\nMask=mask.bmp\n", "nothere.jpg"},
  };
  for (const auto& c : cases) {
    WriteText(Dir + "bad.ini", c.ini);
    try {
      BuildSceneFile(Dir + "bad.ini", Dir + "bad.kyp");
      ADD_FAILURE() << c.ini;
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(BuildSceneFile(Dir + "none.ini", Dir + "x.kyp"), std::runtime_error);
}

TEST(InspectScene, AFileThatDoesNotLoadGivesTheLoadersMessage) {
  kytest::TBaseScene s;
  s.Magic = "KY060690";
  TTempFile file(kytest::BaseBytes(s).Data);
  try {
    InspectScene(file.Path, true);
    FAIL();
  } catch (const ESceneFileError& e) {
    EXPECT_STREQ(e.what(), "Incorrect Project File!");
  }
}
