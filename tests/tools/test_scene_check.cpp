// What "kysaver-tool scene" says about a description before it writes the scene, and its preview.
#include <gtest/gtest.h>

#include <cstdlib>

#include "authoringFixture.h"
#include "objects/objTestUtil.h"
#include "graphics/uPictureReaders.h"
#include "scene/file/uSceneWriter.h"
#include "scene/records/uRegionCodes.h"
#include "uSceneValidate.h"

using namespace kytest;

namespace {

constexpr int W = 64, H = 48;

class SceneCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ky::SavePngFile(Picture(W, H, [](int, int) { return ky::MakeColor32(40, 80, 120); }), dir / "photo.png");
    // The left half is water of wave set 1, the right half dry.
    ky::SavePngFile(Picture(W, H, [](int x, int) { return x < W / 2 ? ky::MakeColor32(0, 0, 255) : ky::MakeColor32(0, 0, 0); }),
                    dir / "mask.png");
  }
  std::string Describe(const std::string& extra, const std::string& mask = "mask.png") {
    WriteFile(dir / "scene.ini", "[Scene]\nTitle=Test\nPhoto=photo.png\nMask=" + mask + "\n" + extra);
    return dir / "scene.ini";
  }
  TTempDir dir;
};

TEST_F(SceneCheckTest, OutOfRangeValueWarnsWithFileSectionKeyAndRangeAndStillWrites) {
  const std::string ini = Describe("[Wave1]\nAmplitude=45\nDirection=9\n[Weather]\nOpacity=12\n");
  std::string out;
  ASSERT_EQ(Tool("scene '" + ini + "' -o '" + dir / "s.kyp" + "'", &out), 0) << out;
  EXPECT_TRUE(Exists(dir / "s.kyp"));
  for (const char* expected : {":6: [Wave1] Amplitude = \"45\" is outside the sensible range 0 to 30 pixels",
                               ":7: [Wave1] Direction = \"9\" is outside the sensible range 0 to 5",
                               ":9: [Weather] Opacity = \"12\" is outside the sensible range 0 to 10 tenths"})
    EXPECT_TRUE(Contains(out, ini + expected)) << expected << "\n" << out;
}

TEST_F(SceneCheckTest, ErrorsNameFileAndLineAndWriteNothing) {
  struct TCase {
    const char* Extra;
    const char* Expected;
  } cases[] = {
      {"[Wave1]\nAmplitude=six\n", ":6: [Wave1] Amplitude = \"six\" is not a whole number"},
      {"[Wave2]\nReflection=yes\n", ":6: [Wave2] Reflection = \"yes\" is not a whole number"},
      {"[Weather]\nKind 2\n", ":6: \"Kind 2\" is neither a [Section], a Key=Value line nor a comment"},
      {"[Weather\nKind=2\n", ":5: a section name must end with \"]\""},
  };
  for (const TCase& c : cases) {
    const std::string ini = Describe(c.Extra);
    std::string out;
    EXPECT_EQ(Tool("scene '" + ini + "' -o '" + dir / "s.kyp" + "'", &out), 1) << c.Extra;
    EXPECT_TRUE(Contains(out, "error: " + ini + c.Expected)) << c.Expected << "\n" << out;
    EXPECT_FALSE(Exists(dir / "s.kyp")) << c.Extra;
  }
}

TEST_F(SceneCheckTest, UnknownNamesAndRepeatedKeysWarn) {
  const ky::TSceneFindings f = ky::CheckSceneDescription(
      Describe("[Wave1]\nAmplitud=3\nFrequency=10\nfrequency=12\n[Wave8]\nAmplitude=2\n[Waves]\nA=1\n"));
  EXPECT_TRUE(f.Errors.empty());
  ASSERT_EQ(f.Warnings.size(), 4u);
  EXPECT_TRUE(Contains(f.Warnings[0], ":6: [Wave1] Amplitud is not a key of this section")) << f.Warnings[0];
  EXPECT_TRUE(Contains(f.Warnings[1], ":8: [Wave1] frequency is given again; line 7 holds the value that counts")) << f.Warnings[1];
  EXPECT_TRUE(Contains(f.Warnings[2], ":9: [Wave8]: no mask colour selects wave sets 7 and 8")) << f.Warnings[2];
  EXPECT_TRUE(Contains(f.Warnings[3], ":11: [Waves] is not a section of a scene description")) << f.Warnings[3];
}

