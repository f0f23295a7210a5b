#pragma once
// TClock: an analog clock drawn into one corner of each frame, over a copy of what it covers.
//
// The time of day is read from the tick source every frame (the local wall clock in a live show,
// a fixed start plus the ticks on a virtual clock), shifted by DayOffset:
// time of day (ms) = (ticks' time of day + DayOffset) mod one day.
#include <array>
#include <cstdint>

#include "graphics/uBitmap32.h"
#include "graphics/uGeometry.h"
#include "platform/uTicks.h"

namespace ky {

class TClock {
 public:
  // The offset starts at 0: the tick source's own time of day.
  explicit TClock(const TTickSource& ticks);

  // Sizes the surface and computes the tick marks.
  void SetSize(int width, int height);
  // Top-left corner of the clock on a frame, 10 pixels from the chosen corner's edges.
  TPoint GetPosition(int frameWidth, int frameHeight) const;
  // Copies target's area under (x, y) into the surface; what lies outside target is black.
  void CaptureBackground(const TBitmap32& target, int x, int y);
  // Face and hands over the captured background.
  const TBitmap32& Render();

  const TBitmap32& Surface() const { return FSurface; }
  int ClockWidth() const { return FClockWidth; }
  int ClockHeight() const { return FClockHeight; }
  // Tick marks 1..60.
  TPoint Outer(int i) const { return FOuter.at(static_cast<size_t>(i - 1)); }
  TPoint Inner(int i) const { return FInner.at(static_cast<size_t>(i - 1)); }

  void SetDayOffset(int64_t ms) { FDayOffset = ms; }
  int64_t DayOffset() const { return FDayOffset; }
  // Hour on the 12-hour clock (1..12), minutes and seconds of the current time.
  void TimeOfDay(int& hour12, int& minute, int& second) const;

  // Hand tips for a surface of the current size: the second, minute and hour hands at the
  // given time.
  struct THands {
    TPoint Second, Minute, Hour;
  };
  THands HandTips(int hour12, int minute, int second) const;

  int HandAlpha = 180;
  TColor32 HandColour = 0xFFFFFF;  // RGB; the alpha byte is not used
  // Corner: 0 top left, 1 top right, 2 bottom left, 3 bottom right; any other value is 0.
  uint8_t Position = 0;

 private:
  void ThickLine(int x1, int y1, int x2, int y2, int w, TColor32 c);
  void DrawFace(int hour12, int minute, int second);

  // What the face was last drawn from and over, and the result: the same time over the same
  // background draws the same face, so it is copied instead of drawn again (most frames, as
  // the hands move once a second and a clock over still ground sees the same pixels).
  struct TFaceKey {
    int Hour = 0, Minute = 0, Second = 0, Alpha = 0;
    TColor32 Colour = 0;
    friend bool operator==(const TFaceKey& a, const TFaceKey& b) {
      return a.Hour == b.Hour && a.Minute == b.Minute && a.Second == b.Second && a.Alpha == b.Alpha && a.Colour == b.Colour;
    }
  };
  bool FFaceValid = false;
  TFaceKey FFaceKey;
  TBitmap32 FFaceBackground;
  TBitmap32 FFace;

  const TTickSource& FTicks;
  int64_t FDayOffset = 0;
  TBitmap32 FSurface;
  std::array<TPoint, 60> FOuter{};
  std::array<TPoint, 60> FInner{};
  int FClockWidth = 0;
  int FClockHeight = 0;
};

}  // namespace ky
