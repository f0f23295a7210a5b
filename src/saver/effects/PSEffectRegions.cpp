// The effects that copy the new picture through a clip region: curves, bars, shreds, triangles,
// speckles, random squares, blinds, shreds of shapes, rotating shapes, wedges, stars and zigzags.
// w, h are the progress size, W, H the frame and (cx, cy) its middle.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/uNumbers.h"
#include "saver/effects/PSEffectProcs.h"
#include "saver/effects/uEffectBuilders.h"

namespace ky {
namespace effects {

namespace {

constexpr double kPi = 3.14159265358979323846;

using TPoints = std::vector<TPoint>;

void ClipBars(const TEffectCanvas& c, int A, int B, int kindH, int kindV) {
  TComplexRegion r;
  AddBars(r, c.W, c.H, A, B, kindH, kindV);
  c.Clip(r.MakeRegion());
}

void ClipShreds(const TEffectCanvas& c, int kindH, int kindV) {
  TComplexRegion r;
  AddUnevenShreds(r, c.W, c.H, c.ProgW, c.ProgH, kindH, kindV, c.Random);
  c.Clip(r.MakeRegion());
}

void ClipSpeckles(const TEffectCanvas& c, int kindH, int kindV) {
  TComplexRegion r;
  AddSpeckles(r, c.W, c.H, c.ProgW, c.ProgH, kindH, kindV, c.Random);
  c.Clip(r.MakeRegion());
}

void ClipPolygons(const TEffectCanvas& c, const std::vector<TPoints>& polygons) {
  TRegionBuilder b;
  for (const TPoints& p : polygons) b.AddPolygon(p);
  c.Clip(b.Build());
}

// p rotated about (ox, oy) by angle, rounded to whole pixels.
TPoint Rotated(double x, double y, double ox, double oy, double angle) {
  const double s = std::sin(angle), co = std::cos(angle);
  const double dx = x - ox, dy = y - oy;
  return TPoint{Round(ox + dx * co - dy * s), Round(oy + dx * s + dy * co)};
}

// The w x h rectangle centred on the frame, turned by angle about (ox, oy).
TPoints TurnedCentredRect(const TEffectCanvas& c, double ox, double oy, double angle) {
  const int l = Half(c.W - c.ProgW), t = Half(c.H - c.ProgH);
  const int r = l + c.ProgW, b = t + c.ProgH;
  return TPoints{Rotated(l, t, ox, oy, angle), Rotated(r, t, ox, oy, angle), Rotated(r, b, ox, oy, angle),
                 Rotated(l, b, ox, oy, angle)};
}

TPoints Diamond(int cx, int cy, int a, int b) {
  return TPoints{{cx - a, cy}, {cx, cy - b}, {cx + a, cy}, {cx, cy + b}};
}

// The round rectangle of the elliptic reveals: half-sizes a, b around the middle, corner
// ellipse 9/5 of them.
TRegion EllipticRect(const TEffectCanvas& c, int a, int b) {
  const int cx = Half(c.W), cy = Half(c.H);
  return TRegion::RoundRect(cx - a, cy - b, cx + a, cy + b, 9 * a / 5, 9 * b / 5);
}

// The four triangles at the middles of the sides used by the diagonal crosses.
std::vector<TPoints> SideTriangles(const TEffectCanvas& c, int a, int b) {
  const int W = c.W, H = c.H, cx = Half(W), cy = Half(H);
  return {TPoints{{0, cy - b}, {a, cy}, {0, cy + b}}, TPoints{{W, cy - b}, {W - a, cy}, {W, cy + b}},
          TPoints{{cx - a, 0}, {cx, b}, {cx + a, 0}}, TPoints{{cx - a, H}, {cx, H - b}, {cx + a, H}}};
}

// A band through the middle whose edges zigzag by +-t every g pixels; e is its half-height.
TPoints ZigzagBand(int middle, int t, int g, int e) {
  TPoints p;
  for (int k = 0; k <= 11; ++k) p.push_back(TPoint{k * g, k % 2 == 0 ? middle + t - e : middle - t - e});
  for (int k = 11; k >= 0; --k) p.push_back(TPoint{k * g, k % 2 == 0 ? middle + t + e : middle - t + e});
  return p;
}

}  // namespace

// ---- curved reveals

void CurvedRevealFromLeft(const TEffectCanvas& c) {
  c.Clip(TRegion::RoundRect(-2 * c.W, 0, 2 * c.ProgW, c.H + 1, 2 * c.W, 2 * c.W));
}
void CurvedRevealFromRight(const TEffectCanvas& c) {
  c.Clip(TRegion::RoundRect(c.W - 2 * c.ProgW, 0, 3 * c.W, c.H + 1, 2 * c.W, 2 * c.W));
}
void CurvedRevealFromTop(const TEffectCanvas& c) {
  c.Clip(TRegion::RoundRect(0, -2 * c.H, c.W + 1, 2 * c.ProgH, 2 * c.H, 2 * c.H));
}
void CurvedRevealFromBottom(const TEffectCanvas& c) {
  c.Clip(TRegion::RoundRect(0, c.H - 2 * c.ProgH, c.W + 1, 3 * c.H, 2 * c.H, 2 * c.H));
}
// From the corners: top left, top right, bottom left, bottom right.
void CurvedRevealFromTopLeft(const TEffectCanvas& c) {
  c.Clip(TRegion::RoundRect(-c.W, -c.H, Half(3 * c.ProgW), Half(3 * c.ProgH), 2 * c.W, 2 * c.H));
}
void CurvedRevealFromTopRight(const TEffectCanvas& c) {
  c.Clip(TRegion::RoundRect(c.W - Half(3 * c.ProgW), -c.H, 2 * c.W, Half(3 * c.ProgH), 2 * c.W, 2 * c.H));
}
void CurvedRevealFromBottomLeft(const TEffectCanvas& c) {
  c.Clip(TRegion::RoundRect(-c.W, c.H - Half(3 * c.ProgH), Half(3 * c.ProgW), 2 * c.H, 2 * c.W, 2 * c.H));
}
void CurvedRevealFromBottomRight(const TEffectCanvas& c) {
  c.Clip(TRegion::RoundRect(c.W - Half(3 * c.ProgW), c.H - Half(3 * c.ProgH), 2 * c.W, 2 * c.H, 2 * c.W,
                            2 * c.H));
}
void EllipticRevealOutFromCentre(const TEffectCanvas& c) { c.Clip(EllipticRect(c, c.ProgW, c.ProgH)); }
void EllipticRevealInToCentre(const TEffectCanvas& c) {
  c.Clip(TRegion::Rect(0, 0, c.W, c.H).Subtract(EllipticRect(c, c.W - c.ProgW, c.H - c.ProgH)));
}

// ---- bars

void BarsInFromRight(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 0, 1, 0); }
void BarsInFromLeft(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 0, 2, 0); }
void BarsLeftThenRight(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 0, 4, 0); }
void BarsRightThenLeft(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 0, 5, 0); }
void BarsFromBothSides(const TEffectCanvas& c) { ClipBars(c, c.ProgW, 0, 3, 0); }
void BarsFromBottom(const TEffectCanvas& c) { ClipBars(c, 0, 2 * c.ProgH, 0, 1); }
void BarsFromTop(const TEffectCanvas& c) { ClipBars(c, 0, 2 * c.ProgH, 0, 2); }
void BarsTopThenBottom(const TEffectCanvas& c) { ClipBars(c, 0, 2 * c.ProgH, 0, 4); }
void BarsBottomThenTop(const TEffectCanvas& c) { ClipBars(c, 0, 2 * c.ProgH, 0, 5); }
void BarsFromTopAndBottom(const TEffectCanvas& c) { ClipBars(c, 0, c.ProgH, 0, 3); }
// Criss crosses: horizontal and vertical bars together.
void CrissCrossFromBottomRight(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 2 * c.ProgH, 1, 1); }
void CrissCrossFromTopRight(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 2 * c.ProgH, 1, 2); }
void CrissCrossFromBottomLeft(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 2 * c.ProgH, 2, 1); }
void CrissCrossFromTopLeft(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 2 * c.ProgH, 2, 2); }
void CrissCrossBounceFromTopLeft(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 2 * c.ProgH, 4, 4); }
void CrissCrossBounceFromBottomLeft(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 2 * c.ProgH, 4, 5); }
void CrissCrossBounceFromTopRight(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 2 * c.ProgH, 5, 4); }
void CrissCrossBounceFromBottomRight(const TEffectCanvas& c) { ClipBars(c, 2 * c.ProgW, 2 * c.ProgH, 5, 5); }
void CrissCrossFromRightTopAndBottom(const TEffectCanvas& c) { ClipBars(c, c.ProgW, c.ProgH, 1, 3); }
void CrissCrossFromLeftTopAndBottom(const TEffectCanvas& c) { ClipBars(c, c.ProgW, c.ProgH, 2, 3); }
void CrissCrossFromLeftRightAndBottom(const TEffectCanvas& c) { ClipBars(c, c.ProgW, c.ProgH, 3, 1); }
void CrissCrossFromLeftRightAndTop(const TEffectCanvas& c) { ClipBars(c, c.ProgW, c.ProgH, 3, 2); }
void CrissCrossFromTopLeftAndBottom(const TEffectCanvas& c) { ClipBars(c, c.ProgW, c.ProgH, 3, 3); }
void CrissCrossFromBottomLeftTopRight(const TEffectCanvas& c) {
  TComplexRegion a, b;
  AddBars(a, c.W, c.H, 2 * c.ProgW, 2 * c.ProgH, 1, 1);
  AddBars(b, c.W, c.H, 2 * c.ProgW, 2 * c.ProgH, 2, 2);
  c.Clip(a.MakeRegion().Intersect(b.MakeRegion()));
}

