#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EffectFixture.h"
#include "saver/effects/uEffectBuilders.h"
#include "saver/effects/uEffectDraw.h"

using namespace ky;
using kytest::kBlack;

namespace {

// A one-row frame holding the values given (as blue bytes, alpha 255).
TBitmap32 Row(const std::vector<int>& values) {
  TBitmap32 b(static_cast<int>(values.size()), 1);
  for (size_t i = 0; i < values.size(); ++i) b.SetPixel(static_cast<int>(i), 0, MakeColor32(0, 0, values[i]));
  return b;
}

std::vector<int> Values(const TBitmap32& b, int y = 0) {
  std::vector<int> v;
  for (int x = 0; x < b.Width(); ++x) v.push_back(BlueComponent(b.Pixel(x, y)));
  return v;
}

TBitmap32 Column(const std::vector<int>& values) {
  TBitmap32 b(1, static_cast<int>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) b.SetPixel(0, static_cast<int>(i), MakeColor32(0, 0, values[i]));
  return b;
}

std::vector<int> ColumnValues(const TBitmap32& b) {
  std::vector<int> v;
  for (int y = 0; y < b.Height(); ++y) v.push_back(BlueComponent(b.Pixel(0, y)));
  return v;
}

}  // namespace

// ---- copy

TEST(CopyBlock, ClipsToDestinationAndSource) {
  const TBitmap32 src = Row({1, 2, 3, 4});
  TBitmap32 dest = Row({0, 0, 0, 0, 0});
  CopyBlock(dest, -2, 0, 4, 1, src, 0, 0);  // the two left source pixels fall off the frame
  EXPECT_EQ(Values(dest), (std::vector<int>{3, 4, 0, 0, 0}));
  dest = Row({0, 0, 0, 0, 0});
  CopyBlock(dest, 1, 0, 9, 1, src, 2, 0);  // only two source pixels exist from x = 2
  EXPECT_EQ(Values(dest), (std::vector<int>{0, 3, 4, 0, 0}));
  dest = Row({0, 0, 0, 0, 0});
  CopyBlock(dest, 0, 0, 3, 1, src, -1, 0);  // the source starts left of its frame
  EXPECT_EQ(Values(dest), (std::vector<int>{0, 1, 2, 0, 0}));
  CopyBlock(dest, 0, 0, 0, 1, src, 0, 0);
  CopyBlock(dest, 0, 0, 2, -1, src, 0, 0);
  EXPECT_EQ(Values(dest), (std::vector<int>{0, 1, 2, 0, 0}));
}

TEST(CopyBlock, OverlappingCopyWithinOneFrame) {
  TBitmap32 b = Row({1, 2, 3, 4});
  CopyBlock(b, 1, 0, 3, 1, b, 0, 0);
  EXPECT_EQ(Values(b), (std::vector<int>{1, 1, 2, 3}));
  b = Row({1, 2, 3, 4});
  CopyBlock(b, 0, 0, 3, 1, b, 1, 0);
  EXPECT_EQ(Values(b), (std::vector<int>{2, 3, 4, 4}));
  TBitmap32 c = Column({1, 2, 3, 4});
  CopyBlock(c, 0, 1, 1, 3, c, 0, 0);
  EXPECT_EQ(ColumnValues(c), (std::vector<int>{1, 1, 2, 3}));
  c = Column({1, 2, 3, 4});
  CopyBlock(c, 0, 0, 1, 3, c, 0, 1);
  EXPECT_EQ(ColumnValues(c), (std::vector<int>{2, 3, 4, 4}));
}

// ---- stretch

