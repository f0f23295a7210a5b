// What "kysaver-tool build" says about a manifest before it builds.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "authoringFixture.h"
#include "objects/objTestUtil.h"

using namespace kytest;

namespace {

class ManifestCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ky::SavePngFile(Picture(4, 4, [](int, int) { return ky::MakeColor32(1, 2, 3); }), dir / "a.png");
    WriteFile(dir / "lake.ini", "[Scene]\n");
  }
  int Build(const std::string& manifest, std::string* out) {
    WriteFile(dir / "m.ini", manifest);
    return Tool("build '" + dir / "m.ini" + "' -o '" + dir / "s.scr" + "'", out);
  }
  TTempDir dir;
};

TEST_F(ManifestCheckTest, RangesWarnAndTheSaverIsStillBuilt) {
  std::string out;
  ASSERT_EQ(Build("[Default]\nDuration=0\nSoundVolume=150\nStretch=2\nTransitionEffects=1,2,170\n[Pictures]\na.png\nlake.ini\n", &out), 0) << out;
  EXPECT_TRUE(Exists(dir / "s.scr"));
  const std::string m = dir / "m.ini";
  for (const std::string& expected : std::vector<std::string>{
           m + ":2: [Default] Duration = \"0\" is outside the sensible range 1 to 3600 seconds",
           m + ":3: [Default] SoundVolume = \"150\" is outside the sensible range 0 to 100 percent",
           m + ":4: [Default] Stretch = \"2\" is outside the sensible range 0 to 1 ",
           m + ":5: [Default] TransitionEffects = \"1,2,170\": \"170\" is not an effect number from 1 to 169",
           m + ":8: lake.ini is a scene description: write the scene with \"kysaver-tool scene lake.ini -o NAME.kyp\""})
    EXPECT_TRUE(Contains(out, "warning: " + expected)) << expected << "\n" << out;
}

TEST_F(ManifestCheckTest, ErrorsNameTheLineAndNothingIsBuilt) {
  struct {
    const char* Manifest;
    const char* Expected;
  } cases[] = {
      {"[Default]\nDuration=ten\n[Pictures]\na.png\n", ":2: [Default] Duration = \"ten\" is not a whole number"},
      {"[General]\nName=x\n[Pictures]\na.png\n", ":2: [General] Name is not a key of this section"},
      {"[Pictures]\na.png\nb.png\n", ":3: b.png: file not found"},
      {"[UI]\nFile=ui.txt\n[Pictures]\na.png\n", ":2: [UI] File = \"ui.txt\": file not found"},
      {"[Default]\nDuration 10\n[Pictures]\na.png\n", ":2: \"Duration 10\" is neither a [Section], a Key=Value line nor a comment"},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(Build(c.Manifest, &out), 1) << c.Manifest;
    EXPECT_TRUE(Contains(out, "error: " + dir / "m.ini" + c.Expected)) << c.Expected << "\n" << out;
    EXPECT_FALSE(Exists(dir / "s.scr")) << c.Manifest;
  }
}

// The manifest named by a relative path, as an author types it: the object pictures of its
// scenes are found and packed once, not looked for under the folder twice.
TEST_F(ManifestCheckTest, RelativeManifestPacksTheObjectPicturesOfItsScenes) {
  mkdir((dir / "coast").c_str(), 0755);
  ky::SavePngFile(Picture(16, 12, [](int, int) { return ky::MakeColor32(40, 80, 120); }), dir / "coast/bay.png");
  ky::SavePngFile(Picture(16, 12, [](int, int) { return ky::MakeColor32(0, 0, 0); }), dir / "coast/bay-mask.png");
  kytest::WritePngRgba(dir / "coast/boat.png", 2, 2, std::vector<uint32_t>(4, 0xFFFF0000u));
  WriteFile(dir / "coast/boats.ini", "[Obj0]\nObjType=IMG\nFilename=boat.png\n");
  WriteFile(dir / "coast/bay.ini", "[Scene]\nPhoto=bay.png\nMask=bay-mask.png\nObjects=boats.ini\n");
  WriteFile(dir / "coast/saver.ini", "[Pictures]\nbay.kyp\n");
  std::string out;
  ASSERT_EQ(RunCommand("cd '" + dir.Path() + "' && " + kTool + " scene coast/bay.ini -o coast/bay.kyp && " + kTool +
                           " build coast/saver.ini -o coast/s.scr && " + kTool + " inspect --json coast/s.scr", &out), 0) << out;
  EXPECT_TRUE(Contains(out, "{\"Name\":\"boat.png\",\"Kind\":\"object\",\"Size\":")) << out;
}

}  // namespace