// ---- uneven shreds

void UnevenShredFromRight(const TEffectCanvas& c) { ClipShreds(c, 1, 0); }
void UnevenShredFromLeft(const TEffectCanvas& c) { ClipShreds(c, 2, 0); }
void UnevenShredOutFromMiddleHorizontal(const TEffectCanvas& c) { ClipShreds(c, 3, 0); }
void UnevenShredInToMiddleHorizontal(const TEffectCanvas& c) { ClipShreds(c, 4, 0); }
void UnevenShredFromBottom(const TEffectCanvas& c) { ClipShreds(c, 0, 1); }
void UnevenShredFromTop(const TEffectCanvas& c) { ClipShreds(c, 0, 2); }
void UnevenShredFromHorizon(const TEffectCanvas& c) { ClipShreds(c, 0, 3); }
void UnevenShredInToHorizon(const TEffectCanvas& c) { ClipShreds(c, 0, 4); }
void UnevenShredFromBottomAndRight(const TEffectCanvas& c) { ClipShreds(c, 1, 1); }
void UnevenShredFromTopAndRight(const TEffectCanvas& c) { ClipShreds(c, 1, 2); }
void UnevenShredFromBottomAndLeft(const TEffectCanvas& c) { ClipShreds(c, 2, 1); }
void UnevenShredFromTopAndLeft(const TEffectCanvas& c) { ClipShreds(c, 2, 2); }
void UnevenShredFromHorizontalAndRight(const TEffectCanvas& c) { ClipShreds(c, 1, 3); }
void UnevenShredFromHorizontalAndLeft(const TEffectCanvas& c) { ClipShreds(c, 2, 3); }
void UnevenShredFromBottomAndVerticalMiddle(const TEffectCanvas& c) { ClipShreds(c, 3, 1); }
void UnevenShredFromTopAndVerticalMiddle(const TEffectCanvas& c) { ClipShreds(c, 3, 2); }
void UnevenShredFromCentre(const TEffectCanvas& c) { ClipShreds(c, 3, 3); }
void UnevenShredToCentre(const TEffectCanvas& c) { ClipShreds(c, 4, 4); }

