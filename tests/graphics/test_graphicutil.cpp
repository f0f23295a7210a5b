#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "gfxTestUtil.h"
#include "graphics/uBmpWriter.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uPictureReaders.h"
#include "platform/uDesktop.h"
#include "platform/uScreen.h"

using namespace ky;

namespace {

// Sets an environment variable for the life of the object, then puts the old value back.
class TEnvVar {
 public:
  TEnvVar(const char* name, const char* value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    if (value != nullptr) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~TEnvVar() {
    if (FOld) setenv(FName.c_str(), FOld->c_str(), 1);
    else unsetenv(FName.c_str());
  }
  TEnvVar(const TEnvVar&) = delete;
  TEnvVar& operator=(const TEnvVar&) = delete;

 private:
  std::string FName;
  std::optional<std::string> FOld;
};

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> b = kytest::ReadBytes(path);
  return std::string(b.begin(), b.end());
}

std::string GsettingsGet(const std::string& key) {
  std::string out;
  RunProgram({"gsettings", "get", "org.gnome.desktop.background", key}, &out);
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

}  // namespace

TEST(Greyscale, AveragesTheThreeChannelsAndKeepsAlpha) {
  TBitmap32 b(3, 1);
  b.SetPixel(0, 0, MakeColor32(255, 0, 0, 255));
  b.SetPixel(1, 0, MakeColor32(1, 1, 2, 9));
  b.SetPixel(2, 0, MakeColor32(100, 200, 255, 0));
  Greyscale(b);
  EXPECT_EQ(b.Pixel(0, 0), MakeColor32(85, 85, 85, 255));
  EXPECT_EQ(b.Pixel(1, 0), MakeColor32(1, 1, 1, 9));
  EXPECT_EQ(b.Pixel(2, 0), MakeColor32(185, 185, 185, 0));  // 555 div 3
}

TEST(MixColour, DarkensTheSecondColourByTheFirstsDarkness) {
  const TColor32 black = MakeColor32(0, 0, 0), white = MakeColor32(255, 255, 255);
  const TColor32 c2 = MakeColor32(200, 100, 50);
  const struct {
    TColor32 c1, c2;
    int percent;
    TColor32 expected;
  } cases[] = {
      {black, white, 50, MakeColor32(128, 128, 128)},  // 255 - (255 * 50 + 0) div 100
      {MakeColor32(7, 8, 9), c2, 0, c2},
      {white, c2, 80, c2},
      // 255 - (255 * 20 + 55 * 100) div 100 = 149; green 49; blue 255 - 256 clamps to 0.
      {black, c2, 20, MakeColor32(149, 49, 0)},
      {black, black, 100, black},
      {MakeColor32(0, 0, 0, 17), white, 100, black},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MixColour(c.c1, c.c2, c.percent), c.expected) << std::hex << c.c1 << " " << c.c2 << " " << c.percent;
}

TEST(SetBitmapSize, SetsTheSize) {
  TBitmap32 b;
  SetBitmapSize(b, 5, 4, pf24bit);
  EXPECT_EQ(b.Width(), 5);
  EXPECT_EQ(b.Height(), 4);
}

TEST(Wallpaper, WritesTheBmpAndSetsItThroughGsettings) {
  if (!kytest::HaveProgram("gsettings")) GTEST_SKIP() << "gsettings is not installed";
  kytest::TTempDir dir;
  const TEnvVar backend("GSETTINGS_BACKEND", "keyfile");
  const TEnvVar config("XDG_CONFIG_HOME", dir.Path().c_str());
  ASSERT_TRUE(RunProgram({"gsettings", "list-keys", "org.gnome.desktop.background"}))
      << "the org.gnome.desktop.background schema (gsettings-desktop-schemas) is missing";
  // Tiled before: tiling goes off.
  ASSERT_TRUE(RunProgram({"gsettings", "set", "org.gnome.desktop.background", "picture-options", "'wallpaper'"}));

  const TBitmap32 pic = kytest::TestPicture(8, 6);
  const std::string path = dir.File("Garden's saver.scr.bmp");
  SaveBitmapToBmpFile(pic, path);
  SetDesktopWallpaper(path);

  TBitmap32 back;
  LoadBmpFromFile(path, back);
  ASSERT_EQ(back.Width(), 8);
  EXPECT_EQ(back.Pixel(7, 5), pic.Pixel(7, 5) | 0xFF000000u);
  const std::string uri = "file://" + dir.Path() + "/Garden%27s%20saver.scr.bmp";
  const std::string keyfile = ReadText(dir.File("glib-2.0/settings/keyfile"));
  EXPECT_NE(keyfile.find("picture-uri='" + uri + "'"), std::string::npos) << keyfile;
  EXPECT_EQ(GsettingsGet("picture-uri"), "'" + uri + "'");
  EXPECT_EQ(GsettingsGet("picture-uri-dark"), "'" + uri + "'");
  EXPECT_EQ(GsettingsGet("picture-options"), "'centered'");

  // Any other style stays as it was.
  ASSERT_TRUE(RunProgram({"gsettings", "set", "org.gnome.desktop.background", "picture-options", "'stretched'"}));
  SaveBitmapToBmpFile(pic, path);
  SetDesktopWallpaper(path);
  EXPECT_EQ(GsettingsGet("picture-options"), "'stretched'");
}

TEST(Wallpaper, ADesktopThatDoesNotAnswerIsNoErrorButAFileThatCannotBeWrittenIs) {
  kytest::TTempDir dir;
  const TBitmap32 pic = kytest::TestPicture(3, 3);
  {
    const TEnvVar path("PATH", dir.Path().c_str());  // no gsettings, no xfconf-query
    const std::string file = dir.File("w.bmp");
    EXPECT_NO_THROW(SaveBitmapToBmpFile(pic, file));
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(SetDesktopWallpaper(file));
  }
  const std::string bad = dir.File("no/such/folder/w.bmp");
  try {
    SaveBitmapToBmpFile(pic, bad);
    FAIL() << "no error for an unwritable file";
  } catch (const EPictureError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(bad + ": cannot write the file", 0), 0u) << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(bad + ".tmp"));
}

