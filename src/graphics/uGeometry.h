#pragma once
// Small geometry types shared by the surface, the polygon filler and their callers.
// Rectangles are half-open: Left <= x < Right, Top <= y < Bottom.
#include <algorithm>
#include <cstdint>

namespace ky {

struct TPoint {
  int X = 0;
  int Y = 0;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  friend bool operator==(const TRect& a, const TRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
  }
  friend bool operator!=(const TRect& a, const TRect& b) { return !(a == b); }
};

inline TRect MakeRect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }

// The common part of two rectangles; an empty result is normalised to Right = Left, Bottom = Top.
inline TRect IntersectRect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

}  // namespace ky
