// The saver as a user meets it on a display: an Xvfb server started here, input from xdotool,
// screenshots through X11.
// GoogleTest before Xlib: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/Xatom.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <thread>

#include "graphics/uBitmap32.h"
#include "graphics/uPictureReaders.h"
#include "testutil.h"
#include "xtestutil.h"

using kytest::RunCommand;
using kytest::TTempDir;

using kytest::TProcess;
using kytest::TXvfb;
using kytest::WaitFor;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";
constexpr int kScreenW = 320, kScreenH = 240;

TXvfb& Server() {
  static TXvfb server(kScreenW, kScreenH);
  return server;
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// What the screen shows, as 0xRRGGBB values.
std::vector<uint32_t> Grab(Window w, int& width, int& height) {
  Display* d = XOpenDisplay(Server().Display().c_str());
  std::vector<uint32_t> px;
  if (!d) return px;
  if (!w) w = DefaultRootWindow(d);
  XWindowAttributes a{};
  XGetWindowAttributes(d, w, &a);
  width = a.width;
  height = a.height;
  XImage* img = XGetImage(d, w, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
  if (img) {
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x) px.push_back(static_cast<uint32_t>(XGetPixel(img, x, y)) & 0xFFFFFF);
    XDestroyImage(img);
  }
  XCloseDisplay(d);
  return px;
}

// What a window manager sends when the user closes a window (Alt+F4, the title bar's button).
void AskToClose(Window w) {
  Display* d = XOpenDisplay(Server().Display().c_str());
  if (!d) return;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &e);
  XSync(d, False);
  XCloseDisplay(d);
}

uint32_t ScreenPixel(int x, int y) {
  int w = 0, h = 0;
  const std::vector<uint32_t> px = Grab(0, w, h);
  return px.empty() ? 0xFFFFFFFF : px[static_cast<size_t>(y) * w + x];
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Server().Display().empty()) GTEST_SKIP() << "Xvfb could not be started";
    mkdir((dir / "tmp").c_str(), 0700);
    std::string out;
    // Two plain pictures and one scene.
    ASSERT_EQ(RunCommand("cd '" + dir.Path() + "' && convert -size 64x48 xc:'#ff0000' red.bmp && convert -size 64x48 xc:'#0000ff' blue.jpg"
                         " && convert -size 64x48 xc:'#208020' -fill '#3050a0' -draw 'rectangle 0,24 63,47' lake.png"
                         " && convert -size 64x48 xc:black -fill '#0000ff' -draw 'rectangle 0,24 63,47' lake-mask.png"
                         " && convert -size 32x24 xc:'#ffff00' preview.jpg", &out), 0) << out;
    kytest::WriteFile(dir / "lake.ini",
                      "[Scene]\nTitle=Lake\nPhoto=lake.png\nMask=lake-mask.png\nPreviewWidth=32\n"
                      "[Wave1]\nAmplitude=3\nFrequency=10\nPhaseSpeed=15\nDirection=1\nAnimated=1\nPerspective=1\nCycle=360\n");
    ASSERT_EQ(RunCommand(kTool + " scene '" + dir / "lake.ini" + "' -o '" + dir / "lake.kyp" + "'", &out), 0) << out;
    kytest::WriteFile(dir / "saver.ini",
                      "[Default]\nShowImageMode=1\nDuration=30\n[Advance]\nPreviewFile=preview.jpg\n"
                      "[Pictures]\nred.bmp\nblue.jpg\nlake.kyp\n");
    ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Garden.scr" + "'", &out), 0) << out;
  }
  std::vector<std::string> Env() const {
    return {"DISPLAY=" + Server().Display(), "TMPDIR=" + dir / "tmp", "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir / "tmp"};
  }
  std::string Left() const {
    std::string out;
    RunCommand("cd '" + dir / "tmp" + "' && find . -mindepth 1 -not -name 'runtime-*' | sort | tr '\\n' ' '", &out);
    return out;
  }
  int Xdotool(const std::string& args) const { return RunCommand("DISPLAY=" + Server().Display() + " xdotool " + args); }
  // Starts the show and waits until its first picture is on the screen.
  std::unique_ptr<TProcess> StartShow(const std::string& saver = "Garden.scr") {
    auto p = std::make_unique<TProcess>(std::vector<std::string>{dir / saver, "/S"}, Env());
    for (int i = 0; i < 100 && ScreenPixel(kScreenW / 2, kScreenH / 2) != 0xFF0000; ++i) Pause(50);
    return p;
  }
  TTempDir dir;
};

}  // namespace