TEST_F(SceneCheckTest, ValuesThatShowNothingOrContradictWarn) {
  const std::string ini = Describe("[Weather]\nKind=2\nCount=0\n[Sound1]\nFileName=a.wav\nPlayMode=1\nMinInterval=9\nMaxInterval=3\n");
  ky::TSceneFindings f;
  ky::CheckSceneValues(ini, ky::ReadSceneDescription(ini), f);
  ASSERT_EQ(f.Warnings.size(), 3u);
  EXPECT_EQ(f.Warnings[0], ini + ": [Weather] Kind = 2 with Count = 0: no drop is drawn");
  EXPECT_EQ(f.Warnings[1], ini + ": [Weather] rain with DropLength = 0: the drops have no length and are not seen (10 is a normal length)");
  EXPECT_EQ(f.Warnings[2], ini + ": [Sound1] MinInterval 9 is more than MaxInterval 3");
  ky::TSceneFindings none;
  ky::CheckSceneValues(ini, ky::ReadSceneDescription(Describe("[Weather]\nKind=2\nCount=10\nDropLength=10\n")), none);
  EXPECT_TRUE(none.Warnings.empty());
}

TEST_F(SceneCheckTest, SheetDrawsTheObjectsFoundBesideTheDescription) {
  // A still 8 x 6 red picture at scene (20, 30): drawn over x 16..23, y 27..32 of the 64 x 48 scene.
  kytest::WritePngRgba(dir / "red.png", 8, 6, std::vector<uint32_t>(48, 0xFFFF0000u));
  WriteFile(dir / "objects.ini", "[Obj0]\nObjType=IMG\nFilename=C:\\Pictures\\red.png\nPosLeft=20\nPosTop=30\n");
  const std::string ini = Describe("Objects=objects.ini\n[Wave1]\nAnimated=0\n");
  std::string out;
  ASSERT_EQ(Tool("scene '" + ini + "' --sheet '" + dir / "o.png" + "' --tiles 1 --seconds 0.3", &out), 0) << out;
  const ky::TBitmap32 sheet = ky::ReadPngFile(dir / "o.png").Picture;
  auto rgb = [&](int x, int y) { return sheet.Pixel(4 + x, 4 + y) & 0xFFFFFFu; };
  EXPECT_EQ(rgb(16, 27), 0xFF0000u);
  EXPECT_EQ(rgb(23, 32), 0xFF0000u);
  EXPECT_NE(rgb(15, 27), 0xFF0000u);
  EXPECT_NE(rgb(24, 33), 0xFF0000u);
  EXPECT_TRUE(Contains(out, "  object [Obj0]: IMG red.png, stays\n")) << out;
  // Without its picture the scene is refused by the picture's name.
  unlink((dir / "red.png").c_str());
  EXPECT_EQ(Tool("scene '" + ini + "' --sheet '" + dir / "o.png" + "'", &out), 1);
  EXPECT_TRUE(Contains(out, "red.png")) << out;
}

TEST_F(SceneCheckTest, ObjectsFileIsCheckedLineByLine) {
  WriteFile(dir / "objects.ini",
            "[Obj0]\nObjType=img\nFilename=red.png\nMotoin=5\nOpacity=15\nMotion=0x05\nPosLeft=ten\n[Objects]\nA=1\n");
  const std::string ini = Describe("Objects=objects.ini\n");
  ky::TSceneFindings f;
  ky::CheckSceneObjectsFile(ini, f);
  const std::string o = dir / "objects.ini";
  ASSERT_EQ(f.Errors.size(), 1u);
  EXPECT_EQ(f.Errors[0], o + ":7: [Obj0] PosLeft = \"ten\" is not a whole number");
  ASSERT_EQ(f.Warnings.size(), 4u);
  EXPECT_EQ(f.Warnings[0], o + ":2: [Obj0] ObjType = \"img\": only GIF and IMG, in capitals, make an object; the section is skipped");
  EXPECT_EQ(f.Warnings[1], o + ":4: [Obj0] Motoin is not a key of an object; it is ignored");
  EXPECT_EQ(f.Warnings[2], o + ":5: [Obj0] Opacity = \"15\" is outside the sensible range 0 to 10");
  EXPECT_EQ(f.Warnings[3], o + ":8: [Objects] is not an object section ([Obj0] to [Obj100]); it is ignored");
}