TEST(StretchBlock, NearestPixelByCentres) {
  struct TCase {
    std::vector<int> Src;
    int X, CW, SX, SW;
    std::vector<int> Expected;
  };
  const TCase cases[] = {
      // Enlarging 2 -> 4: centres 0.25, 0.75, 1.25, 1.75 source pixels.
      {{10, 20}, 0, 4, 0, 2, {10, 10, 20, 20}},
      // Shrinking 4 -> 2: centres 1 and 3.
      {{10, 20, 30, 40}, 0, 2, 0, 4, {20, 40, 0, 0}},
      // 3 -> 5: floor((2i + 1) * 3 / 10) = 0, 0, 1, 2, 2.
      {{10, 20, 30}, 0, 5, 0, 3, {10, 10, 20, 30, 30}},
      // Same size: a copy.
      {{10, 20, 30}, 1, 3, 0, 3, {0, 10, 20, 30, 0}},
      // Negative width mirrors: columns 3, 2, 1, 0 take source 0, 1, 2, 3.
      {{10, 20, 30, 40}, 3, -4, 0, 4, {40, 30, 20, 10, 0}},
      // Mirrored and cut by the frame's left edge: columns 1, 0, (-1) take 0, 1, (2).
      {{10, 20, 30}, 1, -3, 0, 3, {20, 10, 0, 0, 0}},
      // Destination partly off the frame keeps its mapping: 2 -> 6 from x = -3.
      {{10, 20}, -3, 6, 0, 2, {20, 20, 20, 0, 0}},
      // A source block reaching past its frame: those destination pixels stay.
      {{10, 20}, 0, 4, 1, 2, {20, 20, 0, 0}},
      // Nothing for empty sizes.
      {{10, 20}, 0, 0, 0, 2, {0, 0, 0}},
      {{10, 20}, 0, 3, 0, 0, {0, 0, 0}},
  };
  for (const TCase& c : cases) {
    const TBitmap32 src = Row(c.Src);
    TBitmap32 dest = Row(std::vector<int>(c.Expected.size(), 0));
    StretchBlock(dest, c.X, 0, c.CW, 1, src, c.SX, 0, c.SW, 1);
    EXPECT_EQ(Values(dest), c.Expected) << "x " << c.X << " cw " << c.CW << " sx " << c.SX << " sw " << c.SW;
  }
}

TEST(StretchBlock, RowsMirrorAndRepeat) {
  const TBitmap32 src = Column({10, 20, 30});
  TBitmap32 dest = Column({0, 0, 0, 0, 0, 0});
  StretchBlock(dest, 0, 0, 1, 6, src, 0, 0, 1, 3);
  EXPECT_EQ(ColumnValues(dest), (std::vector<int>{10, 10, 20, 20, 30, 30}));
  dest = Column({0, 0, 0, 0});
  StretchBlock(dest, 0, 2, 1, -3, src, 0, 0, 1, 3);
  EXPECT_EQ(ColumnValues(dest), (std::vector<int>{30, 20, 10, 0}));
}

TEST(StretchBlock, OntoItselfReadsTheOldPixels) {
  // Squeezing a row into its right half: each destination pixel reads the source as it was.
  TBitmap32 b = Row({1, 2, 3, 4, 5, 6});
  StretchBlock(b, 3, 0, 3, 1, b, 0, 0, 6, 1);
  EXPECT_EQ(Values(b), (std::vector<int>{1, 2, 3, 2, 4, 6}));
  // Enlarging the middle over the whole row.
  b = Row({1, 2, 3, 4, 5, 6});
  StretchBlock(b, 0, 0, 6, 1, b, 2, 0, 2, 1);
  EXPECT_EQ(Values(b), (std::vector<int>{3, 3, 3, 4, 4, 4}));
}

// ---- clip, fade

TEST(ClipCopy, CopiesOnlyTheRegionInsideTheFrame) {
  const TBitmap32 src = Row({1, 2, 3, 4, 5});
  TBitmap32 dest = Row({0, 0, 0, 0, 0});
  TRegionBuilder b;
  b.AddSpan(0, -3, 1);
  b.AddSpan(0, 3, 9);
  b.AddSpan(1, 0, 5);  // a row the frame does not have
  ClipCopy(dest, src, b.Build());
  EXPECT_EQ(Values(dest), (std::vector<int>{1, 0, 0, 4, 5}));
}