TEST_F(WindowTest, ShowFillsTheScreenLikeTheHeadlessRender) {
  auto show = StartShow();
  Pause(300);
  int w = 0, h = 0;
  const std::vector<uint32_t> screen = Grab(0, w, h);
  ASSERT_EQ(w, kScreenW);
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " render '" + dir / "Garden.scr" + "' --out '" + dir / "frames" + "' --frames 1 --size 320x240", &out), 0) << out;
  ky::TPngPicture frame = ky::ReadPngFile(dir / "frames/frame-00000.png");
  ASSERT_EQ(frame.Picture.Width(), kScreenW);
  int differing = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t a = screen[static_cast<size_t>(y) * w + x], b = frame.Picture.Pixel(x, y) & 0xFFFFFF;
      for (int s : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > 8) { ++differing; break; }
    }
  EXPECT_LT(differing, w * h / 100) << "pixels that differ from the render";
  EXPECT_EQ(screen[static_cast<size_t>(h / 2) * w + w / 2], 0xFF0000u);
  show->Signal(SIGTERM);
  EXPECT_EQ(show->Wait(2000), 0);
  EXPECT_EQ(Left(), "");
}

TEST_F(WindowTest, SmallMouseDriftKeepsItAThreePixelMoveEndsIt) {
  auto show = StartShow();
  Xdotool("mousemove 100 100");
  Pause(100);
  int x = 100, y = 100;
  for (int i = 1; i <= 12; ++i) {
    x += i % 2 ? 1 : 2;
    y += i % 3 ? 1 : 0;
    Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
    Pause(60);
  }
  EXPECT_EQ(show->Wait(300), -1) << "drifts of 1-2 pixels ended the show";
  Xdotool("mousemove_relative 3 0");
  EXPECT_EQ(show->Wait(1000), 0);
  EXPECT_EQ(Left(), "");
}

TEST_F(WindowTest, ClickAndCharacterKeysEndItShiftDoesNot) {
  {
    auto show = StartShow();
    Xdotool("click 1");
    EXPECT_EQ(show->Wait(1000), 0);
  }
  {
    auto show = StartShow();
    Xdotool("key Shift_L");
    Xdotool("key Control_L");
    EXPECT_EQ(show->Wait(400), -1) << "a key without a character ended the show";
    Xdotool("key a");
    EXPECT_EQ(show->Wait(1000), 0);
  }
  EXPECT_EQ(Left(), "");
}