// ---- diagonals and triangles

void RevealDiagonalFromTopLeft(const TEffectCanvas& c) {
  const int a = 2 * c.ProgW, b = 2 * c.ProgH;
  c.Clip(TRegion::Polygon({{0, 0}, {a, 0}, {0, b}}));
}
void RevealDiagonalFromTopRight(const TEffectCanvas& c) {
  const int a = 2 * c.ProgW, b = 2 * c.ProgH;
  c.Clip(TRegion::Polygon({{c.W, 0}, {c.W - a, 0}, {c.W, b}}));
}
void RevealDiagonalFromBottomLeft(const TEffectCanvas& c) {
  const int a = 2 * c.ProgW, b = 2 * c.ProgH;
  c.Clip(TRegion::Polygon({{0, c.H}, {a, c.H}, {0, c.H - b}}));
}
void RevealDiagonalFromBottomRight(const TEffectCanvas& c) {
  const int a = 2 * c.ProgW, b = 2 * c.ProgH;
  c.Clip(TRegion::Polygon({{c.W, c.H}, {c.W - a, c.H}, {c.W, c.H - b}}));
}
void DiagonalSweepAnticlockwise(const TEffectCanvas& c) {
  const int W = c.W, H = c.H, w = c.ProgW;
  ClipPolygons(c, {TPoints{{0, H}, {0, 0}, {w, H}}, TPoints{{W, H}, {W, 0}, {W - w, 0}}});
}
void DiagonalSweepClockwise(const TEffectCanvas& c) {
  const int W = c.W, H = c.H, h = c.ProgH;
  ClipPolygons(c, {TPoints{{W, 0}, {0, 0}, {W, h}}, TPoints{{W, H}, {0, H}, {0, H - h}}});
}
// Starbursts: four triangles from the middle, each sweeping along one side.
void StarburstClockwiseFromCentre(const TEffectCanvas& c) {
  const int W = c.W, H = c.H, w = c.ProgW, h = c.ProgH, cx = Half(W), cy = Half(H);
  ClipPolygons(c, {TPoints{{cx, cy}, {0, 0}, {w, 0}}, TPoints{{cx, cy}, {0, H}, {0, H - h}},
                   TPoints{{cx, cy}, {W, H}, {W - w, H}}, TPoints{{cx, cy}, {W, 0}, {W, h}}});
}
void StarburstAnticlockwiseFromCentre(const TEffectCanvas& c) {
  const int W = c.W, H = c.H, w = c.ProgW, h = c.ProgH, cx = Half(W), cy = Half(H);
  ClipPolygons(c, {TPoints{{cx, cy}, {0, 0}, {0, h}}, TPoints{{cx, cy}, {0, H}, {w, H}},
                   TPoints{{cx, cy}, {W, H}, {W, H - h}}, TPoints{{cx, cy}, {W, 0}, {W - w, 0}}});
}
// Triangular shred: downward triangles centred on a grid, each growing to twice the grid step,
// so that at the end their upper halves tile the frame.
void TriangularShred(const TEffectCanvas& c) {
  const int colStep = c.W / 10 + 1, rowStep = 2 * (c.H / 10) + 2;
  const int a = MulDiv(c.W / 10 + 1, c.Percent, 50), b = MulDiv(c.H / 10 + 1, c.Percent, 50);
  TRegionBuilder r;
  for (int y = 0; y < c.H + rowStep; y += rowStep)
    for (int x = 0; x < c.W + colStep; x += colStep) r.AddPolygon({{x - a, y - b}, {x + a, y - b}, {x, y + b}});
  c.Clip(r.Build());
}

