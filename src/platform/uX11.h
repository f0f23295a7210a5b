#pragma once
// The small part of X11 the saver uses directly: windows that belong to someone else (the
// preview window of /P, the window a screensaver daemon hands over).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ky {

// An X11 window id written in decimal or as 0x hexadecimal; throws TKyError otherwise.
unsigned long ParseWindowId(const std::string& text);

struct TX11Event {
  enum class TKind { None, Resized, Destroyed } Kind = TKind::None;
  int Width = 0, Height = 0;
};

// One connection to the display, for one foreign window.
class TX11Window {
 public:
  // Throws TKyError when there is no display or the window does not exist.
  explicit TX11Window(unsigned long window);
  ~TX11Window();
  TX11Window(const TX11Window&) = delete;
  TX11Window& operator=(const TX11Window&) = delete;

  // Waits until the window is mapped, polling every 100 ms; false when it is gone or still not
  // mapped after timeoutMs, or when stop() says so.
  template <typename Stop>
  bool WaitUntilMapped(uint32_t timeoutMs, Stop stop) {
    for (uint32_t waited = 0;; waited += 100) {
      const int state = MapState();
      if (state < 0) return false;
      if (state > 0) return true;
      if (waited >= timeoutMs || stop()) return false;
      Sleep100();
    }
  }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  // Shows the picture as the window's background, so that it stays after this process ends.
  // pixels: rows of 32-bit 0xAARRGGBB values, the window's size.
  void SetBackground(const uint32_t* pixels, int width, int height);
  // Draws the picture at (x, y) now (through shared memory where the server offers it); only its
  // rows first .. end - 1 when given.
  void Draw(const uint32_t* pixels, int width, int height, int x = 0, int y = 0, int first = 0, int end = -1);
  // One area of the picture (its coordinates) where it lies at (x, y); FinishDrawing ends a
  // frame drawn by areas.
  void DrawArea(const uint32_t* pixels, int width, int height, int x, int y, int left, int top, int right, int bottom);
  void FinishDrawing();
  // Fills the whole window black.
  void FillBlack();
  // true when the frames drawn so far went through shared memory.
  bool SharedMemoryFrames() const;

  // Asks to be told of resizes and of the window's destruction.
  void WatchStructure();
  // The file descriptor to wait on for events.
  int Fd() const;
  // The next structure event, or None when nothing is pending.
  TX11Event NextEvent();

 private:
  int MapState();  // -1 gone, 0 not viewable, 1 viewable
  void Sleep100();
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
  int FWidth = 0, FHeight = 0;
};

// true when a display can be reached (X11 or Wayland), judged by the environment.
bool DisplayAvailable();

}  // namespace ky