TEST_F(WindowTest, FullScreenPresentationStretchesTheWorkingSizeAndFallsBack) {
  kytest::WriteFile(dir / "dx.ini", "[Default]\nDirectX=1\nDirectXQuality=2\nStretch=0\n[Pictures]\nred.bmp\n");
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "dx.ini" + "' -o '" + dir / "Dx.scr" + "'", &out), 0) << out;
  // With OpenGL the 640 x 480 working surface covers the whole screen; without it the plain
  // window shows the 64 x 48 picture at its own size, centred.
  for (const bool gl : {true, false}) {
    std::vector<std::string> env = Env();
    if (!gl) env.push_back("QT_XCB_GL_INTEGRATION=none");
    // Mesa's driver is unloaded before the leak check runs, so its own allocations cannot be
    // told from ours by name; the leak check stays on for every other run.
    if (gl) env.push_back("ASAN_OPTIONS=detect_leaks=0:abort_on_error=1");
    TProcess show({dir / "Dx.scr", "/S"}, env);
    for (int i = 0; i < 100 && ScreenPixel(kScreenW / 2, kScreenH / 2) != 0xFF0000; ++i) Pause(50);
    Pause(200);
    EXPECT_EQ(ScreenPixel(kScreenW / 2, kScreenH / 2), 0xFF0000u) << gl;
    EXPECT_EQ(ScreenPixel(2, 2), gl ? 0xFF0000u : 0u) << gl;
    show.Signal(SIGTERM);
    EXPECT_EQ(show.Wait(2000), 0);
  }
  EXPECT_EQ(Left(), "");
}

TEST_F(WindowTest, PreviewStaysInItsWindowAndDaemonModeAnimatesOne) {
  Display* d = XOpenDisplay(Server().Display().c_str());
  ASSERT_NE(d, nullptr);
  const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 10, 10, 80, 60, 0, 0, 0);
  XMapWindow(d, w);
  XSync(d, False);
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", w);
  {
    TProcess preview({dir / "Garden.scr", "/p", id}, Env());
    EXPECT_EQ(preview.Wait(5000), 0);
  }
  Pause(100);
  int gw = 0, gh = 0;
  std::vector<uint32_t> px = Grab(w, gw, gh);
  ASSERT_EQ(gw, 80);
  const uint32_t c = px[static_cast<size_t>(30) * gw + 40];
  EXPECT_GT((c >> 16) & 0xFF, 200u) << std::hex << c;  // the yellow preview picture
  EXPECT_GT((c >> 8) & 0xFF, 200u) << std::hex << c;
  EXPECT_LT(c & 0xFF, 60u) << std::hex << c;

  {  // a window that does not exist is a clear error, not a wait; its box is answered here
    TProcess bad({dir / "Garden.scr", "/p", "0x7ffffff1"}, Env(), false, dir / "stderr");
    std::vector<Window> boxes;
    EXPECT_TRUE(WaitFor(20000, [&] { return !(boxes = Server().WindowsOf(bad.Pid())).empty(); })) << "no error box";
    for (const Window b : boxes) AskToClose(b);
    EXPECT_EQ(bad.Wait(10000), 1);
    const std::string msg = kytest::ReadFile(dir / "stderr");
    EXPECT_EQ(msg, "kysaver: window 0x7ffffff1 does not exist\n");
  }
  kytest::WriteFile(dir / "saver.ini", "[Default]\n[Pictures]\nlake.kyp\n");
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Lake.scr" + "'", &out), 0) << out;
  TProcess hack({dir / "Lake.scr", "--root", "--window-id", id}, Env());
  // The first frame shows the land of the scene at the top; later ones move the water.
  std::vector<uint32_t> a;
  uint32_t land = 0;
  const auto isLand = [](uint32_t c) {
    return std::abs(static_cast<int>((c >> 8) & 0xFF) - 0x80) <= 16 && std::abs(static_cast<int>((c >> 16) & 0xFF) - 0x20) <= 16;
  };
  EXPECT_TRUE(WaitFor(20000, [&] {
    a = Grab(w, gw, gh);
    land = a[static_cast<size_t>(5) * gw + 40];
    return isLand(land);
  })) << std::hex << land << ": the land of the scene";
  std::vector<uint32_t> b;
  EXPECT_TRUE(WaitFor(20000, [&] { return (b = Grab(w, gw, gh)) != a; })) << "the water does not move";
  Xdotool("click 1");
  EXPECT_EQ(hack.Wait(300), -1) << "input in the daemon's window must not end the show";
  XDestroyWindow(d, w);
  XSync(d, False);
  EXPECT_EQ(hack.Wait(3000), 0) << "the show must end with its window";
  XCloseDisplay(d);
  // The daemon's show removed its files; the preview leaves its own for the next start.
  const std::string left = Left();
  EXPECT_EQ(left.find("TGFrZQ"), std::string::npos) << left;
  EXPECT_NE(left.find("./R2FyZGVu/"), std::string::npos) << left;
}

