#pragma once
// Frames put into an X11 window many times a second: through a shared-memory image (MIT-SHM)
// where the X server offers it for this connection, else through plain XPutImage (a remote
// display). KYSAVER_NO_SHM=1 in the environment forces the plain way (for tests and
// comparisons).
#include <X11/Xlib.h>

#include <cstdint>
#include <memory>

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
  // Sends the area left <= column < right, top <= row < bottom of the picture (cut to it) where
  // it lies when the picture is at (x, y). Finish ends a frame of such areas.
  void PutArea(const uint32_t* pixels, int width, int height, int x, int y, int left, int top, int right, int bottom);
  // Waits until the server has what was sent (the next frame reuses the shared memory).
  void Finish();
  // Fills the whole window black.
  void FillBlack(int windowWidth, int windowHeight);
  // true while frames go through shared memory.
  bool SharedMemory() const { return FShared != nullptr; }

 private:
  struct TShared;
  // A shared image of that size, or none when the server refuses it (the plain way from then on).
  void MakeShared(int width, int height);
  void PutPlain(const uint32_t* pixels, int width, int height, int x, int y, int left, int top, int right, int bottom);

  Display* FDisplay;
  Window FWindow;
  GC FGc;
  bool FTryShared;
  std::unique_ptr<TShared> FShared;
};

}  // namespace ky