TEST(FadeBlock, ShiftsTowardsTheNewColourRoundingDown) {
  TBitmap32 dest(3, 1), src(3, 1);
  dest.SetPixel(0, 0, MakeColor32(0, 10, 0, 7));
  src.SetPixel(0, 0, MakeColor32(200, 0, 201, 99));
  dest.SetPixel(1, 0, MakeColor32(1, 2, 3));
  src.SetPixel(1, 0, MakeColor32(9, 9, 9));
  FadeBlock(dest, src, TRect{0, 0, 1, 1}, 128);
  // 0 + (128 * 200) >> 8 = 100; 10 + (128 * -10) >> 8 = 5; 0 + (128 * 201) >> 8 = 100; alpha kept.
  EXPECT_EQ(dest.Pixel(0, 0), MakeColor32(100, 5, 100, 7));
  EXPECT_EQ(dest.Pixel(1, 0), MakeColor32(1, 2, 3));  // outside the block
  FadeBlock(dest, src, TRect{1, 0, 9, 1}, 256);
  EXPECT_EQ(dest.Pixel(1, 0), MakeColor32(9, 9, 9));
}

// ---- roll shading

TEST(RollShading, OffsetsRiseToTheMiddleAndFallAfter) {
  EXPECT_TRUE(RollOffsets(0).empty());
  EXPECT_TRUE(RollOffsets(1).empty());
  EXPECT_EQ(RollOffsets(2), (std::vector<int>{-48, 0}));
  // n = 3, step 48 div 3 = 16, turning after column 2.
  EXPECT_EQ(RollOffsets(6), (std::vector<int>{-48, -32, -16, 0, -16, -32}));
  EXPECT_EQ(RollOffsets(7), (std::vector<int>{-48, -32, -16, 0, -16, -32, -48}));
  // n = 50 >= 48: d = 1, one step per column up to column 49, then down.
  const std::vector<int> o = RollOffsets(100);
  ASSERT_EQ(o.size(), 100u);
  EXPECT_EQ(o[0], -48);
  EXPECT_EQ(o[1], -47);
  EXPECT_EQ(o[49], 1);
  EXPECT_EQ(o[50], 0);
  EXPECT_EQ(o[99], -49);
  // n = 96: d = 2, so the offset changes every second column.
  const std::vector<int> p = RollOffsets(192);
  EXPECT_EQ(p[0], -48);
  EXPECT_EQ(p[1], -48);
  EXPECT_EQ(p[2], -47);
  EXPECT_EQ(p[95], -1);
  EXPECT_EQ(p[96], -2);
}

TEST(RollShading, ClampsEachColourByteAndKeepsTheFourth) {
  TBitmap32 b(4, 2);
  b.Clear(MakeColor32(20, 100, 250, 9));
  RollShading(b, 1, 2);  // offsets -48, 0 on columns 1 and 2
  EXPECT_EQ(b.Pixel(0, 1), MakeColor32(20, 100, 250, 9));
  EXPECT_EQ(b.Pixel(1, 1), MakeColor32(0, 52, 202, 9));
  EXPECT_EQ(b.Pixel(2, 0), MakeColor32(20, 100, 250, 9));
  TBitmap32 c(2, 8);
  c.Clear(MakeColor32(240, 240, 240));
  RollShading(c, 2, 6, true);  // rows 2 .. 7
  EXPECT_EQ(c.Pixel(1, 1), MakeColor32(240, 240, 240));
  EXPECT_EQ(c.Pixel(1, 2), MakeColor32(192, 192, 192));
  EXPECT_EQ(c.Pixel(0, 5), MakeColor32(240, 240, 240));
  EXPECT_EQ(c.Pixel(0, 7), MakeColor32(208, 208, 208));
  RollShading(c, 7, 6, true);  // mostly outside: only row 7 takes -48
  EXPECT_EQ(c.Pixel(0, 7), MakeColor32(160, 160, 160));
}

// ---- bars

namespace {

std::string Picture(const TRegion& r, int w, int h) {
  std::string s;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s += r.Contains(x, y) ? '#' : '.';
    s += '\n';
  }
  return s;
}

std::string BarsPicture(int W, int H, int A, int B, int kindH, int kindV) {
  TComplexRegion c;
  AddBars(c, W, H, A, B, kindH, kindV);
  return Picture(c.MakeRegion(), W, H);
}

}  // namespace

