// The effects that work pixel by pixel: fade, pixelate, dissolve, the pivots and the random bars.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/uNumbers.h"
#include "saver/effects/PSEffectProcs.h"
#include "saver/effects/uEffectBuilders.h"
#include "saver/effects/uEffectDraw.h"

namespace ky {
namespace effects {

namespace {

// The random effects reseed the show's generator so that every step of a transition shows the
// same pixels at the same percent, and give the generator back as they found it.
class TSeedScope {
 public:
  TSeedScope(TRandom& random, uint32_t seed) : FRandom(random), FSaved(random.Seed()) { random.SetSeed(seed); }
  ~TSeedScope() { FRandom.SetSeed(FSaved); }
  TSeedScope(const TSeedScope&) = delete;
  TSeedScope& operator=(const TSeedScope&) = delete;

 private:
  TRandom& FRandom;
  uint32_t FSaved;
};

constexpr double kPi = 3.14159265358979323846;

}  // namespace

// Fade.
void Effect1(const TEffectCanvas& c) {
  FadeBlock(c.Dest, c.Src, TRect{0, 0, c.W, c.H}, MulDiv(256, c.Percent, 100));
}

// Pixelate: zooms into the old picture with ever coarser pixels, cross-fades around half time and
// zooms back out of the new one.
void Effect2(const TEffectCanvas& c) {
  const int p = c.Percent;
  int k, u, v;
  bool fromDest;
  if (p <= 50) {
    fromDest = true;
    k = 180 - MulDiv(p, 82, 50);
    u = c.ProgW;
    v = c.ProgH;
  } else {
    fromDest = false;
    k = 180 + MulDiv(p - 100, 82, 50);
    u = c.W - c.ProgW;
    v = c.H - c.ProgH;
  }
  const int xs = MulDiv(u, k, 100), ys = MulDiv(v, k, 100);
  const int sw = std::max(c.W - 2 * xs, 2), sh = std::max(c.H - 2 * ys, 2);
  if (p > 40 && p < 60) {
    FadeBlock(c.Dest, c.Src, TRect{xs, ys, xs + sw, ys + sh}, MulDiv(256, 5 * p - 200, 100));
    fromDest = true;
  }
  if (fromDest)
    c.StretchSelf(-2 * xs, -2 * ys, c.W + 4 * xs, c.H + 4 * ys, xs, ys, sw, sh);
  else
    c.Stretch(-2 * xs, -2 * ys, c.W + 4 * xs, c.H + 4 * ys, xs, ys, sw, sh);
}

// Dissolve: one number per pixel in the frame's memory order (bottom row first).
void Effect3(const TEffectCanvas& c) {
  const TSeedScope seed(c.Random, static_cast<uint32_t>(c.W + c.H));
  const int p = c.Percent;
  const int sw = std::min(c.W, c.Src.Width()), sh = std::min(c.H, c.Src.Height());
  for (int y = c.H - 1; y >= 0; --y) {
    TColor32* d = c.Dest.ScanLine(y);
    if (y >= sh) {
      for (int x = 0; x < c.W; ++x) c.Random.Random(100);
      continue;
    }
    const TColor32* s = c.Src.ScanLine(y);
    for (int x = 0; x < sw; ++x)
      if (c.Random.Random(100) < p) d[x] = s[x];
    for (int x = sw; x < c.W; ++x) c.Random.Random(100);
  }
}

// Pivots: the new picture swings in by a quarter turn about a point just outside a corner.
void Effect121(const TEffectCanvas& c) { Pivot(c.Dest, c.Src, -1, -1, (100 - c.Percent) * kPi / 200); }
void Effect122(const TEffectCanvas& c) { Pivot(c.Dest, c.Src, -1, c.H, (c.Percent - 100) * kPi / 200); }
void Effect123(const TEffectCanvas& c) { Pivot(c.Dest, c.Src, c.W, -1, (c.Percent - 100) * kPi / 200); }
void Effect124(const TEffectCanvas& c) { Pivot(c.Dest, c.Src, c.W, c.H, (100 - c.Percent) * kPi / 200); }

// Random bars horizontal: one number per row, bottom row first.
void Effect168(const TEffectCanvas& c) {
  const TSeedScope seed(c.Random, static_cast<uint32_t>(c.W + c.H));
  for (int y = c.H - 1; y >= 0; --y)
    if (c.Random.Random(100) < c.Percent) c.Copy(0, y, c.W, 1, 0, y);
}

// Random bars vertical: one number per column, left to right. The chosen columns are copied row
// by row, which gives the same pixels as copying column by column.
void Effect169(const TEffectCanvas& c) {
  const TSeedScope seed(c.Random, static_cast<uint32_t>(c.W + c.H));
  TRegionBuilder columns;
  for (int x = 0; x < c.W; ++x)
    if (c.Random.Random(100) < c.Percent) columns.AddSpan(0, x, x + 1);
  const TRegion row = columns.Build();
  const int sh = std::min(c.H, c.Src.Height());
  const int sw = std::min(c.W, c.Src.Width());
  for (int y = 0; y < sh; ++y) {
    TColor32* d = c.Dest.ScanLine(y);
    const TColor32* s = c.Src.ScanLine(y);
    for (const TSpan* sp = row.RowBegin(0); sp != row.RowEnd(0); ++sp) {
      const int r = std::min(sp->Right, sw);
      if (sp->Left < r) std::memcpy(d + sp->Left, s + sp->Left, static_cast<size_t>(r - sp->Left) * sizeof(TColor32));
    }
  }
}

}  // namespace effects
}  // namespace ky