// A termination signal or the window manager's close in the middle of a transition: the show
// ends normally once the transition has handed control back, and removes its files.
TEST_F(WindowTest, EndingInsideATransitionClosesCleanly) {
  std::string out;
  for (const char* second : {"lake.kyp", "blue.jpg"}) {
    // red.bmp for a second, then a cross-fade of a minute into the second picture.
    kytest::WriteFile(dir / "fade.ini", std::string("[Default]\nShowImageMode=1\nDuration=1\nTransition=1\n"
                                                    "TransitionTime=60000\nTransitionEffects=1\n[Pictures]\nred.bmp\n") + second + "\n");
    ASSERT_EQ(RunCommand(kTool + " build '" + dir / "fade.ini" + "' -o '" + dir / "Fade.scr" + "'", &out), 0) << out;
    for (const int ending : {SIGTERM, SIGINT, SIGHUP, 0}) {
      const std::string what = std::string(ending ? strsignal(ending) : "window close") + " into " + second;
      auto show = StartShow("Fade.scr");
      ASSERT_TRUE(WaitFor(20000, [] { return ScreenPixel(kScreenW / 2, kScreenH / 2) == 0xFF0000; })) << what << ": the first picture";
      EXPECT_TRUE(WaitFor(10000, [] { return ScreenPixel(kScreenW / 2, kScreenH / 2) != 0xFF0000; }))
          << what << ": the transition did not start";
      if (ending) {
        show->Signal(ending);
      } else {
        const std::vector<Window> windows = Server().WindowsOf(show->Pid());
        ASSERT_EQ(windows.size(), 1u) << what;
        AskToClose(windows[0]);
      }
      EXPECT_EQ(show->Wait(10000), 0) << what;
      EXPECT_EQ(Left(), "") << what;
    }
  }
}

// Keys that produce a character end the show; Delete, whose X11 text is U+007F, does not.
TEST_F(WindowTest, DeleteKeepsTheShowCharacterKeysEndIt) {
  const struct { const char* key; bool ends; } cases[] = {
      {"Delete", false}, {"KP_Delete", false}, {"BackSpace", true}, {"Escape", true}, {"Return", true}, {"a", true}};
  for (const auto& c : cases) {
    auto show = StartShow();
    ASSERT_TRUE(WaitFor(20000, [] { return ScreenPixel(kScreenW / 2, kScreenH / 2) == 0xFF0000u; })) << c.key;
    Xdotool(std::string("key ") + c.key);
    if (c.ends) {
      EXPECT_EQ(show->Wait(3000), 0) << c.key;
    } else {
      // Nothing to wait for: the same show must still take a key that does end it.
      EXPECT_EQ(show->Wait(300), -1) << c.key << " ended the show";
      Xdotool("key a");
      EXPECT_EQ(show->Wait(3000), 0) << c.key;
    }
  }
  EXPECT_EQ(Left(), "");
}