TEST(Bars, OneSidedBarsFillEvenRowsThenOdd) {
  // 8 x 5: thickness 1. From the left, A = 3: even rows up to x = 3.
  EXPECT_EQ(BarsPicture(8, 5, 3, 0, 2, 0),
            "###.....\n"
            "........\n"
            "###.....\n"
            "........\n"
            "###.....\n");
  // A = 11 > W: even rows full, odd rows 0 .. A - W = 3.
  EXPECT_EQ(BarsPicture(8, 5, 11, 0, 2, 0),
            "########\n"
            "###.....\n"
            "########\n"
            "###.....\n"
            "########\n");
  // From the right.
  EXPECT_EQ(BarsPicture(8, 3, 3, 0, 1, 0),
            ".....###\n"
            "........\n"
            ".....###\n");
  // Left then right: the odd bars come from the right.
  EXPECT_EQ(BarsPicture(8, 3, 11, 0, 4, 0),
            "########\n"
            ".....###\n"
            "########\n");
  // Right then left.
  EXPECT_EQ(BarsPicture(8, 3, 11, 0, 5, 0),
            "########\n"
            "###.....\n"
            "########\n");
  // Both sides: odd bars from the left, even bars from the right.
  EXPECT_EQ(BarsPicture(8, 4, 3, 0, 3, 0),
            ".....###\n"
            "###.....\n"
            ".....###\n"
            "###.....\n");
  // At the end every kind covers the frame.
  for (int kind = 1; kind <= 5; ++kind)
    EXPECT_EQ(BarsPicture(8, 5, kind == 3 ? 8 : 16, 0, kind, 0),
              "########\n########\n########\n########\n########\n")
        << kind;
}

TEST(Bars, VerticalBarsAndThickness) {
  // Vertical kind 1 comes from the bottom.
  EXPECT_EQ(BarsPicture(5, 4, 0, 2, 0, 1),
            ".....\n"
            ".....\n"
            "#.#.#\n"
            "#.#.#\n");
  // 100 x 120: thickness 100 div 50 + 1 = 3; the first bar holds rows 0 .. 2, the next starts at 6.
  TComplexRegion c;
  AddBars(c, 100, 120, 10, 0, 2, 0);
  const TRegion r = c.MakeRegion();
  EXPECT_TRUE(r.Contains(9, 2));
  EXPECT_FALSE(r.Contains(9, 3));
  EXPECT_FALSE(r.Contains(10, 0));
  EXPECT_TRUE(r.Contains(0, 6));
}

// ---- shreds and speckles

TEST(UnevenShreds, OneNumberPerStripAroundTheProgress) {
  // 50 x 12: strips of 1 row; l = 5, so each row reaches A - 5 + random(10).
  TRandom random(1234), check(1234);
  TComplexRegion c;
  AddUnevenShreds(c, 50, 12, 20, 0, 2, 0, random);
  const TRegion r = c.MakeRegion();
  for (int y = 0; y < 12; ++y) {
    const int reach = 20 - 5 + check.Random(10);
    EXPECT_TRUE(r.Contains(reach - 1, y)) << y;
    EXPECT_FALSE(r.Contains(reach, y)) << y;
  }
  EXPECT_EQ(random.Seed(), check.Seed());
}

TEST(UnevenShreds, StripsTakeTheRestOfTheFrameAndCompleteAtTheEnd) {
  // 1000 x 403: strips of 403 div 200 + 1 = 3 rows, each 3 + 403 mod 3 = 4 high.
  TRandom random(7);
  for (int kind = 1; kind <= 4; ++kind) {
    TComplexRegion c;
    AddUnevenShreds(c, 1000, 403, 1000, 0, kind, 0, random);
    EXPECT_EQ(c.Count(), kind == 4 ? 2u * 135 : 135u) << kind;
    EXPECT_EQ(c.MakeRegion().Intersect(TRegion::Rect(0, 0, 1000, 403)).Area(), 1000 * 403) << kind;
    const TRect& second = c.Rects()[kind == 4 ? 2 : 1];
    EXPECT_EQ(second.Top, 3);
    EXPECT_EQ(second.Bottom - second.Top, 4);
  }
}

