// "kysaver-tool new": a project that builds at once, with and without photos, and never
// overwrites anything.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "authoringFixture.h"
#include "uNewProject.h"

using namespace kytest;

namespace {

class NewProjectTest : public ::testing::Test {
 protected:
  std::string Build(const std::string& project, std::string* out) {
    Tool("build '" + dir / (project + "/saver.ini") + "' -o '" + dir / (project + "/s.scr") + "'", out);
    std::string json;
    Tool("inspect --json '" + dir / (project + "/s.scr") + "'", &json);
    return json;
  }
  TTempDir dir;
};

TEST_F(NewProjectTest, WithoutPhotosTheExampleBuildsAndItsLakeMoves) {
  std::string out;
  ASSERT_EQ(Tool("new '" + dir / "garden" + "'", &out), 0) << out;
  for (const char* f : {"saver.ini", "README.md", "example.png", "example-mask.png", "example.ini", "example.kyp"})
    EXPECT_TRUE(Exists(dir / ("garden/" + std::string(f)))) << f;
  const std::string json = Build("garden", &out);
  EXPECT_TRUE(Contains(json, "\"Names\":[\"example.kyp\"]")) << out << json;
  EXPECT_TRUE(Contains(json, "\"ProductName\":\"garden\"")) << json;
  // The example's lake is painted: the scene has water of wave set 1.
  ASSERT_EQ(Tool("inspect --json '" + dir / "garden/example.kyp" + "'", &out), 0) << out;
  EXPECT_TRUE(Contains(out, "\"RegionPixels\":[96000,57600,0,0,0,0,0]")) << out;  // 480 x 200 land, 480 x 120 lake
  // And the saver plays it.
  ASSERT_EQ(Tool("render '" + dir / "garden/s.scr" + "' --out '" + dir / "frames" + "' --frames 2 --size 160x120 --no-user-settings", &out), 0) << out;
  EXPECT_TRUE(Exists(dir / "frames/frame-00001.png"));
}

TEST_F(NewProjectTest, FromTwoPhotosEachGetsADimmedDryMaskAndTheSaverBuilds) {
  SaveJpeg(Picture(120, 80, [](int x, int y) { return ky::MakeColor32(x * 2, y * 3, 90); }), dir / "Harbour at dawn.jpg");
  ky::SavePngFile(Picture(90, 60, [](int, int y) { return y < 30 ? ky::MakeColor32(200, 100, 51) : ky::MakeColor32(255, 255, 255); }),
                  dir / "pond.png");
  std::string out;
  ASSERT_EQ(Tool("new '" + dir / "two" + "' --from '" + dir / "Harbour at dawn.jpg" + "' '" + dir / "pond.png" + "'", &out), 0) << out;
  for (const char* f : {"Harbour-at-dawn.jpg", "Harbour-at-dawn-mask.png", "Harbour-at-dawn.ini", "Harbour-at-dawn.kyp",
                        "pond.png", "pond-mask.png", "pond.ini", "pond.kyp"})
    EXPECT_TRUE(Exists(dir / ("two/" + std::string(f)))) << f;
  // The photo is copied byte for byte; the template halves every channel, white included.
  EXPECT_EQ(ReadFile(dir / "two/Harbour-at-dawn.jpg"), ReadFile(dir / "Harbour at dawn.jpg"));
  const ky::TBitmap32 mask = ky::ReadPngFile(dir / "two/pond-mask.png").Picture;
  EXPECT_EQ(mask.Pixel(10, 10) & 0xFFFFFF, 0x643219u);  // (100, 50, 25)
  EXPECT_EQ(mask.Pixel(10, 50) & 0xFFFFFF, 0x7F7F7Fu);  // (127, 127, 127)
  // Every pixel dry: the scenes have no water yet, and build as they are.
  ASSERT_EQ(Tool("inspect --json '" + dir / "two/pond.kyp" + "'", &out), 0) << out;
  EXPECT_TRUE(Contains(out, "\"RegionPixels\":[5400,0,0,0,0,0,0]")) << out;
  const std::string json = Build("two", &out);
  EXPECT_TRUE(Contains(json, "\"Names\":[\"Harbour-at-dawn.kyp\",\"pond.kyp\"]")) << out << json;

  // The author's next step: water painted in blue, the scene written again, the saver rebuilt.
  ky::TBitmap32 painted;
  painted.Assign(mask);
  painted.FillRect(0, 40, 90, 60, ky::MakeColor32(0, 0, 255));
  ky::SavePngFile(painted, dir / "two/pond-mask.png");
  ASSERT_EQ(Tool("scene '" + dir / "two/pond.ini" + "' -o '" + dir / "two/pond.kyp" + "'", &out), 0) << out;
  EXPECT_EQ(out, "");  // the template's first values are all in range
  ASSERT_EQ(Tool("inspect --json '" + dir / "two/pond.kyp" + "'", &out), 0) << out;
  EXPECT_TRUE(Contains(out, "\"RegionPixels\":[3600,1800,0,0,0,0,0]")) << out;
  EXPECT_TRUE(Contains(Build("two", &out), "\"Names\":[\"Harbour-at-dawn.kyp\",\"pond.kyp\"]")) << out;
}

TEST_F(NewProjectTest, RefusesWhatWouldLoseOrMisreadFiles) {
  mkdir((dir / "full").c_str(), 0755);
  WriteFile(dir / "full/saver.ini", "mine");
  ky::SavePngFile(Picture(8, 8, [](int, int) { return ky::MakeColor32(1, 2, 3); }), dir / "a.png");
  WriteFile(dir / "b.bmp", "BM");
  mkdir((dir / "other").c_str(), 0755);
  ky::SavePngFile(Picture(8, 8, [](int, int) { return ky::MakeColor32(1, 2, 3); }), dir / "other/a.png");
  struct {
    std::string Args, Expected, Folder;
  } cases[] = {
      {"'" + dir / "full" + "'", "the folder is not empty", ""},
      {"'" + dir / "n1" + "' --from '" + dir / "b.bmp" + "'", "b.bmp: a scene's photo must be a JPEG (.jpg, .jpeg) or PNG", "n1"},
      {"'" + dir / "n2" + "' --from '" + dir / "a.png" + "' '" + dir / "other/a.png" + "'", "another photo gives the same scene name \"a\"", "n2"},
      {"'" + dir / "n3" + "' --from '" + dir / "missing.png" + "'", "missing.png", "n3"},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(Tool("new " + c.Args, &out), 1) << c.Args;
    EXPECT_TRUE(Contains(out, c.Expected)) << c.Expected << "\n" << out;
    if (!c.Folder.empty()) EXPECT_FALSE(Exists(dir / c.Folder)) << c.Folder;
  }
  EXPECT_EQ(ReadFile(dir / "full/saver.ini"), "mine");
}

}  // namespace
