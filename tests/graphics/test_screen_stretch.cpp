#include <gtest/gtest.h>

#include <cmath>

#include "bitmaptestutil.h"
#include "graphics/uScreenStretch.h"
#include "platform/uRandom.h"

using namespace ky;

namespace {

// The sampling rule computed in another way: floor of ((i + 1/2) n / m - 1/2) * 64 in long
// double (exact for these sizes), clamped to the source.
int32_t Position(int i, int n, int m) {
  const long double p = std::floor(((i + 0.5L) * n / m - 0.5L) * 64.0L);
  return static_cast<int32_t>(std::clamp<long double>(p, 0, (n - 1) * 64.0L));
}

// One destination pixel straight from the two passes of the rule.
uint32_t Expected(const TBitmap32& s, int x, int y, int dw, int dh) {
  const int32_t px = Position(x, s.Width(), dw), py = Position(y, s.Height(), dh);
  const int x0 = px / 64, y0 = py / 64, fx = px % 64, fy = py % 64;
  const int x1 = std::min(x0 + 1, s.Width() - 1), y1 = std::min(y0 + 1, s.Height() - 1);
  uint32_t out = 0xFF000000u;
  for (int shift : {0, 8, 16}) {
    auto across = [&](int yy) {
      const int a = static_cast<int>((s.Pixel(x0, yy) >> shift) & 0xFF), b = static_cast<int>((s.Pixel(x1, yy) >> shift) & 0xFF);
      return (a * (64 - fx) + b * fx + 32) / 64;
    };
    out |= static_cast<uint32_t>((across(y0) * (64 - fy) + across(y1) * fy + 32) / 64) << shift;
  }
  return out;
}

}  // namespace

TEST(TScreenStretch, TwoPixelsToFourByHand) {
  TBitmap32 s(2, 1);
  s.SetPixel(0, 0, MakeColor32(0, 0, 0, 0));
  s.SetPixel(1, 0, MakeColor32(255, 255, 255, 0));
  TBitmap32 d(4, 1);
  TScreenStretch stretch;
  stretch.Draw(s, d);
  // Positions -16 (clamped to 0), 16, 48 and 80 (clamped to 64) in 1/64 pixel: 255 * 16 / 64 and
  // 255 * 48 / 64 rounded.
  const uint32_t grey[4] = {0, 64, 191, 255};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(d.Pixel(x, 0), 0xFF000000u | grey[x] * 0x010101u) << x;
}

TEST(TScreenStretch, EverySizeFollowsTheRule) {
  struct TCase {
    int sw, sh, dw, dh;
  };
  // Working sizes to screens, the same size, shrinking, one pixel, odd sizes.
  const TCase cases[] = {{640, 480, 1920, 1080}, {800, 600, 1366, 768}, {1024, 768, 1024, 768}, {97, 61, 40, 23},
                         {1, 1, 17, 9},          {5, 1, 33, 4},         {33, 17, 34, 18}};
  TRandom rnd(99);
  for (const TCase& c : cases) {
    TBitmap32 s(c.sw, c.sh);
    for (int y = 0; y < c.sh; ++y)
      for (int x = 0; x < c.sw; ++x) s.SetPixel(x, y, static_cast<TColor32>(rnd.Random(0x7FFFFFFF)) * 2 + 1);
    // Every kernel level the processor runs, whatever KYSAVER_DISABLE says.
    for (const TKernelLevel level : RunnableKernelLevels()) {
      // Written into a larger buffer, so the stride is honoured and nothing beyond the width is.
      const int stride = c.dw + 3;
      std::vector<uint32_t> out(static_cast<size_t>(stride) * c.dh, 0x12345678u);
      TScreenStretch stretch(level);
      for (int pass = 0; pass < 2; ++pass) {  // a second frame reuses the tables, not the rows
        s.SetPixel(0, 0, ~s.Pixel(0, 0));
        stretch.Draw(s, out.data(), c.dw, c.dh, stride);
        for (int y = 0; y < c.dh; ++y) {
          for (int x = 0; x < c.dw; ++x)
            ASSERT_EQ(out[static_cast<size_t>(y) * stride + x], Expected(s, x, y, c.dw, c.dh))
                << KernelLevelName(level) << " " << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh << " at " << x
                << "," << y;
          ASSERT_EQ(out[static_cast<size_t>(y) * stride + c.dw], 0x12345678u);
        }
      }
    }
  }
}

TEST(TScreenStretch, SameSizeIsTheSourceMadeOpaque) {
  TBitmap32 s(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) s.SetPixel(x, y, MakeColor32(x * 30, y * 50, x ^ y, 7));
  TBitmap32 d(7, 5);
  TScreenStretch().Draw(s, d);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(d.Pixel(x, y), s.Pixel(x, y) | 0xFF000000u);
}