TEST(RunProgram, ExitStatusOutputAndTimeout) {
  std::string out;
  EXPECT_TRUE(RunProgram({"sh", "-c", "printf 'a b'"}, &out));
  EXPECT_EQ(out, "a b");
  EXPECT_FALSE(RunProgram({"sh", "-c", "exit 3"}));
  EXPECT_FALSE(RunProgram({"no-such-program-kysaver"}));
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunProgram({"sleep", "5"}, nullptr, 200));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
  EXPECT_EQ(FileUri("/a b/ü%.bmp"), "file:///a%20b/%C3%BC%25.bmp");
}

TEST(ScreenBitDepth, SixteenWithoutADisplayAndTheServersDepthWithOne) {
  {
    const TEnvVar display("DISPLAY", nullptr);
    EXPECT_EQ(ScreenBitDepth(), 16);
    const TEnvVar wrong("DISPLAY", ":999");
    EXPECT_EQ(ScreenBitDepth(), 16);
  }
  if (!kytest::HaveProgram("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  // A private X server with a 24-bit screen, whose pixels take 32 bits.
  const int number = 60 + static_cast<int>(getpid() % 30);
  const std::string name = ":" + std::to_string(number);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "64x64x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
  for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  int depth = 0;
  {
    const TEnvVar display("DISPLAY", name.c_str());
    depth = ScreenBitDepth();
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(depth, 32);
}

TEST(Wallpaper, AFileOrLinkAlreadyAtTheTemporaryNameIsLeftAlone) {
  kytest::TTempDir dir;
  const TBitmap32 pic = kytest::TestPicture(4, 3);
  const std::string path = dir.File("w.bmp");
  const std::string other = dir.File("other.txt");
  kytest::WriteFile(other, "someone else's file");
  struct TCase {
    const char* what;
    bool link;
  };
  for (const TCase c : {TCase{"a file", false}, TCase{"a link", true}}) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path + ".tmp");
    if (c.link) std::filesystem::create_symlink(other, path + ".tmp");
    else kytest::WriteFile(path + ".tmp", "left before");
    SaveBitmapToBmpFile(pic, path);
    TBitmap32 back;
    LoadBmpFromFile(path, back);
    ASSERT_EQ(back.Width(), 4);
    EXPECT_EQ(back.Pixel(3, 2), pic.Pixel(3, 2) | 0xFF000000u);
    EXPECT_EQ(std::filesystem::is_symlink(path + ".tmp"), c.link);
    EXPECT_EQ(kytest::ReadFile(path + ".tmp"), c.link ? "someone else's file" : "left before");
    EXPECT_EQ(kytest::ReadFile(other), "someone else's file");
    EXPECT_FALSE(std::filesystem::is_symlink(path));
  }
  // Nothing else is left in the folder: the target, the two files there before.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 3);
}
