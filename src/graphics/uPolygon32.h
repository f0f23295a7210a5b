#pragma once
// TPolygon32: closed, anti-aliased polygons filled onto a TBitmap32.
// Points are 16.16 fixed point; the fill uses the even-odd rule with 8 x 8 sub-samples per pixel,
// and blends the colour onto each pixel with its alpha scaled by the pixel's coverage.
#include <cstdint>
#include <vector>

#include "graphics/uBitmap32.h"
#include "graphics/uGeometry.h"

namespace ky {

using TFixed = int32_t;
constexpr TFixed kFixedOne = 0x10000;
constexpr TFixed Fixed(int v) { return static_cast<TFixed>(static_cast<uint32_t>(v) << 16); }
TFixed Fixed(double v);

struct TFixedPoint {
  TFixed X = 0;
  TFixed Y = 0;
};
constexpr TFixedPoint FixedPoint(int x, int y) { return TFixedPoint{Fixed(x), Fixed(y)}; }
TFixedPoint FixedPoint(double x, double y);

enum TPolyFillMode : uint8_t { pfAlternate, pfWinding };

class TPolygon32 {
 public:
  TPolygon32() = default;

  void Add(TFixedPoint p) { FPoints.push_back(p); }
  void Clear() { FPoints.clear(); }
  const std::vector<TFixedPoint>& Points() const { return FPoints; }

  TPolyFillMode FillMode() const { return FFillMode; }
  void SetFillMode(TPolyFillMode m) { FFillMode = m; }

  // Blends colour onto every covered pixel of target (inside its clip rectangle), the alpha
  // scaled by the covered fraction of the pixel.
  void Fill(TBitmap32& target, TColor32 colour) const;

  // Covered samples of every pixel of area, row by row: 0 (outside) to kFullCoverage.
  // Pixels are sampled at 8 x 8 points (the centres of an 8 x 8 grid), so polygons that share
  // an edge split the samples of the pixels on it between them without overlap or gap.
  std::vector<uint8_t> Coverage(const TRect& area) const;

  static constexpr int kSubSamples = 8;
  static constexpr int kFullCoverage = kSubSamples * kSubSamples;

 private:
  // Adds the coverage of pixel row y, columns area.Left .. area.Right - 1, to cov.
  void RowCoverage(int y, const TRect& area, int* cov) const;

  std::vector<TFixedPoint> FPoints;
  TPolyFillMode FFillMode = pfAlternate;
};

}  // namespace ky