// A player without a package, started from the desktop: the error is shown in a box, and
// still goes to stderr with status 1.
TEST_F(WindowTest, FatalErrorShowsABox) {
  std::string out;
  ASSERT_EQ(RunCommand(std::string("cp '") + KY_BINARY_DIR + "/bin/kysaver' '" + dir / "Plain.scr" + "'", &out), 0) << out;
  for (const char* mode : {"/S", "/C"}) {
    TProcess player({dir / "Plain.scr", mode}, Env(), false, dir / "stderr");
    std::vector<Window> boxes;
    EXPECT_TRUE(WaitFor(20000, [&] { return !(boxes = Server().WindowsOf(player.Pid())).empty(); }))
        << mode << ": no box; stderr: " << kytest::ReadFile(dir / "stderr");
    EXPECT_EQ(player.Wait(0), -1) << mode << ": the player did not wait for the box";
    for (const Window w : boxes) AskToClose(w);
    EXPECT_EQ(player.Wait(10000), 1) << mode;
    const std::string err = kytest::ReadFile(dir / "stderr");
    EXPECT_EQ(err.rfind("kysaver: ", 0), 0u) << mode << ": " << err;
    EXPECT_NE(err.find("no saver package"), std::string::npos) << mode << ": " << err;
  }
  {  // nobody answers: a termination signal closes the box and the player ends
    TProcess player({dir / "Plain.scr", "/S"}, Env());
    EXPECT_TRUE(WaitFor(20000, [&] { return !Server().WindowsOf(player.Pid()).empty(); })) << "no box";
    player.Signal(SIGTERM);
    EXPECT_EQ(player.Wait(10000), 1);
  }
  EXPECT_EQ(Left(), "");
}

// The real XScreenSaver daemon, with the saver on its programs line. The daemon refuses to run
// hacks as root, so as root it runs as "nobody".
TEST_F(WindowTest, XScreenSaverDaemonRunsAndEndsTheSaver) {
  if (access("/usr/bin/xscreensaver", X_OK) != 0) GTEST_SKIP() << "xscreensaver is not installed";
  const bool root = geteuid() == 0;
  chmod(dir.Path().c_str(), 0755);
  chmod((dir / "Garden.scr").c_str(), 0755);
  for (const char* sub : {"home", "daemon-tmp"}) {
    mkdir((dir / sub).c_str(), 0700);
    if (root) {
      ASSERT_EQ(chown((dir / sub).c_str(), 65534, 65534), 0);
    }
  }
  const std::string conf = dir / "home/.xscreensaver";
  kytest::WriteFile(conf, "timeout: 0:30:00\ncycle: 0:00:00\nlock: False\nmode: one\nselected: 0\nsplash: False\n"
                          "fade: False\nunfade: False\ndpmsEnabled: False\nprograms: \"KySaver\" " + dir / "Garden.scr" +
                          " -root \\n\n");
  if (root) {
    ASSERT_EQ(chown(conf.c_str(), 65534, 65534), 0);
  }
  const std::vector<std::string> env = {"DISPLAY=" + Server().Display(), "HOME=" + dir / "home",
                                        "TMPDIR=" + dir / "daemon-tmp", "XDG_RUNTIME_DIR=" + dir / "daemon-tmp"};
  std::vector<std::string> daemon = {"/usr/bin/xscreensaver", "--no-splash"};
  std::string as;
  if (root) {
    daemon.insert(daemon.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    as = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }
  TProcess xscreensaver(daemon, env, /*quiet=*/true);
  const std::string command = "DISPLAY=" + Server().Display() + " HOME='" + dir / "home" + "' " + as + "xscreensaver-command ";
  std::string out;
  int status = -1;
  // The daemon can take several seconds to come up on a busy machine.
  for (int i = 0; i < 300 && (status = RunCommand(command + "-activate", &out)) != 0; ++i) Pause(100);
  ASSERT_EQ(status, 0) << out;
  for (int i = 0; i < 300 && ScreenPixel(kScreenW / 2, kScreenH / 2) != 0xFF0000; ++i) Pause(50);
  EXPECT_EQ(ScreenPixel(kScreenW / 2, kScreenH / 2), 0xFF0000u) << "the saver's first picture";
  EXPECT_EQ(ScreenPixel(2, kScreenH - 2), 0xFF0000u);
  ASSERT_EQ(RunCommand(command + "-deactivate", &out), 0) << out;
  std::string left;
  for (int i = 0; i < 200; ++i) {
    RunCommand("cd '" + dir / "daemon-tmp" + "' && find . -mindepth 1 -path './R2FyZGVu*' | sort | tr '\\n' ' '", &left);
    if (left.empty()) break;
    Pause(50);
  }
  EXPECT_EQ(left, "") << "files left after -deactivate";
  RunCommand(command + "-exit");
}

TEST_F(WindowTest, SceneObjectsAppearOnTheScreen) {
  std::string out;
  // A magenta 8 x 6 picture standing at scene (32, 12) on dry land: at 5 times the scene's size
  // it covers screen x 140..179, y 45..74.
  ASSERT_EQ(RunCommand("cd '" + dir.Path() + "' && convert -size 8x6 xc:'#ff00ff' PNG32:mark.png", &out), 0) << out;
  kytest::WriteFile(dir / "objects.ini", "[Obj0]\nObjType=IMG\nFilename=mark.png\nPosLeft=32\nPosTop=12\n");
  kytest::WriteFile(dir / "objlake.ini", "[Scene]\nTitle=Lake\nPhoto=lake.png\nMask=lake-mask.png\nObjects=objects.ini\n");
  ASSERT_EQ(RunCommand(kTool + " scene '" + dir / "objlake.ini" + "' -o '" + dir / "objlake.kyp" + "'", &out), 0) << out;
  kytest::WriteFile(dir / "objects-saver.ini", "[Default]\nDuration=30\n[Pictures]\nobjlake.kyp\n");
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "objects-saver.ini" + "' -o '" + dir / "Objects.scr" + "'", &out), 0) << out;
  TProcess show({dir / "Objects.scr", "/S"}, Env());
  EXPECT_TRUE(WaitFor(5000, [] { return ScreenPixel(160, 60) == 0xFF00FFu; })) << std::hex << ScreenPixel(160, 60);
  EXPECT_EQ(ScreenPixel(141, 46), 0xFF00FFu);
  EXPECT_NE(ScreenPixel(160, 80), 0xFF00FFu);
  show.Signal(SIGTERM);
  EXPECT_EQ(show.Wait(2000), 0);
  EXPECT_EQ(Left(), "");
}

