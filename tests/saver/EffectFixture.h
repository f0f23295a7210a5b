#pragma once
// Small frames for the effect tests: the old picture black, the new one a pattern in which no
// pixel is black and every pixel differs from every other.
#include <cstdint>
#include <string>

#include "graphics/uBitmap32.h"

namespace kytest {

constexpr ky::TColor32 kBlack = 0xFF000000u;

inline ky::TColor32 PatternPixel(int x, int y) { return ky::MakeColor32(16 + 3 * x, 16 + 4 * y, 128 + (x + y) % 64); }
// A second pattern for effects that move the old picture.
inline ky::TColor32 OldPatternPixel(int x, int y) { return ky::MakeColor32(200 - 2 * y, 20 + x, 7); }

inline void FillBlack(ky::TBitmap32& b, int w, int h) {
  b.SetSize(w, h);
  b.Clear(kBlack);
}

inline void FillPattern(ky::TBitmap32& b, int w, int h) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, PatternPixel(x, y));
}

inline void FillOldPattern(ky::TBitmap32& b, int w, int h) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, OldPatternPixel(x, y));
}

// The first pixel where a and b differ, as "(x, y)", or "" when they are equal.
inline std::string FirstDifference(const ky::TBitmap32& a, const ky::TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return "sizes differ";
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
  return "";
}

}  // namespace kytest