// The show's own scheduler on the virtual clock: frame k at 33k ms, a mode-2 sound due when the
// whole seconds since its last start reach its interval.
TEST_F(SceneCheckTest, SheetPrintsWhenEachSoundStarts) {
  WriteFile(dir / "surf.wav", "RIFF");
  WriteFile(dir / "bell.wav", "RIFF");
  const std::string ini = Describe(
      "[Sound1]\nFileName=surf.wav\nPlayMode=0\n[Sound2]\nFileName=bell.wav\nPlayMode=2\nMinInterval=1\n"
      "[Sound3]\nFileName=gone.wav\nPlayMode=0\n[Sound4]\nFileName=bell.wav\nPlayMode=2\nMinInterval=5\n");
  std::string out;
  ASSERT_EQ(Tool("scene '" + ini + "' --sheet '" + dir / "s.png" + "' --tiles 1 --seconds 3.5", &out), 0) << out;
  // 106 frames, the last at 3465 ms. Bell: due at 1000 ms -> frame 31 (1023 ms); then at
  // 1023 + 1000 -> frame 62 (2046 ms); then 3046 -> frame 93 (3069 ms).
  EXPECT_TRUE(Contains(out, "  sound 1 starts at 0.00 s, looping\n")) << out;
  EXPECT_TRUE(Contains(out, "  sound 2 starts at 1.02, 2.05, 3.07 s\n")) << out;
  EXPECT_TRUE(Contains(out, "  sound 3 is not played: gone.wav is not beside the description\n")) << out;
  EXPECT_TRUE(Contains(out, "  sound 4 does not start within the preview\n")) << out;
}

// Colours a little off a region colour are what JPEG and soft brushes leave; far ones are land.
TEST(MaskColours, NearMissesAreCountedExactAndFarColoursAreNot) {
  ky::TBitmap32 m(10, 3);
  m.Clear(ky::MakeColor32(0, 0, 0));
  for (int x = 0; x < 7; ++x) m.SetPixel(x, 0, ky::MakeColor32(0, 0, 250));     // near blue
  for (int x = 0; x < 2; ++x) m.SetPixel(x, 1, ky::MakeColor32(200, 255, 70));  // near yellow-green? green is (0,255,0): 200 off
  m.SetPixel(5, 1, ky::MakeColor32(191, 0, 255));                                // near magenta (64 off)
  m.SetPixel(6, 1, ky::MakeColor32(190, 0, 255));                                // 65 off magenta, 190 off blue
  for (int x = 0; x < 10; ++x) m.SetPixel(x, 2, ky::MakeColor32(0, 255, 255));  // exact cyan
  EXPECT_EQ(ky::CountNearRegionPixels(m), 8);
}

TEST_F(SceneCheckTest, JpegMaskIsReportedWithItsPixelCountAndAdvice) {
  // A hard-edged mask saved as JPEG: the colours around the edge and inside drift off blue.
  const ky::TBitmap32 mask = Picture(W, H, [](int x, int y) {
    return (x - 20) * (x - 20) + (y - 24) * (y - 24) < 300 ? ky::MakeColor32(0, 0, 255) : ky::MakeColor32(0, 0, 0);
  });
  SaveJpeg(mask, dir / "mask.jpg", 75);
  ky::TBitmap32 decoded;
  ky::LoadPictureFromFile(dir / "mask.jpg", decoded);
  // The count by the rule, written out here: not a region colour, every channel within 64 of one.
  int64_t expected = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const ky::TColor32 p = decoded.Pixel(x, y);
      if (ky::RegionCodeOf(p) != 0) continue;
      for (int c = 1; c <= 6; ++c) {
        const ky::TColor32 r = ky::RegionColour(c);
        if (std::abs(ky::RedComponent(p) - ky::RedComponent(r)) <= 64 && std::abs(ky::GreenComponent(p) - ky::GreenComponent(r)) <= 64 &&
            std::abs(ky::BlueComponent(p) - ky::BlueComponent(r)) <= 64) {
          ++expected;
          break;
        }
      }
    }
  ASSERT_GT(expected, 0);
  std::string out;
  ASSERT_EQ(Tool("scene '" + Describe("", "mask.jpg") + "' -o '" + dir / "s.kyp" + "'", &out), 0) << out;
  EXPECT_TRUE(Contains(out, "the mask mask.jpg has " + std::to_string(expected) + " pixels close to a region colour")) << out;
  EXPECT_TRUE(Contains(out, "Save masks as PNG")) << out;
  EXPECT_TRUE(Exists(dir / "s.kyp"));

  // The PNG mask of the same shape gives no such warning.
  ky::SavePngFile(mask, dir / "mask.png");
  ASSERT_EQ(Tool("scene '" + Describe("") + "' -o '" + dir / "s.kyp" + "'", &out), 0) << out;
  EXPECT_FALSE(Contains(out, "close to a region colour")) << out;
}