// Only what changed goes to the screen: a picture moving through the sky, far above the water,
// must leave no trail behind it, whether the show has its own window or draws into a daemon's.
TEST_F(WindowTest, AMovingObjectLeavesNoTrail) {
  std::string out;
  ASSERT_EQ(RunCommand("cd '" + dir.Path() + "' && convert -size 8x6 xc:'#ff00ff' PNG32:mark.png", &out), 0) << out;
  kytest::WriteFile(dir / "objects.ini",
                    "[Obj0]\nObjType=IMG\nFilename=mark.png\nPosLeft=8\nPosTop=8\nMotion=5\nMotionSpeed=3\n");
  kytest::WriteFile(dir / "objlake.ini", "[Scene]\nTitle=Lake\nPhoto=lake.png\nMask=lake-mask.png\nObjects=objects.ini\n"
                                         "[Wave1]\nAmplitude=3\nFrequency=10\nPhaseSpeed=15\nDirection=1\nAnimated=1\nCycle=360\n");
  ASSERT_EQ(RunCommand(kTool + " scene '" + dir / "objlake.ini" + "' -o '" + dir / "objlake.kyp" + "'", &out), 0) << out;
  kytest::WriteFile(dir / "moving.ini", "[Default]\nDuration=30\n[Pictures]\nobjlake.kyp\n");
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "moving.ini" + "' -o '" + dir / "Moving.scr" + "'", &out), 0) << out;
  // The mark is 40 x 30 screen pixels; edge pixels may be blends, so one mark is at most 1200.
  auto marks = [](const std::vector<uint32_t>& px, int width, int& left) {
    int n = 0;
    left = width;
    for (size_t i = 0; i < px.size(); ++i)
      if (px[i] == 0xFF00FFu) {
        ++n;
        left = std::min(left, static_cast<int>(i % static_cast<size_t>(width)));
      }
    return n;
  };
  auto watch = [&](Window w, const char* how) {
    int width = 0, height = 0, first = -1, left = 0, most = 0;
    bool moved = false;
    // Until the mark has moved 40 pixels (a whole mark's width) from where it was first seen.
    EXPECT_TRUE(WaitFor(10000, [&] {
      const int n = marks(Grab(w, width, height), width, left);
      if (n < 400) return false;
      most = std::max(most, n);
      if (first < 0) first = left;
      moved = left >= first + 40;
      return moved;
    })) << how << ": the mark did not move";
    EXPECT_LE(most, 1200) << how << ": pixels of the mark on the screen, trail included";
  };
  // No sound device here: SDL's audio would leave its client folder in the runtime folder.
  std::vector<std::string> env = Env();
  env.push_back("SDL_AUDIODRIVER=dummy");
  {
    TProcess show({dir / "Moving.scr", "/S"}, env);
    watch(0, "own window");
    show.Signal(SIGTERM);
    EXPECT_EQ(show.Wait(2000), 0);
  }
  Display* d = XOpenDisplay(Server().Display().c_str());
  ASSERT_NE(d, nullptr);
  const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, kScreenW, kScreenH, 0, 0xFFFFFF, 0xFFFFFF);
  XMapWindow(d, w);
  XSync(d, False);
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", w);
  {
    TProcess hack({dir / "Moving.scr", "--root", "--window-id", id}, env);
    watch(w, "daemon's window");
    hack.Signal(SIGTERM);
    EXPECT_EQ(hack.Wait(5000), 0);
  }
  XDestroyWindow(d, w);
  XCloseDisplay(d);
  EXPECT_EQ(Left(), "");
}

