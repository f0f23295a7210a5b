// The saver on real X11 desktops made by Xvfb: two monitors (one screen cut in two with
// xrandr --setmonitor, which Xinerama and Qt both report as two monitors), a screen scaled by
// QT_SCALE_FACTOR, and the XScreenSaver daemon running a saver that registered itself.
// GoogleTest before Xlib: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "graphics/uBitmap32.h"
#include "graphics/uPngReader.h"
#include "testutil.h"
#include "xtestutil.h"

using kytest::RunCommand;
using kytest::TTempDir;

using kytest::TProcess;
using kytest::TXvfb;
using kytest::WaitFor;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The colour of the test picture at (x, y): one-pixel stripes and a checker that any scaling
// of the frame would smear.
uint32_t PictureColour(int x, int y) {
  if (y < 8) return x % 2 ? 0xFFFFFFu : 0x000000u;
  return ((x + y) % 2) ? 0xE02020u : static_cast<uint32_t>(0x000040u + ((x * 3) & 0xFF) * 0x100u);
}

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mkdir((dir / "tmp").c_str(), 0700);
    kytest::WriteBmp24(dir / "red.bmp", 64, 48, [](int, int) { return 0xFF0000u; });
    kytest::WriteFile(dir / "saver.ini", "[General]\nProductName=Garden\n[Default]\nDuration=30\n[Pictures]\nred.bmp\n");
    std::string out;
    ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Garden.scr" + "'", &out), 0) << out;
  }
  std::vector<std::string> Env(const TXvfb& x) const {
    return {"DISPLAY=" + x.Display(), "TMPDIR=" + dir / "tmp", "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir / "tmp"};
  }
  // What the saver left in its temporary folder (Qt's own runtime folder aside).
  std::string Left(const std::string& folder) const {
    std::string out;
    RunCommand("cd '" + folder + "' && find . -mindepth 1 -not -name 'runtime-*' | sort | tr '\\n' ' '", &out);
    return out;
  }
  TTempDir dir;
};

}  // namespace