TEST_F(SceneCheckTest, OverlayTintsWaterInItsRegionColourAndLeavesLand) {
  // Still water: every water pixel is copied onto itself, so the tint is the only change.
  const std::string ini = Describe("[Wave1]\nAnimated=0\nJitter=0\n");
  std::string out;
  ASSERT_EQ(Tool("scene '" + ini + "' --sheet '" + dir / "o.png" + "' --tiles 1 --overlay", &out), 0) << out;
  const ky::TBitmap32 sheet = ky::ReadPngFile(dir / "o.png").Picture;
  ASSERT_EQ(sheet.Width(), W + 8);
  ASSERT_EQ(sheet.Height(), H + 8);
  // The photo passes through JPEG; a flat colour stays flat, within a step or two of its value.
  const ky::TColor32 land = sheet.Pixel(4 + 48, 4 + 20);
  EXPECT_NEAR(ky::RedComponent(land), 40, 3);
  EXPECT_NEAR(ky::GreenComponent(land), 80, 3);
  EXPECT_NEAR(ky::BlueComponent(land), 120, 3);
  // Half way to blue: (c * 127 + blue * 128 + 127) / 255 per channel.
  const auto mix = [](int c, int r) { return (c * 127 + r * 128 + 127) / 255; };
  const ky::TColor32 water = sheet.Pixel(4 + 10, 4 + 20);
  EXPECT_EQ(ky::RedComponent(water), mix(ky::RedComponent(land), 0));
  EXPECT_EQ(ky::GreenComponent(water), mix(ky::GreenComponent(land), 0));
  EXPECT_EQ(ky::BlueComponent(water), mix(ky::BlueComponent(land), 255));
  EXPECT_TRUE(Contains(out, "wave set 1 (blue): " + std::to_string(W / 2 * H) + " pixels")) << out;
}

TEST_F(SceneCheckTest, SheetShowsMovingWaterOverStillLandAndPrintsSounds) {
  ky::SavePngFile(Picture(W, H, [](int x, int y) { return ky::MakeColor32(x * 4, y * 5, 100); }), dir / "photo.png");
  WriteFile(dir / "surf.wav", "RIFF");
  const std::string ini = Describe(
      "[Wave1]\nAmplitude=4\nFrequency=10\nPhaseSpeed=25\nPerspective=0\n"
      "[Sound1]\nFileName=surf.wav\nPlayMode=0\n[Sound2]\nFileName=gull.wav\nPlayMode=1\nMinInterval=5\nMaxInterval=20\n");
  std::string out;
  ASSERT_EQ(Tool("scene '" + ini + "' --sheet '" + dir / "s.png" + "' --tiles 4 --seconds 1", &out), 0) << out;
  const ky::TBitmap32 sheet = ky::ReadPngFile(dir / "s.png").Picture;
  // 30 frames (0 to 29 x 33 ms); the third tile is frame 19, drawn with phase 18 x Round(25 x 33 / 50) = 288.
  const int tw = W + 4;  // tile pitch
  ASSERT_EQ(sheet.Width(), 4 * tw + 4);
  int waterDiffers = 0, landDiffers = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const bool differs = sheet.Pixel(4 + x, 4 + y) != sheet.Pixel(4 + 2 * tw + x, 4 + y);
      (x < W / 2 ? waterDiffers : landDiffers) += differs ? 1 : 0;
    }
  EXPECT_GT(waterDiffers, 100);
  EXPECT_EQ(landDiffers, 0);
  EXPECT_TRUE(Contains(out, "4 frames from 0 to 0.96 s")) << out;
  EXPECT_TRUE(Contains(out, "sound 1: surf.wav, loops for the whole scene\n")) << out;
  EXPECT_TRUE(Contains(out, "sound 2: gull.wav, plays at random intervals of 5 to 20 s (not found beside the description)")) << out;
  // Fitted to half the size, the scene is drawn with half the amplitude, but reported as written.
  ASSERT_EQ(Tool("scene '" + ini + "' --sheet '" + dir / "s.png" + "' --tiles 1 --size 32x24", &out), 0) << out;
  EXPECT_EQ(ky::ReadPngFile(dir / "s.png").Picture.Width(), 32 + 8);
  EXPECT_TRUE(Contains(out, ": 32 x 24, 1 frame at 3.96 s")) << out;
  EXPECT_TRUE(Contains(out, "wave set 1 (blue): 1536 pixels, amplitude 4,")) << out;
}

}  // namespace
