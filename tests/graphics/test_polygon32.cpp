#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "graphics/uPolygon32.h"

using namespace ky;

namespace {

TPolygon32 Rect(double l, double t, double r, double b) {
  TPolygon32 p;
  p.Add(FixedPoint(l, t));
  p.Add(FixedPoint(r, t));
  p.Add(FixedPoint(r, b));
  p.Add(FixedPoint(l, b));
  return p;
}

}  // namespace

TEST(Polygon32, FixedPointIs16Dot16) {
  EXPECT_EQ(Fixed(1), 0x10000);
  EXPECT_EQ(Fixed(-2), -0x20000);
  EXPECT_EQ(Fixed(2.5), 0x28000);
  EXPECT_EQ(FixedPoint(3, 4).Y, 0x40000);
}

TEST(Polygon32, AHalfCoveredPixelGetsAboutHalfTheAlpha) {
  TBitmap32 b(4, 1);
  b.Clear(MakeColor32(0, 0, 0, 255));
  const TPolygon32 p = Rect(0, 0, 2.5, 1);
  const std::vector<uint8_t> cov = p.Coverage(b.BoundsRect());
  EXPECT_EQ(cov, (std::vector<uint8_t>{64, 64, 32, 0}));
  p.Fill(b, MakeColor32(255, 255, 255, 255));
  EXPECT_EQ(b.Pixel(0, 0), MakeColor32(255, 255, 255, 255));
  EXPECT_EQ(b.Pixel(1, 0), MakeColor32(255, 255, 255, 255));
  EXPECT_NEAR(RedComponent(b.Pixel(2, 0)), 128, 1);
  EXPECT_EQ(b.Pixel(3, 0), MakeColor32(0, 0, 0, 255));
  // A quarter: a square corner over one pixel.
  EXPECT_EQ(Rect(0.5, 0.5, 3, 3).Coverage(TRect{0, 0, 1, 1}), std::vector<uint8_t>{16});
  // A diagonal half: 28 sample centres lie strictly below the diagonal, 8 on it.
  TPolygon32 tri;
  tri.Add(FixedPoint(0, 0));
  tri.Add(FixedPoint(1, 1));
  tri.Add(FixedPoint(0, 1));
  const int c = tri.Coverage(TRect{0, 0, 1, 1})[0];
  EXPECT_GE(c, 28);
  EXPECT_LE(c, 36);
}

TEST(Polygon32, TilesOfARectangleCoverEveryInsidePixelExactlyOnce) {
  // A rectangle with fractional corners, cut into triangles over a jittered grid; every tile
  // shares its edges exactly with its neighbours.
  const double L = 1.3, T = 0.7, R = 9.6, B = 7.2;
  const int nx = 5, ny = 4;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> jitter(-0.3, 0.3);
  std::vector<std::vector<TFixedPoint>> grid(ny + 1, std::vector<TFixedPoint>(nx + 1));
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i) {
      double x = L + (R - L) * i / nx, y = T + (B - T) * j / ny;
      if (i > 0 && i < nx) x += jitter(rng);
      if (j > 0 && j < ny) y += jitter(rng);
      grid[j][i] = FixedPoint(x, y);
    }
  const TRect area{0, 0, 11, 9};
  std::vector<int> sum(static_cast<size_t>(area.Width()) * area.Height(), 0);
  int tiles = 0;
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      const TFixedPoint a = grid[j][i], b = grid[j][i + 1], c = grid[j + 1][i + 1], d = grid[j + 1][i];
      for (const auto& t : {std::vector<TFixedPoint>{a, b, c}, std::vector<TFixedPoint>{a, c, d}}) {
        TPolygon32 p;
        // Alternate the winding direction too: the result must not depend on it.
        if (tiles % 2) {
          for (auto it = t.rbegin(); it != t.rend(); ++it) p.Add(*it);
        } else {
          for (const auto& q : t) p.Add(q);
        }
        ++tiles;
        const auto cov = p.Coverage(area);
        for (size_t k = 0; k < sum.size(); ++k) sum[k] += cov[k];
      }
    }
  const auto whole = Rect(L, T, R, B).Coverage(area);
  int inside = 0;
  for (int y = 0; y < area.Height(); ++y)
    for (int x = 0; x < area.Width(); ++x) {
      const size_t k = static_cast<size_t>(y) * area.Width() + x;
      EXPECT_EQ(sum[k], whole[k]) << x << "," << y;
      if (x >= 2 && x <= 8 && y >= 1 && y <= 6) {
        EXPECT_EQ(sum[k], TPolygon32::kFullCoverage) << x << "," << y;
        ++inside;
      }
    }
  EXPECT_EQ(inside, 42);
}

TEST(Polygon32, EvenOddAndWindingRules) {
  // The same square traced twice: even-odd leaves it empty, winding fills it.
  TPolygon32 p;
  for (int round = 0; round < 2; ++round) {
    p.Add(FixedPoint(1, 1));
    p.Add(FixedPoint(4, 1));
    p.Add(FixedPoint(4, 4));
    p.Add(FixedPoint(1, 4));
  }
  EXPECT_EQ(p.FillMode(), pfAlternate);
  EXPECT_EQ(p.Coverage(TRect{2, 2, 3, 3})[0], 0);
  p.SetFillMode(pfWinding);
  EXPECT_EQ(p.Coverage(TRect{2, 2, 3, 3})[0], 64);
  // A five-pointed star: its centre is outside under even-odd.
  TPolygon32 star;
  for (int i = 0; i < 5; ++i) {
    const double a = (i * 144.0 - 90.0) * 3.14159265358979 / 180.0;
    star.Add(FixedPoint(10 + 9 * std::cos(a), 10 + 9 * std::sin(a)));
  }
  EXPECT_EQ(star.Coverage(TRect{9, 9, 11, 11}), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(star.Coverage(TRect{9, 5, 11, 6}), (std::vector<uint8_t>{64, 64}));  // inside the upper point
  star.SetFillMode(pfWinding);
  EXPECT_EQ(star.Coverage(TRect{9, 9, 11, 11}), (std::vector<uint8_t>{64, 64, 64, 64}));
}

TEST(Polygon32, FillBlendsWithTheColoursAlphaAndStaysInsideTheClip) {
  TBitmap32 b(6, 6);
  const TColor32 back = MakeColor32(0, 100, 200, 255);
  b.Clear(back);
  b.SetClipRect(TRect{0, 0, 6, 3});
  // Reaches far outside the surface on three sides.
  Rect(-100, -50, 3, 100).Fill(b, MakeColor32(200, 100, 0, 128));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(b.Pixel(x, y), x < 3 && y < 3 ? MakeColor32(100, 100, 100, 255) : back) << x << "," << y;
  // Too few points: nothing.
  TPolygon32 line;
  line.Add(FixedPoint(0, 0));
  line.Add(FixedPoint(5, 5));
  line.Fill(b, 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(0, 0), MakeColor32(100, 100, 100, 255));
}
