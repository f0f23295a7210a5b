#include "graphics/uPolygon32.h"

#include <algorithm>
#include <cmath>

#include "graphics/uBlend.h"

namespace ky {

namespace {

constexpr int kSub = TPolygon32::kSubSamples;

struct TCrossing {
  int64_t X;  // 16.16, in units of 1/8 pixel
  int Dir;
  bool operator<(const TCrossing& o) const { return X < o.X; }
};

// floor(a / b) for b > 0.
inline int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
inline int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

}  // namespace

TFixed Fixed(double v) { return static_cast<TFixed>(std::lround(v * kFixedOne)); }
TFixedPoint FixedPoint(double x, double y) { return TFixedPoint{Fixed(x), Fixed(y)}; }

void TPolygon32::RowCoverage(int y, const TRect& area, int* cov) const {
  const size_t n = FPoints.size();
  std::vector<TCrossing> xs;
  xs.reserve(n);
  const int64_t sampleLo = int64_t{area.Left} * kSub, sampleHi = int64_t{area.Right} * kSub;
  for (int k = 0; k < kSub; ++k) {
    // The sub-scanline through the centres of sample row k.
    const int64_t ys = (int64_t{y} << 16) + ((2 * int64_t{k} + 1) << 16) / (2 * kSub);
    xs.clear();
    for (size_t i = 0; i < n; ++i) {
      TFixedPoint a = FPoints[i], b = FPoints[(i + 1) % n];
      int dir = 1;
      // Every edge is walked from its upper end, so two polygons sharing it find the same crossing.
      if (a.Y > b.Y) {
        std::swap(a, b);
        dir = -1;
      }
      if (a.Y == b.Y || ys < a.Y || ys >= b.Y) continue;
      // 128-bit product: 16.16 coordinates far outside the surface must not overflow.
      const __int128 num = static_cast<__int128>(ys - a.Y) * (int64_t{b.X} - a.X);
      const __int128 den = int64_t{b.Y} - a.Y;
      const __int128 q = num >= 0 ? num / den : -((-num + den - 1) / den);
      const int64_t x = int64_t{a.X} + static_cast<int64_t>(q);
      xs.push_back(TCrossing{x * kSub, dir});
    }
    if (xs.size() < 2) continue;
    std::sort(xs.begin(), xs.end());
    auto addSpan = [&](int64_t xa, int64_t xb) {
      // Samples j with centre (j + 0.5) in [xa, xb), in 1/8-pixel units (16.16).
      int64_t js = CeilDiv(xa - 32768, 65536), je = CeilDiv(xb - 32768, 65536);
      js = std::max(js, sampleLo);
      je = std::min(je, sampleHi);
      if (js >= je) return;
      const int64_t pa = js / kSub, pb = (je - 1) / kSub;
      if (pa == pb) {
        cov[pa - area.Left] += static_cast<int>(je - js);
        return;
      }
      cov[pa - area.Left] += static_cast<int>((pa + 1) * kSub - js);
      for (int64_t p = pa + 1; p < pb; ++p) cov[p - area.Left] += kSub;
      cov[pb - area.Left] += static_cast<int>(je - pb * kSub);
    };
    if (FFillMode == pfAlternate) {
      for (size_t i = 0; i + 1 < xs.size(); i += 2) addSpan(xs[i].X, xs[i + 1].X);
    } else {
      int winding = 0;
      for (size_t i = 0; i + 1 < xs.size(); ++i) {
        winding += xs[i].Dir;
        if (winding != 0) addSpan(xs[i].X, xs[i + 1].X);
      }
    }
  }
}

std::vector<uint8_t> TPolygon32::Coverage(const TRect& area) const {
  std::vector<uint8_t> out(static_cast<size_t>(std::max(area.Width(), 0)) * std::max(area.Height(), 0), 0);
  if (area.IsEmpty() || FPoints.size() < 3) return out;
  std::vector<int> cov(area.Width());
  for (int y = area.Top; y < area.Bottom; ++y) {
    std::fill(cov.begin(), cov.end(), 0);
    RowCoverage(y, area, cov.data());
    for (int i = 0; i < area.Width(); ++i)
      out[static_cast<size_t>(y - area.Top) * area.Width() + i] = static_cast<uint8_t>(cov[i]);
  }
  return out;
}

void TPolygon32::Fill(TBitmap32& target, TColor32 colour) const {
  if (FPoints.size() < 3 || target.Empty()) return;
  TFixed minX = FPoints[0].X, maxX = minX, minY = FPoints[0].Y, maxY = minY;
  for (const TFixedPoint& p : FPoints) {
    minX = std::min(minX, p.X);
    maxX = std::max(maxX, p.X);
    minY = std::min(minY, p.Y);
    maxY = std::max(maxY, p.Y);
  }
  const TRect bounds{static_cast<int>(FloorDiv(minX, kFixedOne)), static_cast<int>(FloorDiv(minY, kFixedOne)),
                     static_cast<int>(FloorDiv(maxX, kFixedOne)) + 1, static_cast<int>(FloorDiv(maxY, kFixedOne)) + 1};
  const TRect area = IntersectRect(bounds, target.ClipRect());
  if (area.IsEmpty()) return;
  const uint32_t alpha = colour >> 24;
  const bool merge = target.CombineMode() == cmMerge;
  std::vector<int> cov(area.Width());
  for (int y = area.Top; y < area.Bottom; ++y) {
    std::fill(cov.begin(), cov.end(), 0);
    RowCoverage(y, area, cov.data());
    TColor32* row = target.ScanLine(y) + area.Left;
    for (int i = 0; i < area.Width(); ++i) {
      if (cov[i] == 0) continue;
      const uint32_t a = (alpha * static_cast<uint32_t>(cov[i]) + kFullCoverage / 2) / kFullCoverage;
      row[i] = merge ? MergeColor(SetAlpha(colour, static_cast<int>(a)), row[i]) : BlendColor(colour, row[i], a);
    }
  }
}

}  // namespace ky
