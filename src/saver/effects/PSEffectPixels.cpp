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
void Fade(const TEffectCanvas& c) {
  FadeBlock(c.Dest, c.Src, TRect{0, 0, c.W, c.H}, MulDiv(256, c.Percent, 100));
}

// Pixelate: zooms into the old picture with ever coarser pixels, cross-fades around half time and
// zooms back out of the new one.
void Pixelate(const TEffectCanvas& c) {
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

// Dissolve: one number per pixel in the frame's memory order (bottom row first); the pixel takes
// the new one when random(100) < p.
//
// random(100) < p is (seed * 100) >> 32 < p, which is seed < ceil(p * 2^32 / 100): a plain
// compare on the seed. The seeds of eight pixels in a row are stepped together by the
// generator's eight-step jump (seed * a^8 + c8), which gives the same sequence. Working on a copy
// of the seed leaves the show's generator as reseeding and restoring it would.
void Dissolve(const TEffectCanvas& c) {
  const int p = c.Percent;
  if (p <= 0) return;
  const int sw = std::min(c.W, c.Src.Width()), sh = std::min(c.H, c.Src.Height());
  if (p >= 100) {
    for (int y = 0; y < sh; ++y) std::memcpy(c.Dest.ScanLine(y), c.Src.ScanLine(y), static_cast<size_t>(sw) * 4);
    return;
  }
  constexpr uint32_t kA = 134775813u;
  constexpr int kLanes = 8;
  const uint32_t threshold = static_cast<uint32_t>(((static_cast<uint64_t>(p) << 32) + 99) / 100);
  // seed -> seed * jumpA + jumpC advances by kLanes numbers; by W numbers for a whole row.
  uint32_t jumpA = 1, jumpC = 0;
  for (int i = 0; i < kLanes; ++i) jumpA *= kA, jumpC = jumpC * kA + 1;
  uint32_t rowA = 1, rowC = 0;
  for (int i = 0; i < c.W; ++i) rowA *= kA, rowC = rowC * kA + 1;

  uint32_t seed = static_cast<uint32_t>(c.W + c.H);  // the seed before the first pixel
  for (int y = c.H - 1; y >= 0; --y, seed = seed * rowA + rowC) {
    if (y >= sh) continue;
    TColor32* d = c.Dest.ScanLine(y);
    const TColor32* s = c.Src.ScanLine(y);
    uint32_t lane[kLanes];
    uint32_t v = seed;
    for (int j = 0; j < kLanes; ++j) lane[j] = v = v * kA + 1;
    int x = 0;
    for (; x + kLanes <= sw; x += kLanes) {
      // A mask instead of a branch: the choice is random, so a branch would mispredict half the time.
      for (int j = 0; j < kLanes; ++j) {
        const TColor32 take = 0u - static_cast<TColor32>(lane[j] < threshold);
        d[x + j] = (s[x + j] & take) | (d[x + j] & ~take);
      }
      for (int j = 0; j < kLanes; ++j) lane[j] = lane[j] * jumpA + jumpC;
    }
    // lane[j] now holds the number of pixel x + j.
    for (int j = 0; x < sw; ++x, ++j)
      if (lane[j] < threshold) d[x] = s[x];
  }
}

// Pivots: the new picture swings in by a quarter turn about a point just outside a corner.
void PivotFromTopLeft(const TEffectCanvas& c) { Pivot(c.Dest, c.Src, -1, -1, (100 - c.Percent) * kPi / 200); }
void PivotFromBottomLeft(const TEffectCanvas& c) { Pivot(c.Dest, c.Src, -1, c.H, (c.Percent - 100) * kPi / 200); }
void PivotFromTopRight(const TEffectCanvas& c) { Pivot(c.Dest, c.Src, c.W, -1, (c.Percent - 100) * kPi / 200); }
void PivotFromBottomRight(const TEffectCanvas& c) { Pivot(c.Dest, c.Src, c.W, c.H, (100 - c.Percent) * kPi / 200); }

// Random bars horizontal: one number per row, bottom row first.
void RandomBarsHorizontal(const TEffectCanvas& c) {
  const TSeedScope seed(c.Random, static_cast<uint32_t>(c.W + c.H));
  for (int y = c.H - 1; y >= 0; --y)
    if (c.Random.Random(100) < c.Percent) c.Copy(0, y, c.W, 1, 0, y);
}

// Random bars vertical: one number per column, left to right. The chosen columns are copied row
// by row through a column mask, which gives the same pixels as copying column by column.
void RandomBarsVertical(const TEffectCanvas& c) {
  const TSeedScope seed(c.Random, static_cast<uint32_t>(c.W + c.H));
  const int sw = std::min(c.W, c.Src.Width()), sh = std::min(c.H, c.Src.Height());
  std::vector<TColor32> mask(static_cast<size_t>(std::max(sw, 0)));
  for (int x = 0; x < c.W; ++x) {
    const bool take = c.Random.Random(100) < c.Percent;
    if (x < sw) mask[static_cast<size_t>(x)] = take ? ~0u : 0u;
  }
  for (int y = 0; y < sh; ++y) {
    TColor32* d = c.Dest.ScanLine(y);
    const TColor32* s = c.Src.ScanLine(y);
    for (int x = 0; x < sw; ++x) d[x] = (s[x] & mask[static_cast<size_t>(x)]) | (d[x] & ~mask[static_cast<size_t>(x)]);
  }
}

}  // namespace effects
}  // namespace ky
