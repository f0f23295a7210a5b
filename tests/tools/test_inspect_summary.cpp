// "kysaver-tool inspect SAVER" without --json: the summary an author reads.
#include <gtest/gtest.h>

#include "authoringFixture.h"

using namespace kytest;

TEST(InspectSummary, NamesEachPictureWithKindAndSizeAndEachSceneWithItsWaterWeatherAndSounds) {
  TTempDir dir;
  SaveJpeg(Picture(120, 80, [](int x, int) { return ky::MakeColor32(x, 40, 60); }), dir / "field.jpg");
  WriteBmp24(dir / "tower.bmp", 30, 20, [](int, int) { return 0x804020u; });
  ky::SavePngFile(Picture(40, 30, [](int, int) { return ky::MakeColor32(90, 90, 90); }), dir / "bay.png");
  // Rows 20-29 are cyan water of wave set 6, the rest land.
  ky::SavePngFile(Picture(40, 30, [](int, int y) { return y >= 20 ? ky::MakeColor32(0, 255, 255) : ky::MakeColor32(0, 0, 0); }),
                  dir / "bay-mask.png");
  WriteFile(dir / "bay.ini",
            "[Scene]\nTitle=Bay\nPhoto=bay.png\nMask=bay-mask.png\n[Wave6]\nAmplitude=3\nFrequency=9\nPhaseSpeed=7\nDirection=4\n"
            "Perspective=0\n[Weather]\nKind=1\nCount=5000\n[Sound1]\nFileName=waves.wav\nPlayMode=2\nMinInterval=10\n");
  std::string out;
  ASSERT_EQ(Tool("scene '" + dir / "bay.ini" + "' -o '" + dir / "bay.kyp" + "'", &out), 0) << out;
  WriteFile(dir / "tune.ogg", "ogg");
  WriteFile(dir / "waves.wav", "RIFF");  // build packs the sounds that scenes name
  WriteFile(dir / "s.ini", "[General]\nProductName=Coast\n[Default]\nDuration=12\nShowImageMode=1\n[Pictures]\nbay.kyp\nfield.jpg\ntower.bmp\n[Music]\ntune.ogg\n");
  ASSERT_EQ(Tool("build '" + dir / "s.ini" + "' -o '" + dir / "Coast.scr" + "'", &out), 0) << out;
  ASSERT_EQ(Tool("inspect '" + dir / "Coast.scr" + "'", &out), 0) << out;
  for (const std::string& expected : std::vector<std::string>{
           dir / "Coast.scr" + ": the saver \"Coast\"\n",
           "  shows 3 pictures, in list order, 12 s each, transitions of 2000 ms\n",
           "  1. bay.kyp  scene 40 x 30, \"Bay\"\n"
           "       wave set 6 (cyan): 400 pixels, amplitude 3, frequency 9, phase speed 7, direction 4\n"
           "       weather: snow, 1000 flakes, opacity 9/10\n"  // the count is capped, opacity 0 reads as 9
           "       sound 1: waves.wav, plays every 10 s\n",
           "  2. field.jpg  JPEG picture 120 x 80\n",
           "  3. tower.bmp  BMP picture 30 x 20\n",
           "Other files:\n  waves.wav  sound, 4 bytes\n  tune.ogg  music, 3 bytes\n",
           "  [Default] Duration = 12\n  [Default] ShowImageMode = 1\n  [Advance] MusicFile = tune.ogg;\n"})
    EXPECT_TRUE(Contains(out, expected)) << expected << "\n----\n" << out;
  // Unchanged settings are left out.
  EXPECT_FALSE(Contains(out, "SoundVolume")) << out;
}
