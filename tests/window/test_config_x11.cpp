// The configuration window of a built saver on a real X server (Xvfb), driven with xdotool: a
// frameless skin shown centred, labels over its painted buttons stepping the preview, and the
// close that ends the process and stores the selected picture.
// GoogleTest before Xlib: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "config/uFormParser.h"
#include "config/uFormPicture.h"
#include "config/uKyForms.h"
#include "graphics/uJpegWriter.h"
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

// One connection for the suite's looks at the screen.
Display* X() {
  static Display* d = XOpenDisplay(Server().Display().c_str());
  return d;
}

uint32_t ScreenPixel(int x, int y) {
  XImage* img = XGetImage(X(), DefaultRootWindow(X()), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!img) return 0xFFFFFFFF;
  const uint32_t p = static_cast<uint32_t>(XGetPixel(img, 0, 0)) & 0xFFFFFF;
  XDestroyImage(img);
  return p;
}

XWindowAttributes Attributes(Window w) {
  XWindowAttributes a{};
  XGetWindowAttributes(X(), w, &a);
  return a;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (uint8_t b : bytes) s += digits[b >> 4], s += digits[b & 15];
  return s;
}

// The skin: 200 x 150, dark grey, with three painted buttons along the bottom.
constexpr int kSkinW = 200, kSkinH = 150;
struct TButtonPlace {
  const char* name;
  int x;
};
constexpr TButtonPlace kButtons[] = {{"PrevLabel", 10}, {"NextLabel", 60}, {"PreviewLabel", 105}, {"CloseLabel", 150}};
constexpr int kButtonY = 120, kButtonW = 40, kButtonH = 20;
constexpr int kPreviewX = 50, kPreviewY = 20, kPreviewW = 100, kPreviewH = 80;

std::string SkinDescription() {
  ky::TBitmap32 skin(kSkinW, kSkinH);
  skin.Clear(ky::MakeColor32(0x40, 0x40, 0x40));
  for (const TButtonPlace& b : kButtons)
    for (int y = kButtonY; y < kButtonY + kButtonH; ++y)
      for (int x = b.x; x < b.x + kButtonW; ++x) skin.Bits()[y * kSkinW + x] = ky::MakeColor32(0x90, 0x90, 0xA0);
  std::string text = "object MainWindow: TfmForm\n  Caption = '<ScreensaverName>'\n  ClientHeight = " + std::to_string(kSkinH) +
                     "\n  ClientWidth = " + std::to_string(kSkinW) + "\n  NoFrame = True\n  ShowButtons = False\n"
                     "  object Skin: TImage\n    AutoSize = True\n    Tag = 3\n    Picture.Data = {" +
                     Hex(ky::EncodeFormPicture("TJPEGImage", ky::EncodeJpeg(skin, 95))) + "}\n  end\n";
  for (const TButtonPlace& b : kButtons)
    text += std::string("  object ") + b.name + ": TLabel\n    Left = " + std::to_string(b.x) + "\n    Top = " +
            std::to_string(kButtonY) + "\n    Width = " + std::to_string(kButtonW) + "\n    Height = " +
            std::to_string(kButtonH) + "\n    Cursor = crHandPoint\n    AutoSize = False\n    Transparent = True\n"
            "    Tag = 3\n  end\n";
  text += "  object Preview: TKyPreview\n    Left = " + std::to_string(kPreviewX) + "\n    Top = " + std::to_string(kPreviewY) +
          "\n    Width = " + std::to_string(kPreviewW) + "\n    Height = " + std::to_string(kPreviewH) +
          "\n    Tag = 3\n  end\nend\n";
  std::vector<ky::TFormSource> windows(1);
  windows[0].Tree = ky::ParseFormText(text, "skin");
  windows[0].Actions = {{"PrevLabel", {ky::akPreviousPicture, " ", " ", " "}},
                        {"NextLabel", {ky::akNextPicture, " ", " ", " "}},
                        {"PreviewLabel", {ky::akPreviewFile, " ", " ", " "}},
                        {"CloseLabel", {ky::akCloseWindow, " ", " ", " "}}};
  return ky::FormatDescriptionFile(windows);
}