TEST(TScreenStretch, RedrawingTheRowsThatReadChangedRowsGivesTheWholeDraw) {
  // Source rows a .. b change; redrawing only the destination rows RowsReading names must give
  // what a whole new draw gives, and the other rows must not be touched.
  struct TCase {
    int sw, sh, dw, dh, a, b;
  };
  const TCase cases[] = {{64, 48, 200, 150, 10, 12}, {64, 48, 200, 150, 0, 0},   {64, 48, 200, 150, 47, 47},
                         {80, 60, 30, 20, 5, 40},    {16, 9, 160, 90, 3, 3},     {16, 9, 33, 7, 8, 8}};
  TRandom rnd(5);
  for (const TCase& c : cases) {
    TBitmap32 s = kytest::Noise(c.sw, c.sh, rnd);
    TBitmap32 shown(c.dw, c.dh), whole(c.dw, c.dh);
    TScreenStretch stretch;
    stretch.Draw(s, shown);
    for (int y = c.a; y <= c.b; ++y)
      for (int x = 0; x < c.sw; ++x) s.SetPixel(x, y, ~s.Pixel(x, y));
    int first = 0, end = 0;
    TScreenStretch::RowsReading(c.a, c.b, c.sh, c.dh, first, end);
    ASSERT_LT(first, end);
    TBitmap32 before;
    before.Assign(shown);
    stretch.DrawRows(s, shown.Bits(), c.dw, c.dh, c.dw, first, end);
    TScreenStretch().Draw(s, whole);
    for (int y = 0; y < c.dh; ++y)
      for (int x = 0; x < c.dw; ++x) {
        ASSERT_EQ(shown.Pixel(x, y), whole.Pixel(x, y)) << c.sw << "x" << c.sh << " rows " << c.a << ".." << c.b << " at " << x << "," << y;
        if (y < first || y >= end) {
          ASSERT_EQ(shown.Pixel(x, y), before.Pixel(x, y));
        }
      }
  }
}

TEST(TScreenStretch, TheRowsReadingASpanAreFoundAsByLookingAtEveryRow) {
  struct TCase {
    int sh, dh;
  };
  const TCase cases[] = {{48, 150}, {60, 20}, {9, 90}, {9, 7}, {1, 5}, {5, 1}, {768, 1080}, {1080, 768}};
  TScreenStretch stretch;
  for (const TCase& c : cases)
    for (int a = 0; a < c.sh; a += 1 + c.sh / 9)
      for (int b = a; b < c.sh; b += 1 + c.sh / 7) {
        int first = 0, end = 0;
        TScreenStretch::RowsReading(a, b, c.sh, c.dh, first, end);
        int wantFirst = c.dh, wantEnd = 0;
        for (int y = 0; y < c.dh; ++y) {
          const int32_t p = TScreenStretch::SamplePosition(y, c.sh, c.dh);
          const int y0 = p >> 6, y1 = (p & 63) != 0 ? std::min(y0 + 1, c.sh - 1) : y0;
          if (y1 >= a && y0 <= b) {
            wantFirst = std::min(wantFirst, y);
            wantEnd = y + 1;
          }
        }
        ASSERT_EQ(first, wantFirst) << c.sh << " -> " << c.dh << " rows " << a << ".." << b;
        ASSERT_EQ(end, wantEnd) << c.sh << " -> " << c.dh << " rows " << a << ".." << b;
        // The same from the tables of an area, down and across.
        const TRect down = stretch.AreaReading(TRect{0, a, 1, b + 1}, 1, c.sh, 1, c.dh);
        const TRect across = stretch.AreaReading(TRect{a, 0, b + 1, 1}, c.sh, 1, c.dh, 1);
        if (wantEnd > wantFirst) {
          ASSERT_EQ(down, (TRect{0, wantFirst, 1, wantEnd})) << c.sh << " -> " << c.dh << " rows " << a << ".." << b;
          ASSERT_EQ(across, (TRect{wantFirst, 0, wantEnd, 1})) << c.sh << " -> " << c.dh << " columns " << a << ".." << b;
        } else {
          ASSERT_TRUE(down.IsEmpty());
          ASSERT_TRUE(across.IsEmpty());
        }
      }
}

TEST(TScreenStretch, RedrawingTheAreaThatReadsAChangedAreaGivesTheWholeDraw) {
  // A source rectangle changes; redrawing only the destination rectangle that reads it (rows
  // and columns found alike) gives what a whole new draw gives, and nothing else is touched.
  struct TCase {
    int sw, sh, dw, dh;
    TRect changed;
  };
  const TCase cases[] = {{64, 48, 200, 150, {10, 5, 20, 9}}, {64, 48, 200, 150, {0, 0, 1, 1}},
                         {64, 48, 200, 150, {63, 47, 64, 48}}, {80, 60, 30, 20, {5, 5, 70, 40}},
                         {16, 9, 160, 90, {3, 3, 4, 4}}, {16, 9, 33, 7, {8, 0, 16, 9}}};
  for (const TKernelLevel level : RunnableKernelLevels()) {
    TRandom rnd(9);
    for (const TCase& c : cases) {
      TBitmap32 s = kytest::Noise(c.sw, c.sh, rnd);
      TBitmap32 shown(c.dw, c.dh), whole(c.dw, c.dh);
      TScreenStretch stretch(level);
      stretch.Draw(s, shown);
      for (int y = c.changed.Top; y < c.changed.Bottom; ++y)
        for (int x = c.changed.Left; x < c.changed.Right; ++x) s.SetPixel(x, y, ~s.Pixel(x, y));
      const TRect area = stretch.AreaReading(c.changed, c.sw, c.sh, c.dw, c.dh);
      const int top = area.Top, bottom = area.Bottom, left = area.Left, right = area.Right;
      ASSERT_LT(top, bottom);
      ASSERT_LT(left, right);
      TBitmap32 before;
      before.Assign(shown);
      stretch.DrawRect(s, shown.Bits(), c.dw, c.dh, c.dw, left, top, right, bottom);
      TScreenStretch(level).Draw(s, whole);
      for (int y = 0; y < c.dh; ++y)
        for (int x = 0; x < c.dw; ++x) {
          ASSERT_EQ(shown.Pixel(x, y), whole.Pixel(x, y)) << c.sw << "x" << c.sh << " at " << x << "," << y;
          if (y < top || y >= bottom || x < left || x >= right) {
            ASSERT_EQ(shown.Pixel(x, y), before.Pixel(x, y));
          }
        }
    }
  }
}