// ---- speckles and random squares

void SpeckleAppearFromRight(const TEffectCanvas& c) { ClipSpeckles(c, 1, 0); }
void SpeckleAppearFromLeft(const TEffectCanvas& c) { ClipSpeckles(c, 2, 0); }
void SpeckleAppearFromBottom(const TEffectCanvas& c) { ClipSpeckles(c, 0, 1); }
void SpeckleAppearFromTop(const TEffectCanvas& c) { ClipSpeckles(c, 0, 2); }
void RandomSquaresAppear(const TEffectCanvas& c) {
  const int m = std::min(c.W, c.H) / 50;
  const int s = 2 * m + 2;
  const uint32_t saved = c.Random.Seed();
  c.Random.SetSeed(static_cast<uint32_t>(m + 1) * static_cast<uint32_t>(c.W + c.H));
  TComplexRegion r;
  for (int x = 0; x < c.W; x += s)
    for (int y = 0; y < c.H; y += s)
      if (c.Random.Random(100) < c.Percent) r.AddRect(x, y, x + s, y + s);
  c.Random.SetSeed(saved);
  c.Clip(r.MakeRegion());
}

// ---- blinds and shreds of shapes

void BlindVertically(const TEffectCanvas& c) {
  const int n = c.W / 40 + 1, a = MulDiv(n, c.Percent, 100);
  TComplexRegion r;
  for (int x = 0; x < c.W; x += 2 * n) r.AddRect(x + n - a, 0, x + n + a, c.H);
  c.Clip(r.MakeRegion());
}
void BlindHorizontally(const TEffectCanvas& c) {
  const int n = c.H / 40 + 1, a = MulDiv(n, c.Percent, 100);
  TComplexRegion r;
  for (int y = 0; y < c.H; y += 2 * n) r.AddRect(0, y + n - a, c.W, y + n + a);
  c.Clip(r.MakeRegion());
}
// Uneven blinds: as many blinds as progress allows, each open by the percent of its width.
void UnevenBlindFromLeft(const TEffectCanvas& c) {
  const int w = c.ProgW;
  if (w == 0) return;
  const int a = MulDiv(w, c.Percent, 100);
  TComplexRegion r;
  for (int x = 0; x < c.W; x += w) r.AddRect(x, 0, x + a, c.H);
  c.Clip(r.MakeRegion());
}
void UnevenBlindFromRight(const TEffectCanvas& c) {
  const int w = c.ProgW;
  if (w == 0) return;
  const int a = MulDiv(w, c.Percent, 100);
  TComplexRegion r;
  for (int x = c.W; x > 0; x -= w) r.AddRect(x - a, 0, x, c.H);
  c.Clip(r.MakeRegion());
}
void UnevenBlindFromTop(const TEffectCanvas& c) {
  const int h = c.ProgH;
  if (h == 0) return;
  const int a = MulDiv(h, c.Percent, 100);
  TComplexRegion r;
  for (int y = 0; y < c.H; y += h) r.AddRect(0, y, c.W, y + a);
  c.Clip(r.MakeRegion());
}
void UnevenBlindFromBottom(const TEffectCanvas& c) {
  const int h = c.ProgH;
  if (h == 0) return;
  const int a = MulDiv(h, c.Percent, 100);
  TComplexRegion r;
  for (int y = c.H; y > 0; y -= h) r.AddRect(0, y - a, c.W, y);
  c.Clip(r.MakeRegion());
}
void RectangularShred(const TEffectCanvas& c) {
  const int n = std::min(c.W, c.H) / 10 + 1, a = MulDiv(n, c.Percent, 100);
  TComplexRegion r;
  for (int y = 0; y < c.H; y += 2 * n)
    for (int x = 0; x < c.W; x += 2 * n) r.AddRect(x + n - a, y + n - a, x + n + a, y + n + a);
  c.Clip(r.MakeRegion());
}
// Rectangles: thin bands across the direction of travel and uneven blinds along it.
void RectanglesFromLeftToRight(const TEffectCanvas& c) {
  const int w = c.ProgW, m = c.H / 20;
  if (w == 0 || m == 0) return;
  const int a = MulDiv(m, c.Percent, 100), open = MulDiv(w, c.Percent, 100);
  TComplexRegion r;
  for (int b = -m; b < c.H; b += 3 * m) r.AddRect(0, b - a, c.W, b + a);
  for (int x = 0; x < c.W; x += w) r.AddRect(x, 0, x + open, c.H);
  c.Clip(r.MakeRegion());
}
void RectanglesFromRightToLeft(const TEffectCanvas& c) {
  const int w = c.ProgW, m = c.H / 20;
  if (w == 0 || m == 0) return;
  const int a = MulDiv(m, c.Percent, 100), open = MulDiv(w, c.Percent, 100);
  TComplexRegion r;
  for (int b = -m; b < c.H; b += 3 * m) r.AddRect(0, b - a, c.W, b + a);
  for (int x = c.W; x > 0; x -= w) r.AddRect(x - open, 0, x, c.H);
  c.Clip(r.MakeRegion());
}
void RectanglesFromUpToBottom(const TEffectCanvas& c) {
  const int h = c.ProgH, m = c.W / 20;
  if (h == 0 || m == 0) return;
  const int a = MulDiv(m, c.Percent, 100), open = MulDiv(h, c.Percent, 100);
  TComplexRegion r;
  for (int b = -m; b < c.W; b += 3 * m) r.AddRect(b - a, 0, b + a, c.H);
  for (int y = 0; y < c.H; y += h) r.AddRect(0, y, c.W, y + open);
  c.Clip(r.MakeRegion());
}
void RectanglesFromBottomToUp(const TEffectCanvas& c) {
  const int h = c.ProgH, m = c.W / 20;
  if (h == 0 || m == 0) return;
  const int a = MulDiv(m, c.Percent, 100), open = MulDiv(h, c.Percent, 100);
  TComplexRegion r;
  for (int b = -m; b < c.W; b += 3 * m) r.AddRect(b - a, 0, b + a, c.H);
  for (int y = c.H; y > 0; y -= h) r.AddRect(0, y - open, c.W, y);
  c.Clip(r.MakeRegion());
}