class ConfigX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Server().Display().empty() || !X()) GTEST_SKIP() << "Xvfb could not be started";
    mkdir((dir / "tmp").c_str(), 0700);
  }
  // A saver of `count` plain pictures (picture i red, green or blue by i % 3) with the skin.
  // textured: the lower part of each picture is noise, so that its JPEG file is as large as a
  // photograph's (the middle row, where the preview is looked at, stays plain).
  void BuildSaver(int count, int w, int h, bool textured = false) {
    std::string manifest = "[General]\nProductName=Garden\n[UI]\nFile=skin.kyu\n[Pictures]\n";
    const ky::TColor32 colours[] = {ky::MakeColor32(255, 0, 0), ky::MakeColor32(0, 255, 0), ky::MakeColor32(0, 0, 255)};
    for (int i = 0; i < count; ++i) {
      ky::TBitmap32 picture(w, h);
      picture.Clear(colours[i % 3]);
      uint32_t seed = 12345u + static_cast<uint32_t>(i);
      for (int y = textured ? h * 3 / 5 : h; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          seed = seed * 134775813u + 1u;
          picture.Bits()[y * w + x] = ky::MakeColor32(seed >> 24, (seed >> 16) & 0xFF, (seed >> 8) & 0xFF);
        }
      const auto jpeg = ky::EncodeJpeg(picture, 95);
      const std::string name = "p" + std::to_string(i) + ".jpg";
      kytest::WriteFile(dir / name, std::string(jpeg.begin(), jpeg.end()));
      manifest += name + "\n";
    }
    kytest::WriteFile(dir / "skin.kyu", SkinDescription());
    kytest::WriteFile(dir / "saver.ini", manifest);
    std::string out;
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
  // Clicks the label of that name over the skin centred on the screen.
  void ClickLabel(const char* name) const {
    for (const TButtonPlace& b : kButtons)
      if (std::string(b.name) == name)
        ClickAt((kScreenW - kSkinW) / 2 + b.x + kButtonW / 2, (kScreenH - kSkinH) / 2 + kButtonY + kButtonH / 2);
  }
  void ClickAt(int x, int y) const {
    RunCommand("DISPLAY=" + Server().Display() + " xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) +
               " click 1");
  }
  TTempDir dir;
};

// Near a colour: the preview's picture went through JPEG.
bool Near(uint32_t a, uint32_t b) {
  for (int s : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > 24) return false;
  return true;
}

}  // namespace

TEST_F(ConfigX11Test, TheSkinShowsCentredItsLabelsStepThePreviewAndCloseStoresTheIndex) {
  BuildSaver(3, 64, 48);
  TProcess saver({dir / "Garden.scr", "/C"}, Env());
  std::vector<Window> windows;
  ASSERT_TRUE(WaitFor(20000, [&] { return !(windows = kytest::WindowsOf(X(), saver.Pid())).empty(); })) << "no window";
  ASSERT_EQ(windows.size(), 1u);
  const XWindowAttributes a = Attributes(windows[0]);
  EXPECT_EQ(a.width, kSkinW);
  EXPECT_EQ(a.height, kSkinH);
  EXPECT_EQ(a.x, (kScreenW - kSkinW) / 2);
  EXPECT_EQ(a.y, (kScreenH - kSkinH) / 2);
  const int left = (kScreenW - kSkinW) / 2, top = (kScreenH - kSkinH) / 2;
  const int px = left + kPreviewX + kPreviewW / 2, py = top + kPreviewY + kPreviewH / 2;
  auto previewShows = [&](uint32_t colour) { return WaitFor(5000, [&] { return Near(ScreenPixel(px, py), colour); }); };
  EXPECT_TRUE(previewShows(0xFF0000)) << std::hex << ScreenPixel(px, py);
  EXPECT_TRUE(Near(ScreenPixel(left + 5, top + 5), 0x404040)) << "the skin";
  EXPECT_TRUE(Near(ScreenPixel(left + 62 + 2, top + kButtonY + 2), 0x9090A0)) << "a painted button under its label";
  auto click = [&](const char* name) {
    for (const TButtonPlace& b : kButtons)
      if (std::string(b.name) == name) ClickAt(left + b.x + kButtonW / 2, top + kButtonY + kButtonH / 2);
  };
  click("NextLabel");
  EXPECT_TRUE(previewShows(0x00FF00));
  click("NextLabel");
  EXPECT_TRUE(previewShows(0x0000FF));
  click("NextLabel");  // the last picture stays
  click("PrevLabel");
  EXPECT_TRUE(previewShows(0x00FF00));
  click("CloseLabel");
  EXPECT_EQ(saver.Wait(10000), 0);
  EXPECT_NE(kytest::ReadFile(dir / "Garden.ini").find("Index=1"), std::string::npos) << kytest::ReadFile(dir / "Garden.ini");
  EXPECT_EQ(Left(), "");
}

