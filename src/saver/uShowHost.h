#pragma once
// What the show needs of the place it is shown in: a window on a display, a foreign X11 window,
// or an off-screen picture sequence. The show composes every frame itself; the host only puts
// finished pictures on the screen and runs the message loop.
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"
#include "graphics/uGeometry.h"

namespace ky {

class TShowHost {
 public:
  virtual ~TShowHost() = default;

  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;

  // Full-screen presentation of a working-size back surface stretched over the display.
  // false when it cannot be had; the show then uses the plain window for the whole show.
  virtual bool InitFullScreen() = 0;
  // The plain window: the screen-size canvas is shown 1:1.
  virtual void PresentCanvas(const TBitmap32& canvas) = 0;
  // The plain window, where the host can show a frame at (x, y) over what it showed before
  // (black around the first): the show then does not copy the frame into its canvas. The frame
  // stays valid and keeps its size until the next Present call. false: PresentCanvas is used.
  // changed: when this same frame was the last one presented at the same place, the rectangles
  // (in the frame's coordinates) outside which it has not changed since; nullptr when unknown.
  virtual bool PresentFrame(int /*x*/, int /*y*/, const TBitmap32& /*frame*/, const std::vector<TRect>* /*changed*/) {
    return false;
  }
  // Full screen: the back surface is shown stretched over the whole display. changed: when this
  // same back surface was the last one presented, the rectangles outside which it has not
  // changed since; nullptr when unknown.
  virtual void PresentBack(const TBitmap32& back, const std::vector<TRect>* changed) = 0;

  // Lets pending input and paint events run (inside a transition).
  virtual void ProcessMessages() = 0;
  // Lets ms milliseconds pass with input still handled: a transition's frame drawn quicker than
  // the show's frame rate waits here. A host whose clock moves with its frames need not wait.
  virtual void Wait(uint32_t /*ms*/) {}
  virtual void ShowInformation(const std::string& text) = 0;
  virtual void ShowError(const std::string& text) = 0;
  virtual void SetCursorVisible(bool visible) = 0;
};

}  // namespace ky