// ---- turning shapes

void RotationalRectangleInCentre(const TEffectCanvas& c) {
  const double cx = Half(c.W), cy = Half(c.H);
  c.Clip(TRegion::Polygon(TurnedCentredRect(c, cx, cy, c.Percent * kPi / 50)));
}
void RotationalStarInCentre(const TEffectCanvas& c) {
  const int cx = Half(c.W), cy = Half(c.H), w = c.ProgW, h = c.ProgH, a = Half(w), b = Half(h);
  const double angle = c.Percent * kPi / 50;
  const int star[8][2] = {{cx + 2 * w, cy}, {cx + a, cy - b}, {cx, cy - 2 * h}, {cx - a, cy - b},
                          {cx - 2 * w, cy}, {cx - a, cy + b}, {cx, cy + 2 * h}, {cx + a, cy + b}};
  TPoints points;
  for (const auto& p : star) points.push_back(Rotated(p[0], p[1], cx, cy, angle));
  c.Clip(TRegion::Polygon(points));
}
void SpiralRectangle(const TEffectCanvas& c) {
  c.Clip(TRegion::Polygon(TurnedCentredRect(c, c.ProgW, c.ProgH, c.Percent * kPi / 50)));
}
void CircularShred(const TEffectCanvas& c) {
  const int n = std::min(c.W, c.H) / 10 + 1, r = MulDiv(3 * n, c.Percent, 200);
  TRegionBuilder b;
  for (int y = 0; y < c.H; y += 2 * n)
    for (int x = 0; x < c.W; x += 2 * n) b.AddEllipse(x + n - r, y + n - r, x + n + r, y + n + r);
  c.Clip(b.Build());
}