// Start to first paint of the first picture in the preview, for a saver of 20 pictures of
// 1024 x 768 with JPEG files of photograph size. The figure is printed for
// scripts/measure-config; the test checks only that the window comes up showing that picture.
TEST_F(ConfigX11Test, FirstPaintOfTwentyPictureSaver) {
  BuildSaver(20, 1024, 768, /*textured=*/true);
  const int left = (kScreenW - kSkinW) / 2, top = (kScreenH - kSkinH) / 2;
  const int px = left + kPreviewX + kPreviewW / 2, py = top + kPreviewY + kPreviewH / 2;
  // Nothing red there before the start.
  ASSERT_FALSE(Near(ScreenPixel(px, py), 0xFF0000));
  const auto start = std::chrono::steady_clock::now();
  TProcess saver({dir / "Garden.scr", "/C"}, Env());
  ASSERT_TRUE(WaitFor(20000, [&] { return Near(ScreenPixel(px, py), 0xFF0000); }));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::printf("first paint after %lld ms\n", static_cast<long long>(ms));
  std::vector<Window> windows;
  ASSERT_TRUE(WaitFor(5000, [&] { return !(windows = kytest::WindowsOf(X(), saver.Pid())).empty(); }));
  kill(saver.Pid(), SIGTERM);
  EXPECT_EQ(saver.Wait(10000), 0);
  EXPECT_EQ(Left(), "");
}

// "Preview selected file": a one-picture show over the window, full screen, in the plain window
// and with OpenGL presentation (the user's settings file turns it on); a click ends it and the
// window is back.
TEST_F(ConfigX11Test, PreviewRunsTheSelectedPictureFullScreenAndReturnsToTheWindow) {
  BuildSaver(3, 64, 48);
  for (const bool gl : {false, true}) {
    SCOPED_TRACE(gl ? "OpenGL" : "plain");
    if (gl) kytest::WriteFile(dir / "Garden.ini", "[Setting]\r\nDirectX=1\r\nDirectXQuality=2\r\n");
    TProcess saver({dir / "Garden.scr", "/C"}, Env());
    const int left = (kScreenW - kSkinW) / 2, top = (kScreenH - kSkinH) / 2;
    ASSERT_TRUE(WaitFor(20000, [&] { return Near(ScreenPixel(left + 5, top + 5), 0x404040); })) << "no skin";
    ClickLabel("NextLabel");
    ASSERT_TRUE(WaitFor(5000, [&] { return Near(ScreenPixel(left + kPreviewX + 50, top + kPreviewY + 40), 0x00FF00); }));
    ClickLabel("PreviewLabel");
    // The show covers the whole screen with the selected (green) picture.
    EXPECT_TRUE(WaitFor(10000, [&] { return Near(ScreenPixel(2, 2), 0x00FF00) && Near(ScreenPixel(left + 5, top + 5), 0x00FF00); }))
        << std::hex << ScreenPixel(2, 2);
    ClickAt(30, 30);
    EXPECT_TRUE(WaitFor(10000, [&] { return Near(ScreenPixel(left + 5, top + 5), 0x404040); })) << "the window is not back";
    EXPECT_EQ(saver.Wait(0), -1) << "the saver ended with the preview";
    ClickLabel("CloseLabel");
    EXPECT_EQ(saver.Wait(10000), 0);
  }
  EXPECT_EQ(Left(), "");
}

// A description without "MainWindow": the configure mode ends with an error that names the
// description and the window (status 1), and removes what it unpacked.
TEST_F(ConfigX11Test, ADescriptionWithoutMainWindowIsAClearError) {
  std::vector<ky::TFormSource> windows(1);
  windows[0].Tree = ky::ParseFormText("object Other: TfmForm\nend\n", "other");
  kytest::WriteFile(dir / "other.kyu", ky::FormatDescriptionFile(windows));
  kytest::WriteBmp24(dir / "p.bmp", 4, 4, [](int, int) { return 0xFF0000u; });
  kytest::WriteFile(dir / "saver.ini", "[UI]\nFile=other.kyu\n[Pictures]\np.bmp\n");
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Garden.scr" + "'", &out), 0) << out;
  const int status = RunCommand("env -u DISPLAY QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='default.warning=false' TMPDIR='" +
                                    dir / "tmp" + "' XDG_RUNTIME_DIR='" + dir / "tmp" + "' '" + dir / "Garden.scr" + "' /C",
                                &out);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, "kysaver: " + dir / "Garden.scr" + " (KyGUI.kyu): there is no window \"MainWindow\" in the window descriptions\n");
  EXPECT_EQ(Left(), "");
}
