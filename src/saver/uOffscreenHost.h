#pragma once
// A host without a display: the show runs on a virtual clock that moves by exactly one frame
// interval after every presented frame, and every presented picture is handed to a sink. The
// headless renderer and the tests use it; the show's code path is the window's own.
#include <functional>

#include "platform/uTicks.h"
#include "saver/uShowHost.h"

namespace ky {

class TOffscreenHost final : public TShowHost {
 public:
  // The picture as the screen shows it (plain window) or the back surface (full screen).
  using TFrameSink = std::function<void(const TBitmap32& picture)>;

  TOffscreenHost(int width, int height, TManualTicks& clock, TFrameSink sink, uint32_t frameMs = 33);

  // Whether full-screen presentation is to be offered (it always works off screen).
  void SetFullScreenAvailable(bool available) { FFullScreen = available; }

  int ScreenWidth() const override { return FWidth; }
  int ScreenHeight() const override { return FHeight; }
  bool InitFullScreen() override { return FFullScreen; }
  void PresentCanvas(const TBitmap32& canvas) override { Present(canvas); }
  void PresentBack(const TBitmap32& back, const std::vector<TRect>*) override { Present(back); }
  void ProcessMessages() override {}
  // The virtual clock simply moves on.
  void Wait(uint32_t ms) override { FClock.Advance(ms); }
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void SetCursorVisible(bool) override {}

  int FramesPresented() const { return FFrames; }
  const std::string& LastMessage() const { return FLastMessage; }

 private:
  void Present(const TBitmap32& picture);
  int FWidth, FHeight;
  TManualTicks& FClock;
  TFrameSink FSink;
  uint32_t FFrameMs;
  bool FFullScreen = true;
  int FFrames = 0;
  std::string FLastMessage;
};

}  // namespace ky