// Xvfb's OpenGL is Mesa's software rasterizer: there the full-screen setting stretches the
// working-size frame on the CPU into the window, and the screen is exactly the tool's frame
// stretched by the same rule. Forced onto the GPU path, the same picture is drawn by OpenGL's
// own linear filter: close to it, not equal.
TEST_F(WindowTest, FullScreenOnASoftwareRendererIsTheToolsFrameStretchedOnTheCpu) {
  std::string out;
  ASSERT_EQ(RunCommand("cd '" + dir.Path() + "' && convert -size 40x30 gradient:'#ff2000'-'#0030ff' -fill '#00ff00'"
                       " -draw 'line 0,0 39,29' -draw 'point 5,20' pattern.bmp", &out), 0) << out;
  kytest::WriteFile(dir / "soft.ini", "[Default]\nDirectX=1\nDirectXQuality=1\n[Pictures]\npattern.bmp\n");
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "soft.ini" + "' -o '" + dir / "Soft.scr" + "'", &out), 0) << out;
  ASSERT_EQ(RunCommand(kTool + " render '" + dir / "Soft.scr" + "' --out '" + dir / "frames" + "' --frames 1 --size " +
                       std::to_string(kScreenW) + "x" + std::to_string(kScreenH) + " --screen", &out), 0) << out;
  const ky::TPngPicture frame = ky::ReadPngFile(dir / "frames/frame-00000.png");
  ASSERT_EQ(frame.Picture.Width(), kScreenW);
  ASSERT_EQ(frame.Picture.Height(), kScreenH);
  std::vector<uint32_t> expected;
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) expected.push_back(frame.Picture.Pixel(x, y) & 0xFFFFFF);
  // Pixels further than tolerance in any channel from the tool's frame.
  auto differing = [&](const std::vector<uint32_t>& screen, int tolerance) {
    if (screen.size() != expected.size()) return static_cast<int>(expected.size());
    int n = 0;
    for (size_t i = 0; i < screen.size(); ++i)
      for (int s : {0, 8, 16})
        if (std::abs(static_cast<int>((screen[i] >> s) & 0xFF) - static_cast<int>((expected[i] >> s) & 0xFF)) > tolerance) {
          ++n;
          break;
        }
    return n;
  };
  for (const std::string forced : {"", "gpu"}) {
    std::vector<std::string> env = Env();
    env.push_back("KYSAVER_STATS=" + dir / "stats");
    // Mesa's driver is loaded to ask for the renderer; its allocations cannot be told from ours.
    env.push_back("ASAN_OPTIONS=detect_leaks=0:abort_on_error=1");
    if (!forced.empty()) env.push_back("KYSAVER_FULLSCREEN=" + forced);
    TProcess show({dir / "Soft.scr", "/S"}, env);
    const int tolerance = forced.empty() ? 0 : 24;
    int w = 0, h = 0;
    std::vector<uint32_t> screen;
    const bool shown = WaitFor(15000, [&] { return differing(screen = Grab(0, w, h), tolerance) <= (forced.empty() ? 0 : w * h / 50); });
    EXPECT_TRUE(shown) << forced << ": " << differing(screen, tolerance) << " pixels differ from the stretched frame";
    show.Signal(SIGTERM);
    EXPECT_EQ(show.Wait(5000), 0);
    const std::string stats = kytest::ReadFile(dir / "stats");
    EXPECT_NE(stats.find(forced.empty() ? "present_path cpu\n" : "present_path gpu\n"), std::string::npos) << stats;
  }
  EXPECT_EQ(Left(), "");
}

