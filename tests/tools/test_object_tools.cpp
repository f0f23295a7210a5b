// Scenes with animated objects through the tool: the scene command checks the pictures, build
// packs them, inspect lists the objects, and render shows them where the rules put them, the
// same on every run.
#include <gtest/gtest.h>

#include "graphics/uPictureReaders.h"
#include "objects/objTestUtil.h"
#include "testutil.h"

using kytest::RunCommand;
using kytest::TTempDir;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";

std::string FrameName(int k) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%05d.png", k);
  return name;
}

class ObjectToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string out;
    ASSERT_EQ(RunCommand("cd '" + dir.Path() + "' && convert -size 64x48 xc:'#406080' lake.png"
                         " && convert -size 64x48 xc:black lake-mask.png", &out), 0) << out;
    // A still 8 x 6 red picture at scene (20, 30): drawn over x 16..23, y 27..32.
    kytest::WritePngRgba(dir / "red.png", 8, 6, std::vector<uint32_t>(48, 0xFFFF0000u));
    // A 4 x 4 GIF of two frames (green, blue) of 10 hundredths: 120 ms each, endless.
    kytest::TGifPlan gif = kytest::SolidFramesGif(4, 4, {10, 10}, {2, 3});
    gif.Loop = 0;
    kytest::WriteGif(dir / "pics-boat.gif", gif);
    kytest::WriteFile(dir / "objects.ini",
                      "[Obj0]\nObjType=IMG\nFilename=red.png\nPosLeft=20\nPosTop=30\n"
                      "[Obj1]\nObjType=GIF\nFilename=C:\\Authoring\\pics-boat.gif\nPosLeft=50\nPosTop=10\nTransparent=0\n");
    kytest::WriteFile(dir / "lake.ini", "[Scene]\nTitle=Lake\nPhoto=lake.png\nMask=lake-mask.png\nObjects=objects.ini\n");
    ASSERT_EQ(RunCommand(kTool + " scene '" + dir / "lake.ini" + "' -o '" + dir / "lake.kyp" + "'", &out), 0) << out;
    kytest::WriteFile(dir / "saver.ini", "[Default]\nStretch=0\n[Pictures]\nlake.kyp\n");
    ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Lake.scr" + "'", &out), 0) << out;
  }
  void Render(const std::string& out, int frames) {
    std::string text;
    ASSERT_EQ(RunCommand("TMPDIR='" + dir.Path() + "' KYSAVER_COMMON='" + dir / "nocommon" + "' " + kTool + " render '" +
                             dir / "Lake.scr" + "' --out '" + out + "' --frames " + std::to_string(frames) +
                             " --size 64x48",
                         &text), 0) << text;
  }
  TTempDir dir;
};

}  // namespace

TEST_F(ObjectToolTest, BuildPacksThePicturesAndInspectListsTheObjects) {
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " inspect '" + dir / "Lake.scr" + "'", &out), 0) << out;
  EXPECT_NE(out.find("red.png"), std::string::npos) << out;
  EXPECT_NE(out.find("pics-boat.gif"), std::string::npos) << out;
  ASSERT_EQ(RunCommand(kTool + " inspect --json '" + dir / "lake.kyp" + "'", &out), 0) << out;
  EXPECT_NE(out.find("\"Objects\":[{\"Index\":0,"), std::string::npos) << out;
  EXPECT_NE(out.find("\"PosLeft\":20,"), std::string::npos) << out;
  EXPECT_NE(out.find("\"Filename\":\"C:\\\\Authoring\\\\pics-boat.gif\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"AnimSpeed\":10,"), std::string::npos) << out;
  EXPECT_NE(out.find("\"MotionSpeed\":10,"), std::string::npos) << out;
}

TEST_F(ObjectToolTest, SceneWithAMissingPictureIsRefusedByName) {
  kytest::WriteFile(dir / "objects.ini", "[Obj0]\nObjType=IMG\nFilename=gone.png\n");
  std::string out;
  EXPECT_NE(RunCommand(kTool + " scene '" + dir / "lake.ini" + "' -o '" + dir / "bad.kyp" + "' 2>&1", &out), 0);
  EXPECT_NE(out.find("gone.png"), std::string::npos) << out;
  EXPECT_FALSE(kytest::Exists(dir / "bad.kyp"));
}

TEST_F(ObjectToolTest, RenderShowsTheObjectsWhereTheRulesPutThemOnEveryRun) {
  Render(dir / "one", 12);
  Render(dir / "two", 12);
  for (int k = 0; k < 12; ++k) {
    const std::string a = kytest::ReadFile(dir / "one" + FrameName(k));
    ASSERT_FALSE(a.empty()) << k;
    EXPECT_EQ(a, kytest::ReadFile(dir / "two" + FrameName(k))) << "frame " << k << " differs between runs";
    const ky::TPngPicture f = ky::ReadPngFile(dir / "one" + FrameName(k));
    auto rgb = [&](int x, int y) { return f.Picture.Pixel(x, y) & 0xFFFFFFu; };
    // The photo is flat (stored as JPEG, so its colour is what the corner shows).
    const uint32_t ground = rgb(0, 0);
    EXPECT_NE(ground, 0xFF0000u);
    // The still picture covers x 16..23, y 27..32 and nothing around it.
    EXPECT_EQ(rgb(16, 27), 0xFF0000u) << k;
    EXPECT_EQ(rgb(23, 32), 0xFF0000u) << k;
    EXPECT_EQ(rgb(15, 27), ground) << k;
    EXPECT_EQ(rgb(24, 33), ground) << k;
    // The GIF covers x 48..51, y 8..11; frame k is drawn at 33k ms, its frames change every 120 ms.
    const uint32_t colour = (33 * k / 120) % 2 == 0 ? 0x00C800u : 0x0000C8u;
    EXPECT_EQ(rgb(48, 8), colour) << k;
    EXPECT_EQ(rgb(51, 11), colour) << k;
    EXPECT_EQ(rgb(52, 11), ground) << k;
  }
}
