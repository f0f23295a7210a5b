#pragma once
// Small pictures the tests build: one colour all over, or noise from a seeded generator.
#include "graphics/uBitmap32.h"
#include "platform/uRandom.h"

namespace kytest {

inline ky::TBitmap32 Solid(int w, int h, ky::TColor32 c) {
  ky::TBitmap32 b;
  b.SetSize(w, h);
  b.Clear(c);
  return b;
}

// Every pixel a different value, the fourth byte included.
inline ky::TBitmap32 Noise(int w, int h, ky::TRandom& rnd) {
  ky::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, static_cast<ky::TColor32>(rnd.Random(0x7FFFFFFF)) * 2);
  return b;
}

}  // namespace kytest