// Two monitors side by side: the show on the primary one, the other black, and input on the
// black one ends the show like input on the show.
TEST_F(DesktopTest, ShowCoversBothMonitorsAndEitherEndsIt) {
  TXvfb x(640, 240);
  ASSERT_FALSE(x.Display().empty()) << "Xvfb could not be started";
  ASSERT_EQ(x.Run("xrandr --setmonitor Left 320/85x240/64+0+0 screen"), 0);
  ASSERT_EQ(x.Run("xrandr --setmonitor Right 320/85x240/64+320+0 none"), 0);
  std::string heads;
  ASSERT_EQ(x.Run("xdpyinfo -ext XINERAMA | grep -c 'head #'", &heads), 0);
  ASSERT_EQ(heads, "2\n") << "Xinerama reports both monitors";
  // A blue desktop, so that black on it can only be the saver's.
  ASSERT_EQ(x.Run("xsetroot -solid '#336699'"), 0);
  ASSERT_EQ(x.Pixel(480, 120), 0x336699u);

  // Ended by a click, by a three-pixel move and by a character key, each time with the pointer
  // on the second monitor.
  for (const std::string input : {"click 1", "mousemove 505 100", "key a"}) {
    SCOPED_TRACE(input);
    ASSERT_EQ(x.Run("xdotool mousemove 500 100"), 0);
    TProcess show({dir / "Garden.scr", "/S"}, Env(x));
    ASSERT_TRUE(WaitFor(10000, [&] { return x.Pixel(160, 120) == 0xFF0000u && x.Pixel(480, 120) == 0u; }))
        << "left " << std::hex << x.Pixel(160, 120) << " right " << x.Pixel(480, 120);
    EXPECT_EQ(x.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(x.Pixel(319, 239), 0xFF0000u);
    EXPECT_EQ(x.Pixel(320, 0), 0u);
    EXPECT_EQ(x.Pixel(639, 239), 0u);
    // Small moves on the second monitor keep it (the first moves of a show are not looked at).
    for (int i = 0; i < 8; ++i) x.Run("xdotool mousemove " + std::string(i % 2 ? "501" : "500") + " 100");
    Pause(300);
    EXPECT_EQ(show.Wait(0), -1) << "a drift of one pixel ended the show";
    ASSERT_EQ(x.Run("xdotool " + input), 0);
    EXPECT_EQ(show.Wait(5000), 0);
    EXPECT_TRUE(WaitFor(3000, [&] { return x.Pixel(480, 120) == 0x336699u && x.Pixel(160, 120) == 0x336699u; }))
        << "both windows gone";
  }
  EXPECT_EQ(Left(dir / "tmp"), "");
}

// With the desktop scaled by two, the show still fills the screen at its full device size, one
// frame pixel per screen pixel: the screen is the headless render at 320 x 240, and the picture.
TEST_F(DesktopTest, ScaledDesktopShowsTheFrameAtDeviceSize) {
  TXvfb x(320, 240);
  ASSERT_FALSE(x.Display().empty()) << "Xvfb could not be started";
  kytest::WriteBmp24(dir / "fine.bmp", 320, 240, PictureColour);
  kytest::WriteFile(dir / "fine.ini", "[General]\nProductName=Fine\n[Default]\nDuration=30\nStretch=1\n[Pictures]\nfine.bmp\n");
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "fine.ini" + "' -o '" + dir / "Fine.scr" + "'", &out), 0) << out;

  std::vector<std::string> env = Env(x);
  env.push_back("QT_SCALE_FACTOR=2");
  TProcess show({dir / "Fine.scr", "/S"}, env);
  ASSERT_TRUE(WaitFor(10000, [&] { return x.Pixel(0, 0) == 0x000000u && x.Pixel(1, 0) == 0xFFFFFFu && x.Pixel(161, 120) == 0xE02020u; }))
      << std::hex << x.Pixel(0, 0) << " " << x.Pixel(1, 0);
  Pause(300);
  int w = 0, h = 0;
  const std::vector<uint32_t> screen = x.Grab(w, h);
  ASSERT_EQ(w, 320);
  ASSERT_EQ(h, 240);

  ASSERT_EQ(RunCommand(kTool + " render '" + dir / "Fine.scr" + "' --out '" + dir / "frames" + "' --frames 1 --size 320x240", &out), 0)
      << out;
  const ky::TPngPicture frame = ky::ReadPngFile(dir / "frames/frame-00000.png");
  ASSERT_EQ(frame.Picture.Width(), 320);
  ASSERT_EQ(frame.Picture.Height(), 240);
  int fromRender = 0, fromPicture = 0;
  for (int y = 0; y < h; ++y)
    for (int px = 0; px < w; ++px) {
      const uint32_t s = screen[static_cast<size_t>(y) * w + px];
      fromRender += s != (frame.Picture.Pixel(px, y) & 0xFFFFFF);
      fromPicture += s != PictureColour(px, y);
    }
  EXPECT_EQ(fromRender, 0) << "pixels that differ from the render at device size";
  EXPECT_EQ(fromPicture, 0) << "pixels that differ from the picture";
  show.Signal(SIGTERM);
  EXPECT_EQ(show.Wait(3000), 0);
  EXPECT_EQ(Left(dir / "tmp"), "");
}

