// The configuration side of a saver built with the default windows, as a user meets it on a
// display: an Xvfb server started here (no window manager, so a window's X position is its
// client area's), clicks from xdotool, the settings file read back, and the next show watched
// on the screen.
// GoogleTest before Xlib: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "testutil.h"
#include "xtestutil.h"

using kytest::RunCommand;
using kytest::TTempDir;

using kytest::TProcess;
using kytest::TShownWindow;
using kytest::TXvfb;
using kytest::WaitFor;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";
constexpr int kScreenW = 800, kScreenH = 600;

TXvfb& Server() {
  static TXvfb server(kScreenW, kScreenH);
  return server;
}

uint32_t ScreenPixel(int x, int y) {
  Display* d = XOpenDisplay(Server().Display().c_str());
  if (!d) return 0xFFFFFFFF;
  XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  uint32_t p = 0xFFFFFFFF;
  if (img) {
    p = static_cast<uint32_t>(XGetPixel(img, 0, 0)) & 0xFFFFFF;
    XDestroyImage(img);
  }
  XCloseDisplay(d);
  return p;
}

class DefaultWindowsX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Server().Display().empty()) GTEST_SKIP() << "Xvfb could not be started";
    if (RunCommand("command -v xdotool") != 0) GTEST_SKIP() << "xdotool is not installed";
    mkdir((dir / "tmp").c_str(), 0700);
    std::string out;
    ASSERT_EQ(RunCommand("cd '" + dir.Path() + "' && convert -size 64x48 xc:'#ff0000' red.bmp && convert -size 64x48 xc:'#00ff00' green.bmp"
                         " && convert -size 64x48 xc:'#0000ff' blue.bmp", &out), 0) << out;
    // No window description: the saver gets the default windows.
    kytest::WriteFile(dir / "saver.ini",
                      "[General]\nProductName=Garden\n[Default]\nShowImageMode=0\nDuration=1\nTransition=0\nDirectX=0\n"
                      "[Pictures]\nred.bmp\ngreen.bmp\nblue.bmp\n");
    ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Garden.scr" + "'", &out), 0) << out;
  }
  std::vector<std::string> Env() const {
    return {"DISPLAY=" + Server().Display(), "TMPDIR=" + dir / "tmp", "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir / "tmp",
            "HOME=" + dir / "tmp", "SDL_AUDIODRIVER=dummy"};
  }
  int Click(int x, int y) const {
    return RunCommand("DISPLAY=" + Server().Display() + " xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) +
                      " sleep 0.1 click 1");
  }
  // Waits for a window of the process of that size; an empty Id when none comes.
  TShownWindow WaitForWindow(const TProcess& p, int width, int height, int timeoutMs = 15000) const {
    TShownWindow found;
    WaitFor(timeoutMs, [&] {
      for (const TShownWindow& w : Server().ShownWindowsOf(p.Pid()))
        if (w.Width == width && w.Height == height) found = w;
      return found.Id != 0;
    });
    return found;
  }
  bool WaitUntilGone(const TProcess& p, Window id, int timeoutMs = 10000) const {
    return WaitFor(timeoutMs, [&] {
      for (const TShownWindow& w : Server().ShownWindowsOf(p.Pid()))
        if (w.Id == id) return false;
      return true;
    });
  }
  TTempDir dir;
};

}  // namespace

TEST_F(DefaultWindowsX11Test, FavouritesChosenInTheGridRuleTheNextShow) {
  // The user's earlier choices: favourites, no transitions, the plain window.
  kytest::WriteFile(dir / "Garden.ini", "[Setting]\nImageMode=2\nDuration=1\nTransition=0\nDirectX=0\n");
  {
    TProcess config({dir / "Garden.scr", "/C"}, Env());
    const TShownWindow main = WaitForWindow(config, 480, 468);
    ASSERT_NE(main.Id, 0u) << "MainWindow did not show";
    EXPECT_EQ(main.X, (kScreenW - 480) / 2);
    EXPECT_EQ(main.Y, (kScreenH - 468) / 2);

    // "View Thumbnail": the grid of the three pictures, all checked.
    ASSERT_EQ(Click(main.X + 390, main.Y + 408), 0);
    const TShownWindow thumbs = WaitForWindow(config, 440, 380);
    ASSERT_NE(thumbs.Id, 0u) << "ThumbnailWindow did not show";
    // The check box of picture 0: the grid lies at (8, 8); the box at (13..24, 66..77) of its cell.
    ASSERT_TRUE(WaitFor(5000, [&] { return ScreenPixel(thumbs.X + 8 + 30, thumbs.Y + 8 + 30) == 0xFF0000; }))
        << "the red thumbnail was not painted";
    ASSERT_EQ(Click(thumbs.X + 8 + 19, thumbs.Y + 8 + 72), 0);
    ASSERT_EQ(Click(thumbs.X + 8 + 100 + 19, thumbs.Y + 8 + 72), 0);  // and of picture 1
    ASSERT_EQ(Click(thumbs.X + 392, thumbs.Y + 356), 0);  // "OK"
    ASSERT_TRUE(WaitUntilGone(config, thumbs.Id));
    EXPECT_NE(kytest::ReadFile(dir / "Garden.ini").find("[Files]\n0=\n1=\n"), std::string::npos)
        << kytest::ReadFile(dir / "Garden.ini");

    // "Screensaver Settings": OK writes the show options.
    ASSERT_EQ(Click(main.X + 90, main.Y + 408), 0);
    const TShownWindow settings = WaitForWindow(config, 364, 324);
    ASSERT_NE(settings.Id, 0u) << "Settings did not show";
    ASSERT_EQ(Click(settings.X + 235, settings.Y + 301), 0);  // "OK"
    ASSERT_TRUE(WaitUntilGone(config, settings.Id));
    const std::string ini = kytest::ReadFile(dir / "Garden.ini");
    // The duration reaches the dialog through its up-down arrows, whose lowest value is 10.
    for (const char* line : {"ImageMode=2", "Duration=10", "Transition=0", "DirectX=0", "Speed=10", "ShuffleMusic=1"})
      EXPECT_NE(ini.find(std::string(line) + "\n"), std::string::npos) << line << " in\n" << ini;

    ASSERT_EQ(Click(main.X + 452, main.Y + 28), 0);  // "Close"
    EXPECT_EQ(config.Wait(10000), 0);
  }

  // The next show takes only the checked picture: blue, never red or green, also when the
  // second picture of the show is picked after ten seconds.
  TProcess show({dir / "Garden.scr", "/S"}, Env());
  std::set<uint32_t> seen;
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(13)) {
    seen.insert(ScreenPixel(kScreenW / 2, kScreenH / 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  show.Signal(SIGTERM);
  EXPECT_EQ(show.Wait(10000), 0);
  EXPECT_EQ(seen.count(0x0000FF), 1u) << "the checked picture was not shown";
  EXPECT_EQ(seen.count(0xFF0000), 0u) << "an unchecked picture was shown";
  EXPECT_EQ(seen.count(0x00FF00), 0u) << "an unchecked picture was shown";
}
