// The headless render: the show's own code on a virtual clock of 33 ms a frame.
#include <gtest/gtest.h>

#include "graphics/uPictureReaders.h"
#include "platform/uTicks.h"
#include "scene/engine/uAnimEngine.h"
#include "scene/model/uKyProject.h"
#include "testutil.h"

using kytest::RunCommand;
using kytest::TTempDir;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string out;
    ASSERT_EQ(RunCommand("cd '" + dir.Path() + "' && convert -size 64x48 gradient:'#40a040-#a0e0ff' lake.png"
                         " && convert -size 64x48 xc:black -fill '#0000ff' -draw 'rectangle 0,20 63,47' lake-mask.png", &out), 0) << out;
    kytest::WriteFile(dir / "lake.ini",
                      "[Scene]\nTitle=Lake\nPhoto=lake.png\nMask=lake-mask.png\nPreviewWidth=32\n"
                      "[Wave1]\nAmplitude=3\nFrequency=10\nPhaseSpeed=15\nDirection=1\nAnimated=1\nPerspective=1\n"
                      "Cycle=360\nJitter=0\nReflection=1\n");
    ASSERT_EQ(RunCommand(kTool + " scene '" + dir / "lake.ini" + "' -o '" + dir / "lake.kyp" + "'", &out), 0) << out;
    kytest::WriteFile(dir / "saver.ini", "[Default]\nStretch=0\n[Pictures]\nlake.kyp\n");
    ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Lake.scr" + "'", &out), 0) << out;
  }
  void Render(const std::string& out, int frames) {
    std::string text;
    ASSERT_EQ(RunCommand("TMPDIR='" + dir.Path() + "' " + kTool + " render '" + dir / "Lake.scr" + "' --out '" + out +
                             "' --frames " + std::to_string(frames) + " --size 64x48",
                         &text), 0) << text;
  }
  TTempDir dir;
};

std::string FrameName(int k) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%05d.png", k);
  return name;
}

}  // namespace

TEST_F(RenderTest, IsReproducibleAndFrameKIsTheWaterAtKTimes33Ms) {
  Render(dir / "one", 12);
  Render(dir / "two", 12);
  // The engine driven directly, its clock set to each frame's time.
  ky::TProject scene;
  ASSERT_TRUE(scene.Load(dir / "lake.kyp"));
  ky::TManualTicks ticks(0);
  ky::TAnimEngine engine(ticks);
  engine.SetProject(scene);
  engine.SetWeather(false);
  engine.Prepare();
  int moving = 0;
  for (int k = 0; k < 12; ++k) {
    const std::string a = kytest::ReadFile(dir / "one" + FrameName(k));
    ASSERT_FALSE(a.empty()) << k;
    EXPECT_EQ(a, kytest::ReadFile(dir / "two" + FrameName(k))) << "frame " << k << " differs between runs";
    ticks.Set(static_cast<uint32_t>(33 * k));
    engine.Step();
    const ky::TBitmap32& expected = engine.GetOutput();
    const ky::TPngPicture frame = ky::ReadPngFile(dir / "one" + FrameName(k));
    ASSERT_EQ(frame.Picture.Width(), expected.Width());
    int differing = 0;
    for (int y = 0; y < expected.Height(); ++y)
      for (int x = 0; x < expected.Width(); ++x)
        differing += (frame.Picture.Pixel(x, y) & 0xFFFFFF) != (expected.Pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(differing, 0) << "frame " << k;
    if (k > 0) moving += a != kytest::ReadFile(dir / "one" + FrameName(k - 1));
  }
  EXPECT_GT(moving, 6) << "the water hardly moves";
}

TEST_F(RenderTest, SettingsAndArgumentsAreChecked) {
  std::string out;
  EXPECT_EQ(RunCommand(kTool + " render '" + dir / "Lake.scr" + "' --out '" + dir / "x" + "' --frames 1 --set Nonsense=1", &out), 1);
  EXPECT_NE(out.find("Nonsense: no such setting"), std::string::npos) << out;
  EXPECT_EQ(RunCommand(kTool + " render '" + dir / "Lake.scr" + "' --out '" + dir / "x" + "' --frames 1 --set Duration=soon", &out), 1);
  EXPECT_NE(out.find("not a number"), std::string::npos) << out;
  EXPECT_EQ(RunCommand(kTool + " render '" + dir / "nothing.scr" + "' --out '" + dir / "x" + "' --frames 1", &out), 1);
  EXPECT_NE(out.find("nothing.scr"), std::string::npos) << out;
  EXPECT_EQ(RunCommand(kTool + " render '" + dir / "Lake.scr" + "' --out '" + dir / "x" + "' --frames 2 --size 0x5", &out), 1);
}