TEST(Speckles, CellsNearTheEdgeAlwaysShow) {
  // 100 x 8, A = 20 from the left: g = 10, cell 2, count 5, l = 3. Cells 1 and 2 always show
  // (random(1) and random(2) are at most 1), cells 3 .. 5 by chance.
  TRandom random(99);
  TComplexRegion c;
  AddSpeckles(c, 100, 8, 20, 0, 2, 0, random);
  const TRegion r = c.MakeRegion();
  for (int y = 0; y < 8; ++y) {
    EXPECT_TRUE(r.Contains(23, y)) << y;
    EXPECT_FALSE(r.Contains(30, y)) << y;
  }
  // At the end there is no scatter: the whole width, in strips reaching one row past the frame.
  TComplexRegion full;
  AddSpeckles(full, 100, 8, 100, 0, 1, 0, random);
  EXPECT_EQ(full.MakeRegion().Area(), 900);
  EXPECT_EQ(full.MakeRegion().BoundsRect(), (TRect{0, 0, 100, 9}));
}

// ---- pivot

TEST(Pivot, QuarterTurnAboutAnInsidePoint) {
  TBitmap32 src(5, 5), dest(5, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) src.SetPixel(x, y, MakeColor32(x, y, 1));
  dest.Clear(kBlack);
  Pivot(dest, src, 2, 2, std::acos(-1.0) / 2);
  // (3, 2) is (1, 0) from the pivot; turned it reads (0, 1) from it: src (2, 3).
  EXPECT_EQ(dest.Pixel(3, 2), src.Pixel(2, 3));
  EXPECT_EQ(dest.Pixel(2, 0), src.Pixel(4, 2));
  EXPECT_EQ(dest.Pixel(2, 2), src.Pixel(2, 2));
  // No turn: every pixel.
  dest.Clear(kBlack);
  Pivot(dest, src, -1, -1, 0.0);
  EXPECT_EQ(kytest::FirstDifference(dest, src), "");
  // A quarter turn about a point outside the corner takes every pixel outside src.
  dest.Clear(kBlack);
  Pivot(dest, src, -1, -1, std::acos(-1.0) / 2);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(dest.Pixel(x, y), kBlack);
}

TEST(Pivot, AgreesWithThePixelByPixelRule) {
  // The rule for every pixel: rotate (x - xp, y - yp) with 16.16 sine and cosine, round down,
  // and take the source pixel when it exists.
  const int w = 23, h = 17;
  TBitmap32 src(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) src.SetPixel(x, y, MakeColor32(x, y, 9));
  const int pivots[][2] = {{-1, -1}, {-1, h}, {w, -1}, {w, h}, {5, 9}};
  for (const auto& pv : pivots)
    for (double angle : {-1.5707963267948966, -1.2, -0.3, 0.01, 0.7, 1.5707963267948966, 2.5}) {
      TBitmap32 dest(w, h);
      dest.Clear(kBlack);
      Pivot(dest, src, pv[0], pv[1], angle);
      const int64_t S = std::llround(std::sin(angle) * 65536.0), C = std::llround(std::cos(angle) * 65536.0);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const int64_t dx = x - pv[0], dy = y - pv[1];
          const int64_t X = dx * C - dy * S, Y = dx * S + dy * C;
          const int64_t sx = pv[0] + (X >= 0 ? X / 65536 : -((-X + 65535) / 65536));
          const int64_t sy = pv[1] + (Y >= 0 ? Y / 65536 : -((-Y + 65535) / 65536));
          const TColor32 expected =
              sx >= 0 && sx < w && sy >= 0 && sy < h ? src.Pixel(static_cast<int>(sx), static_cast<int>(sy)) : kBlack;
          ASSERT_EQ(dest.Pixel(x, y), expected) << pv[0] << "," << pv[1] << " angle " << angle << " at " << x << "," << y;
        }
    }
}