// ---- wedges and bow ties

void RevealVFromLeft(const TEffectCanvas& c) {
  const int cy = Half(c.H), w = c.ProgW, h = c.ProgH;
  c.Clip(TRegion::Polygon({{0, cy - h}, {2 * w, cy}, {0, cy + h}}));
}
void RevealVFromRight(const TEffectCanvas& c) {
  const int cy = Half(c.H), w = c.ProgW, h = c.ProgH;
  c.Clip(TRegion::Polygon({{c.W, cy - h}, {c.W - 2 * w, cy}, {c.W, cy + h}}));
}
void RevealVFromTop(const TEffectCanvas& c) {
  const int cx = Half(c.W), w = c.ProgW, h = c.ProgH;
  c.Clip(TRegion::Polygon({{cx - w, 0}, {cx, 2 * h}, {cx + w, 0}}));
}
void RevealVFromBottom(const TEffectCanvas& c) {
  const int cx = Half(c.W), w = c.ProgW, h = c.ProgH;
  c.Clip(TRegion::Polygon({{cx - w, c.H}, {cx, c.H - 2 * h}, {cx + w, c.H}}));
}
void BowTieHorizontal(const TEffectCanvas& c) {
  const int W = c.W, cy = Half(c.H), w = c.ProgW, h = c.ProgH;
  ClipPolygons(c, {TPoints{{0, cy - h}, {w, cy}, {0, cy + h}}, TPoints{{W, cy - h}, {W - w, cy}, {W, cy + h}}});
}
void BowTieVertical(const TEffectCanvas& c) {
  const int H = c.H, cx = Half(c.W), w = c.ProgW, h = c.ProgH;
  ClipPolygons(c, {TPoints{{cx - w, 0}, {cx, h}, {cx + w, 0}}, TPoints{{cx - w, H}, {cx, H - h}, {cx + w, H}}});
}
// Diagonal crosses: triangles from the middles of the sides close in on (or open out of) an X.
void DiagonalCrossIn(const TEffectCanvas& c) { ClipPolygons(c, SideTriangles(c, Half(c.ProgW), Half(c.ProgH))); }
void DiagonalCrossOut(const TEffectCanvas& c) {
  TRegion r = TRegion::Rect(0, 0, c.W, c.H);
  for (const TPoints& t : SideTriangles(c, Half(c.W - c.ProgW), Half(c.H - c.ProgH)))
    r = r.Xor(TRegion::Polygon(t));
  c.Clip(r);
}

