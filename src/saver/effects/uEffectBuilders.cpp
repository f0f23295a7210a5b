#include "saver/effects/uEffectBuilders.h"

#include <algorithm>
#include <cmath>

#include "platform/uNumbers.h"

namespace ky {

namespace {

int Half(int v) { return v / 2; }

// The rectangle (a0, b0, a1, b1) given along the bars' own axes: a runs across the bars'
// length, b along their thickness. Horizontal bars take it as is, vertical ones exchanged.
void AddOriented(TComplexRegion& region, bool vertical, int a0, int b0, int a1, int b1) {
  if (vertical)
    region.AddRect(b0, a0, b1, a1);
  else
    region.AddRect(a0, b0, a1, b1);
}

// One direction of the bars: L is the length of a bar (W for horizontal bars), T the extent
// across (H), A the progress along L.
void AddBarsOneWay(TComplexRegion& region, bool vertical, int L, int T, int t, int A, int kind) {
  if (kind == 0) return;
  const int s = A > L ? t : 0;
  for (int y = s; y < T + t; y += 2 * t) {
    if (A <= L) {
      switch (kind) {
        case 1:
        case 5:
          AddOriented(region, vertical, L - A, y, L, y + t);
          break;
        case 2:
        case 4:
          AddOriented(region, vertical, 0, y, A, y + t);
          break;
        case 3:
          AddOriented(region, vertical, 0, y + t, A, y + 2 * t);
          AddOriented(region, vertical, L - A, y, L, y + t);
          break;
        default:
          break;
      }
    } else {
      if (kind == 1 || kind == 4) AddOriented(region, vertical, 2 * L - A, y, L, y + t);
      if (kind == 2 || kind == 5) AddOriented(region, vertical, 0, y, A - L, y + t);
      AddOriented(region, vertical, 0, y - t, L, y);
    }
  }
}

void AddShredsOneWay(TComplexRegion& region, bool vertical, int L, int T, int e, int A, int kind, TRandom& random) {
  if (kind == 0) return;
  const int c = Half(L);
  for (int y = 0; y < T; y += e) {
    const int l = A < L ? L / 10 : 0;
    const int r = A - l + random.Random(2 * l);
    const int y2 = y + e + T % e;
    switch (kind) {
      case 1:
        AddOriented(region, vertical, L - r, y, L, y2);
        break;
      case 2:
        AddOriented(region, vertical, 0, y, r, y2);
        break;
      case 3:
        AddOriented(region, vertical, c - Half(r), y, c - Half(r) + r, y2);
        break;
      case 4:
        AddOriented(region, vertical, 0, y, Half(r), y2);
        AddOriented(region, vertical, L - Half(r), y, L, y2);
        break;
      default:
        break;
    }
  }
}

void AddSpecklesOneWay(TComplexRegion& region, bool vertical, int L, int T, int A, int kind, TRandom& random) {
  if (kind != 1 && kind != 2) return;
  const int g = A < L ? L / 10 : 0;
  const int h = std::max(2, g / 20);
  const int count = g / h;
  const int l = 3 * g / (4 * h);
  for (int y = 0; y < T; y += Half(h)) {
    if (kind == 1)
      AddOriented(region, vertical, L - A, y, L, y + h);
    else
      AddOriented(region, vertical, 0, y, A, y + h);
    for (int k = count; k >= 1; --k) {
      const int n = random.Random(k);
      if (k <= l ? n > 1 : n != 0) continue;
      if (kind == 1)
        AddOriented(region, vertical, L - A - k * h, y, L - A - (k - 1) * h, y + h);
      else
        AddOriented(region, vertical, A + (k - 1) * h, y, A + k * h, y + h);
    }
  }
}

}  // namespace

void AddBars(TComplexRegion& region, int W, int H, int A, int B, int kindH, int kindV) {
  const int t = std::min(W, H) / 50 + 1;
  AddBarsOneWay(region, false, W, H, t, A, kindH);
  AddBarsOneWay(region, true, H, W, t, B, kindV);
}

void AddUnevenShreds(TComplexRegion& region, int W, int H, int A, int B, int kindH, int kindV, TRandom& random) {
  const int e = std::min(W, H) / 200 + 1;
  AddShredsOneWay(region, false, W, H, e, A, kindH, random);
  AddShredsOneWay(region, true, H, W, e, B, kindV, random);
}

void AddSpeckles(TComplexRegion& region, int W, int H, int A, int B, int kindH, int kindV, TRandom& random) {
  AddSpecklesOneWay(region, false, W, H, A, kindH, random);
  AddSpecklesOneWay(region, true, H, W, B, kindV, random);
}

std::vector<int> RollOffsets(int s) {
  std::vector<int> o;
  if (s <= 1) return o;
  o.resize(static_cast<size_t>(s));
  const int n = s / 2;
  int v = -48;
  if (n < 48) {
    int c = 48 / n;
    for (int k = 0; k < s; ++k) {
      o[static_cast<size_t>(k)] = v;
      v += c;
      if (k == n - 1) c = -c;
    }
  } else {
    const int d = n / 48;
    int next = d;
    for (int k = 0; k < s; ++k) {
      const int i = k + 1;
      o[static_cast<size_t>(k)] = v;
      if (i == next) {
        v += i < n ? 1 : -1;
        next += d;
      }
    }
  }
  return o;
}

namespace {

TColor32 Shade(TColor32 c, int o) {
  const int r = std::clamp(RedComponent(c) + o, 0, 255);
  const int g = std::clamp(GreenComponent(c) + o, 0, 255);
  const int b = std::clamp(BlueComponent(c) + o, 0, 255);
  return (c & 0xFF000000u) | (static_cast<TColor32>(r) << 16) | (static_cast<TColor32>(g) << 8) |
         static_cast<TColor32>(b);
}

}  // namespace

void RollShading(TBitmap32& dest, int start, int s, bool rows) {
  const std::vector<int> o = RollOffsets(s);
  if (o.empty()) return;
  if (rows) {
    for (int k = 0; k < s; ++k) {
      const int y = start + k;
      if (y < 0 || y >= dest.Height()) continue;
      TColor32* d = dest.ScanLine(y);
      const int off = o[static_cast<size_t>(k)];
      for (int x = 0; x < dest.Width(); ++x) d[x] = Shade(d[x], off);
    }
    return;
  }
  const int k0 = std::max(0, -start), k1 = std::min(s, dest.Width() - start);
  if (k0 >= k1) return;
  for (int y = 0; y < dest.Height(); ++y) {
    TColor32* d = dest.ScanLine(y) + start;
    for (int k = k0; k < k1; ++k) d[k] = Shade(d[k], o[static_cast<size_t>(k)]);
  }
}

namespace {

int64_t FloorDiv(int64_t n, int64_t d) {  // d > 0
  int64_t q = n / d;
  if (n % d != 0 && n < 0) --q;
  return q;
}

// Narrows [first, last) to the k for which lo <= v0 + k * step < hi.
void NarrowLinear(int64_t v0, int64_t step, int64_t lo, int64_t hi, int64_t& first, int64_t& last) {
  if (step == 0) {
    if (v0 < lo || v0 >= hi) last = first;
    return;
  }
  int64_t kMin, kMax;  // inclusive
  if (step > 0) {
    kMin = -FloorDiv(v0 - lo, step);  // ceil((lo - v0) / step)
    kMax = FloorDiv(hi - 1 - v0, step);
  } else {
    kMin = -FloorDiv(hi - 1 - v0, -step);  // ceil((v0 - hi + 1) / -step)
    kMax = FloorDiv(v0 - lo, -step);
  }
  first = std::max(first, kMin);
  last = std::min(last, kMax + 1);
  if (last < first) last = first;
}

}  // namespace

void Pivot(TBitmap32& dest, const TBitmap32& src, int xp, int yp, double angle) {
  const int64_t S = Round64(std::sin(angle) * 65536.0);
  const int64_t C = Round64(std::cos(angle) * 65536.0);
  const int64_t sw = src.Width(), sh = src.Height();
  // Source column xp + (X >> 16) lies in 0 .. sw - 1 exactly when -xp * 65536 <= X <
  // (sw - xp) * 65536, and likewise for rows; X and Y grow linearly along a row, so the pixels
  // that find a source pixel form one run, found without testing every pixel.
  const int64_t xLo = -static_cast<int64_t>(xp) * 65536, xHi = (sw - xp) * 65536;
  const int64_t yLo = -static_cast<int64_t>(yp) * 65536, yHi = (sh - yp) * 65536;
  for (int y = 0; y < dest.Height(); ++y) {
    const int64_t dx = -static_cast<int64_t>(xp), dy = y - yp;
    const int64_t X0 = dx * C - dy * S, Y0 = dx * S + dy * C;
    int64_t first = 0, last = dest.Width();
    NarrowLinear(X0, C, xLo, xHi, first, last);
    NarrowLinear(Y0, S, yLo, yHi, first, last);
    TColor32* d = dest.ScanLine(y);
    int64_t X = X0 + first * C, Y = Y0 + first * S;
    for (int64_t x = first; x < last; ++x, X += C, Y += S)
      // >> on a negative value rounds down, as the fixed-point positions must.
      d[x] = src.Pixel(static_cast<int>(xp + (X >> 16)), static_cast<int>(yp + (Y >> 16)));
  }
}

}  // namespace ky