// A saver registers itself with --install; the real XScreenSaver daemon, run as an unprivileged
// user with that home folder, runs it on -select and ends it on -deactivate; --uninstall then
// gives the settings file back byte for byte. The daemon refuses to run hacks as root, so as
// root everything here runs as "nobody".
TEST_F(DesktopTest, XScreenSaverRunsTheSaverThatInstalledItself) {
  if (access("/usr/bin/xscreensaver", X_OK) != 0) GTEST_SKIP() << "xscreensaver is not installed";
  TXvfb x(320, 240);
  ASSERT_FALSE(x.Display().empty()) << "Xvfb could not be started";
  const bool root = geteuid() == 0;
  chmod(dir.Path().c_str(), 0755);
  for (const char* sub : {"home", "daemon-tmp"}) {
    mkdir((dir / sub).c_str(), 0700);
    if (root) {
      ASSERT_EQ(chown((dir / sub).c_str(), 65534, 65534), 0);
    }
  }
  // A list of three hacks, the first one the user's choice.
  const std::string settings = dir / "home/.xscreensaver";
  const std::string original =
      "timeout:\t0:30:00\ncycle:\t\t0:00:00\nlock:\t\tFalse\nmode:\t\tone\nselected:\t0\nsplash:\t\tFalse\nfade:\t\tFalse\n"
      "unfade:\t\tFalse\ndpmsEnabled:\tFalse\nprograms:\t\t\t\t\t\t\t\t      \\\n\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
      "- GL:\t\t\t\tsuperquadrics --root\t\t    \\n\\\n\t\t\t\tqix --root\t\t\t\t    \\n\n\n";
  kytest::WriteFile(settings, original);
  if (root) {
    ASSERT_EQ(chown(settings.c_str(), 65534, 65534), 0);
  }
  // The saver lies where a user may put it: a folder with a space, a name with a quote, so the
  // daemon's shell must take the command as --install quoted it.
  const std::string folder = dir / "my savers";
  mkdir(folder.c_str(), 0755);
  const std::string saver = folder + "/Garden's.scr";
  ASSERT_EQ(rename((dir / "Garden.scr").c_str(), saver.c_str()), 0);
  const std::string saverArg = "\"" + saver + "\"";
  const std::string as = root ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  const std::string userEnv = "env DISPLAY=" + x.Display() + " HOME='" + dir / "home" + "' TMPDIR='" + dir / "daemon-tmp" +
                              "' XDG_RUNTIME_DIR='" + dir / "daemon-tmp" + "' ";
  auto hacks = [&] {
    std::string count;
    RunCommand("grep -c -- '-root' '" + settings + "'", &count);
    return count;
  };

  std::string out;
  ASSERT_EQ(RunCommand(as + userEnv + saverArg + " --install", &out), 0) << out;
  EXPECT_EQ(out, "Garden: added to " + settings + " as hack 4; desktop entry " + dir / "home/.local/share/applications/kysaver-Garden.desktop" +
                     " written\n");
  EXPECT_EQ(hacks(), "4\n");
  const std::string installed = kytest::ReadFile(settings);
  ASSERT_EQ(RunCommand(as + userEnv + saverArg + " --install", &out), 0) << out;
  EXPECT_EQ(hacks(), "4\n");
  EXPECT_EQ(kytest::ReadFile(settings), installed);

  std::vector<std::string> daemon = {"/usr/bin/xscreensaver", "--no-splash"};
  if (root) daemon.insert(daemon.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  TProcess xscreensaver(daemon, {"DISPLAY=" + x.Display(), "HOME=" + dir / "home", "TMPDIR=" + dir / "daemon-tmp",
                                 "XDG_RUNTIME_DIR=" + dir / "daemon-tmp"});
  const std::string command = as + userEnv + "xscreensaver-command ";
  // The daemon can take several seconds to come up on a busy machine.
  int status = -1;
  // The number --install printed.
  WaitFor(30000, [&] { return (status = RunCommand(command + "-select 4", &out)) == 0; });
  ASSERT_EQ(status, 0) << out;
  EXPECT_TRUE(WaitFor(15000, [&] { return x.Pixel(160, 120) == 0xFF0000u; })) << "the saver's picture";
  EXPECT_EQ(x.Pixel(2, 237), 0xFF0000u);
  // The daemon writes the switch as "--root" when it runs the hack.
  const std::string saverRunning = "pgrep -f -- 'my savers/Garden.s[.]scr --?root' >/dev/null";
  EXPECT_EQ(RunCommand(saverRunning), 0) << "the saver runs as the hack";

  ASSERT_EQ(RunCommand(command + "-deactivate", &out), 0) << out;
  EXPECT_TRUE(WaitFor(10000, [&] { return RunCommand(saverRunning) != 0; })) << "the saver ended";
  std::string left;
  WaitFor(5000, [&] { return (left = Left(dir / "daemon-tmp")).empty(); });
  EXPECT_EQ(left, "") << "files left after -deactivate";
  RunCommand(command + "-exit");
  EXPECT_GE(xscreensaver.Wait(10000), 0);

  ASSERT_EQ(RunCommand(as + userEnv + saverArg + " --uninstall", &out), 0) << out;
  EXPECT_EQ(out, "Garden: removed from " + settings + "; desktop entry " + dir / "home/.local/share/applications/kysaver-Garden.desktop" +
                     " removed\n");
  EXPECT_EQ(kytest::ReadFile(settings), original);
  RunCommand("cd '" + dir / "home" + "' && find . -mindepth 1 | sort | tr '\\n' ' '", &left);
  EXPECT_EQ(left, "./.xscreensaver ") << "nothing else in the home folder";
}