// ---- zigzags

void ZigzagHorizontal(const TEffectCanvas& c) {
  const int t = c.H / 10, g = c.W / 10, e = MulDiv(t, c.Percent, 100) + Half(c.ProgH);
  c.Clip(TRegion::Polygon(ZigzagBand(Half(c.H), t, g, e)));
}
void ZigzagVertical(const TEffectCanvas& c) {
  const int t = c.W / 10, g = c.H / 10, e = MulDiv(t, c.Percent, 100) + Half(c.ProgW);
  TPoints p = ZigzagBand(Half(c.W), t, g, e);
  for (TPoint& q : p) std::swap(q.X, q.Y);
  c.Clip(TRegion::Polygon(p));
}

// ---- diamonds

void DiamondShred(const TEffectCanvas& c) {
  const int n = std::min(c.W, c.H) / 10 + 1, d = MulDiv(n, c.Percent, 50);
  TRegionBuilder b;
  for (int y = n; y - n < c.H; y += 2 * n)
    for (int x = n; x - n < c.W; x += 2 * n) b.AddPolygon(Diamond(x, y, d, d));
  c.Clip(b.Build());
}
void RevealDiamondOutFromCentre(const TEffectCanvas& c) { c.Clip(TRegion::Polygon(Diamond(Half(c.W), Half(c.H), c.ProgW, c.ProgH))); }
void RevealDiamondInToCentre(const TEffectCanvas& c) {
  const TRegion d = TRegion::Polygon(Diamond(Half(c.W), Half(c.H), c.W - c.ProgW, c.H - c.ProgH));
  c.Clip(TRegion::Rect(0, 0, c.W, c.H).Subtract(d));
}
void DiagonalBoxOut(const TEffectCanvas& c) {
  const int W = c.W, H = c.H, cx = Half(W), cy = Half(H), a = Half(c.ProgW), b = Half(c.ProgH);
  const TRegion outer = TRegion::Polygon({{-a, cy}, {cx, -b}, {W + a, cy}, {cx, H + b}});
  const TRegion inner = TRegion::Polygon({{a, cy}, {cx, b}, {W - a, cy}, {cx, H - b}});
  c.Clip(outer.Xor(inner));
}

}  // namespace effects
}  // namespace ky