// The daemon's window gets its frames through shared memory where the server offers it (Xvfb
// does) and through plain XPutImage when that is switched off (as on a remote display); both
// show the tool's frame of that size, black beside the picture.
TEST_F(WindowTest, DaemonModeFramesGoThroughSharedMemoryOrPlainPutImageAlike) {
  std::string out;
  ASSERT_EQ(RunCommand("cd '" + dir.Path() + "' && convert -size 40x30 gradient:'#ff2000'-'#0030ff' -fill '#00ff00'"
                       " -draw 'line 0,0 39,29' pattern.bmp", &out), 0) << out;
  kytest::WriteFile(dir / "hack.ini", "[Default]\n[Pictures]\npattern.bmp\n");
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "hack.ini" + "' -o '" + dir / "Hack.scr" + "'", &out), 0) << out;
  ASSERT_EQ(RunCommand(kTool + " render '" + dir / "Hack.scr" + "' --out '" + dir / "frames" + "' --frames 1 --size 100x60", &out), 0) << out;
  const ky::TPngPicture frame = ky::ReadPngFile(dir / "frames/frame-00000.png");
  std::vector<uint32_t> expected;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) expected.push_back(frame.Picture.Pixel(x, y) & 0xFFFFFF);

  Display* d = XOpenDisplay(Server().Display().c_str());
  ASSERT_NE(d, nullptr);
  for (const bool shared : {true, false}) {
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 10, 10, 100, 60, 0, 0xFFFFFF, 0xFFFFFF);
    XMapWindow(d, w);
    XSync(d, False);
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", w);
    std::vector<std::string> env = Env();
    env.push_back("KYSAVER_STATS=" + dir / "stats");
    if (!shared) env.push_back("KYSAVER_NO_SHM=1");
    TProcess hack({dir / "Hack.scr", "--root", "--window-id", id}, env);
    int gw = 0, gh = 0;
    EXPECT_TRUE(WaitFor(10000, [&] { return Grab(w, gw, gh) == expected; })) << "shared " << shared;
    hack.Signal(SIGTERM);
    EXPECT_EQ(hack.Wait(5000), 0);
    EXPECT_EQ(kytest::ReadFile(dir / "stats"), shared ? "x11_frames shm\n" : "x11_frames plain\n");
    XDestroyWindow(d, w);
    XSync(d, False);
  }
  XCloseDisplay(d);
  EXPECT_EQ(Left(), "");
}
