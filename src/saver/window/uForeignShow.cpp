#include "uForeignShow.h"

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>

#include "app/uCommonUtil.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uPictureReaders.h"
#include "platform/uError.h"
#include "platform/uSignals.h"
#include "platform/uX11.h"
#include "saver/FKyScrSvr.h"
#include "saver/uFramePresent.h"
#include "saver/uShowHost.h"

namespace ky {

namespace {

class TForeignHost final : public TShowHost {
 public:
  explicit TForeignHost(TX11Window& window) : FWindow(window) {}
  int ScreenWidth() const override { return FWindow.Width(); }
  int ScreenHeight() const override { return FWindow.Height(); }
  // A window we do not own cannot be switched to full-screen presentation.
  bool InitFullScreen() override { return false; }
  void PresentCanvas(const TBitmap32& canvas) override {
    FWindow.Draw(canvas.Bits(), canvas.Width(), canvas.Height());
    FShown = TRect{0, 0, canvas.Width(), canvas.Height()};
    FLastFrame = &canvas;
  }
  // The frame goes straight to the window, black around it when its place changes.
  // The same frame again at the same place goes only where it changed.
  bool PresentFrame(int x, int y, const TBitmap32& frame, const std::vector<TRect>* changed) override {
    const TRect r{x, y, x + frame.Width(), y + frame.Height()};
    const bool same = r == FShown && changed && FLastFrame == &frame;
    if (!(r == FShown)) {
      FWindow.FillBlack();
      FShown = r;
    }
    FLastFrame = &frame;
    if (same) {
      for (const TRect& c : BandedCover(*changed, TRect{0, 0, frame.Width(), frame.Height()}, kMaxPutRects))
        FWindow.DrawArea(frame.Bits(), frame.Width(), frame.Height(), x, y, c.Left, c.Top, c.Right, c.Bottom);
      FWindow.FinishDrawing();
    } else
      FWindow.Draw(frame.Bits(), frame.Width(), frame.Height(), x, y);
    return true;
  }
  void PresentBack(const TBitmap32& back, const std::vector<TRect>*) override {
    FWindow.Draw(back.Bits(), back.Width(), back.Height());
    FLastFrame = &back;
  }
  void ProcessMessages() override {}
  void Wait(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  void ShowInformation(const std::string& text) override { std::fprintf(stderr, "kysaver: %s\n", text.c_str()); }
  void ShowError(const std::string& text) override { std::fprintf(stderr, "kysaver: %s\n", text.c_str()); }
  void SetCursorVisible(bool) override {}

 private:
  TX11Window& FWindow;
  // What changed in a frame goes to the server as at most this many rectangles.
  static constexpr int kMaxPutRects = 1024;
  TRect FShown{0, 0, 0, 0};  // where the last frame went
  const TBitmap32* FLastFrame = nullptr;
};

}  // namespace

void RunShowInForeignWindow(TKyCProject& project, unsigned long id, const TTickSource& ticks, TAudioDevice& audio) {
  TX11Window window(id);
  window.WatchStructure();
  TForeignHost host(window);
  bool gone = false;
  while (!gone && !TerminationRequested()) {
    // A new size starts the show again at that size.
    TKyfmScrSvr show(project, host, ticks);
    show.SetAudioDevice(audio);
    show.SetCommonFolder(GetCommonFolder(LongFileName("/proc/self/exe")));
    show.FormShow();
    bool resized = false;
    while (!gone && !resized && !TerminationRequested()) {
      const uint32_t wait = show.Running() ? show.FrameStep() : 1000;
      pollfd fds[2] = {{window.Fd(), POLLIN, 0}, {TerminationFd(), POLLIN, 0}};
      poll(fds, TerminationFd() >= 0 ? 2 : 1, static_cast<int>(wait));
      for (TX11Event e = window.NextEvent(); e.Kind != TX11Event::TKind::None; e = window.NextEvent()) {
        if (e.Kind == TX11Event::TKind::Destroyed) gone = true;
        if (e.Kind == TX11Event::TKind::Resized) resized = true;
      }
    }
    show.FormClose();
  }
  // For measurements: which way the frames went.
  const char* stats = std::getenv("KYSAVER_STATS");
  if (stats && *stats) std::ofstream(stats) << "x11_frames " << (window.SharedMemoryFrames() ? "shm" : "plain") << "\n";
}

void DrawPreviewPicture(unsigned long id, const std::string& jpegFile) {
  TX11Window window(id);
  if (!window.WaitUntilMapped(30000, [] { return TerminationRequested(); })) {
    if (TerminationRequested()) return;
    throw TKyError("the preview window was not shown within 30 seconds");
  }
  TBitmap32 picture;
  LoadJpegFromFile(jpegFile, picture);
  TBitmap32 fitted(std::max(1, window.Width()), std::max(1, window.Height()));
  StretchLanczos(picture, fitted);
  window.SetBackground(fitted.Bits(), fitted.Width(), fitted.Height());
}

}  // namespace ky
