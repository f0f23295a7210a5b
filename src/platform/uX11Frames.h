#pragma once
// Frames put into an X11 window many times a second: through a shared-memory image (MIT-SHM)
// where the X server offers it for this connection, else through plain XPutImage (a remote
// display). KYSAVER_NO_SHM=1 in the environment forces the plain way (for tests and
// comparisons).
#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/uGeometry.h"

namespace ky {

class TX11FramePutter {
 public:
  TX11FramePutter(Display* display, Window window);
  ~TX11FramePutter();
  TX11FramePutter(const TX11FramePutter&) = delete;
  TX11FramePutter& operator=(const TX11FramePutter&) = delete;

  // Draws the picture (rows of 0xAARRGGBB values) at (x, y), its rows first .. end - 1 (all when
  // end < 0), and waits until the server has them.
  void Put(const uint32_t* pixels, int width, int height, int x = 0, int y = 0, int first = 0, int end = -1);
  // Draws only the given rectangles of the picture (in its coordinates, inside it), each where it
  // lies when the picture is at (x, y), and waits until the server has them.
  void PutRects(const uint32_t* pixels, int width, int height, int x, int y, const std::vector<TRect>& rects);
  // Fills the whole window black.
  void FillBlack(int windowWidth, int windowHeight);
  // true while frames go through shared memory.
  bool SharedMemory() const { return FShared != nullptr; }

 private:
  struct TShared;
  // A shared image of that size, or none when the server refuses it (the plain way from then on).
  void MakeShared(int width, int height);
  void PutPlain(const uint32_t* pixels, int width, int height, int x, int y, const std::vector<TRect>& rects);

  Display* FDisplay;
  Window FWindow;
  GC FGc;
  bool FTryShared;
  std::unique_ptr<TShared> FShared;
};

}  // namespace ky
