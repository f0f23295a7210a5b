#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>
#include <cstdlib>
#include <string>

#include "gfxTestUtil.h"
#include "graphics/uBitmap32.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uKernels.h"

using namespace ky;
using ky::kernels::KernelsFor;

namespace {

struct TDiff {
  int Max = 0;
  double Mean = 0;
};

TDiff Compare(const TBitmap32& a, const TBitmap32& b) {
  TDiff d;
  if (a.Width() != b.Width() || a.Height() != b.Height()) {
    d.Max = 9999;
    return d;
  }
  int64_t sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      for (int s = 0; s < 24; s += 8) {
        const int e = std::abs(static_cast<int>((a.Pixel(x, y) >> s) & 0xFF) - static_cast<int>((b.Pixel(x, y) >> s) & 0xFF));
        d.Max = std::max(d.Max, e);
        sum += e;
      }
  d.Mean = static_cast<double>(sum) / (3.0 * a.Width() * a.Height());
  return d;
}

// The separable Lanczos-3 resize in double precision, kernel widened by the shrink factor and
// normalised over the pixels inside the picture, with no rounding between the passes.
double LanczosExact(const TBitmap32& s, int W2, int H2, int X, int Y, int shift) {
  auto kernel = [](double x) {
    auto sinc = [](double v) { return v == 0 ? 1.0 : std::sin(M_PI * v) / (M_PI * v); };
    x = std::fabs(x);
    return x < 3 ? sinc(x) * sinc(x / 3) : 0.0;
  };
  auto weights = [&](int d, int dn, int sn, int& lo, std::vector<double>& w) {
    const double scale = static_cast<double>(dn) / sn, f = std::max(1.0, 1.0 / scale);
    const double centre = (d + 0.5) / scale, support = 3 * f;
    lo = std::max(0, static_cast<int>(std::floor(centre - support + 0.5)));
    const int hi = std::min(sn, static_cast<int>(std::floor(centre + support + 0.5)));
    w.clear();
    double sum = 0;
    for (int j = lo; j < hi; ++j) sum += w.emplace_back(kernel((j + 0.5 - centre) / f));
    for (double& v : w) v /= sum;
  };
  int xl = 0, yl = 0;
  std::vector<double> wx, wy;
  weights(X, W2, s.Width(), xl, wx);
  weights(Y, H2, s.Height(), yl, wy);
  double acc = 0;
  for (size_t j = 0; j < wy.size(); ++j)
    for (size_t i = 0; i < wx.size(); ++i)
      acc += wx[i] * wy[j] * ((s.Pixel(xl + static_cast<int>(i), yl + static_cast<int>(j)) >> shift) & 0xFF);
  return std::clamp(acc, 0.0, 255.0);
}

// Every byte value, alpha included, with runs of the extremes 0 and 255 that make sharp
// kernels ring past the ends of the range.
TBitmap32 RandomPicture(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t v = rng();
      b.SetPixel(x, y, v % 5 == 0 ? ((v & 8) ? 0xFFFFFFFFu : 0u) : rng());
    }
  return b;
}

// The resize tests run on the kernels of every level the processor runs, whatever
// KYSAVER_DISABLE says, so the narrower levels are checked on a machine with wider ones too.
std::string LevelName(const testing::TestParamInfo<TKernelLevel>& i) { return KernelLevelName(i.param); }

// The levels held to the reference kernels: every runnable one but the reference itself.
std::vector<TKernelLevel> FastLevels() {
  std::vector<TKernelLevel> levels = RunnableKernelLevels();
  levels.erase(std::remove(levels.begin(), levels.end(), TKernelLevel::Reference), levels.end());
  return levels;
}

}  // namespace

class ResizeBilinearTest : public testing::TestWithParam<TKernelLevel> {};
class StretchLanczosTest : public testing::TestWithParam<TKernelLevel> {};
class StretchFilters : public testing::TestWithParam<TKernelLevel> {};
INSTANTIATE_TEST_SUITE_P(Runnable, ResizeBilinearTest, testing::ValuesIn(RunnableKernelLevels()), LevelName);
INSTANTIATE_TEST_SUITE_P(Runnable, StretchLanczosTest, testing::ValuesIn(RunnableKernelLevels()), LevelName);
INSTANTIATE_TEST_SUITE_P(Runnable, StretchFilters, testing::ValuesIn(RunnableKernelLevels()), LevelName);
class StretchFiltersFast : public testing::TestWithParam<TKernelLevel> {};
INSTANTIATE_TEST_SUITE_P(Fast, StretchFiltersFast, testing::ValuesIn(FastLevels()), LevelName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(StretchFiltersFast);  // a machine without fast kernels

TEST_P(ResizeBilinearTest, TwoByTwoToFourByFourMatchesTheHandComputation) {
  // Red channel 0, 200 / 100, 40. xstep = ystep = 32768 / 4 = 8192, so column j and row i
  // weigh the right and lower neighbours by j / 4 and i / 4, and every value is
  // floor((a (4 - j)(4 - i) + b j (4 - i) + c (4 - j) i + d j i) / 16).
  TBitmap32 src(2, 2), dst(4, 4);
  src.SetPixel(0, 0, MakeColor32(0, 1, 0, 0));
  src.SetPixel(1, 0, MakeColor32(200, 1, 0, 0));
  src.SetPixel(0, 1, MakeColor32(100, 1, 0, 0));
  src.SetPixel(1, 1, MakeColor32(40, 1, 0, 0));
  ResizeBilinear(src, dst, KernelsFor(GetParam()));
  const int expected[4][4] = {{0, 50, 100, 150}, {25, 58, 92, 126}, {50, 67, 85, 102}, {75, 76, 77, 78}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_EQ(dst.Pixel(j, i), MakeColor32(expected[i][j], 1, 0, 255)) << j << "," << i;
}

TEST_P(ResizeBilinearTest, EdgeShapes) {
  // One row high: the second sample row has weight 0 and must not be read past the end.
  TBitmap32 row(3, 1), out(5, 2);
  row.SetPixel(0, 0, MakeColor32(0, 0, 0));
  row.SetPixel(1, 0, MakeColor32(100, 0, 0));
  row.SetPixel(2, 0, MakeColor32(200, 0, 0));
  ResizeBilinear(row, out, KernelsFor(GetParam()));
  // xstep = 2 * 32768 / 5 = 13107: positions 0, 0.4, 0.8, 1.2, 1.6 -> 0, 40, 79, 119, 159.
  const int expected[5] = {0, 39, 79, 119, 159};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(RedComponent(out.Pixel(x, y)), expected[x]) << x;
  // One column wide: nearest pixel.
  TBitmap32 col(1, 2), wide(3, 4);
  col.SetPixel(0, 0, MakeColor32(10, 0, 0, 0));
  col.SetPixel(0, 1, MakeColor32(20, 0, 0, 0));
  ResizeBilinear(col, wide, KernelsFor(GetParam()));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(wide.Pixel(x, y), MakeColor32(y < 2 ? 10 : 20, 0, 0, 255));
  // Equal sizes: a copy, made opaque.
  TBitmap32 same(2, 2);
  ResizeBilinear(col, same, KernelsFor(GetParam()));  // different size, fine
  TBitmap32 copy(1, 2);
  ResizeBilinear(col, copy, KernelsFor(GetParam()));
  EXPECT_EQ(copy.Pixel(0, 1), MakeColor32(20, 0, 0, 255));
}

TEST_P(ResizeBilinearTest, AgreesWithTheAlgorithmWrittenOut) {
  // A direct transcription of the 15-bit steps on a picture of uneven size.
  const TBitmap32 src = kytest::TestPicture(37, 23);
  TBitmap32 dst(91, 17);
  ResizeBilinear(src, dst, KernelsFor(GetParam()));
  const int W = 37, H = 23, W2 = 91, H2 = 17;
  const int xstep = ((W - 1) * 32768) / W2, ystep = ((H - 1) * 32768) / H2;
  for (int i = 0; i < H2; ++i)
    for (int j = 0; j < W2; ++j) {
      const int y0 = (i * ystep) >> 15, fy = (i * ystep) & 32767;
      const int x0 = (j * xstep) >> 15, fx = (j * xstep) & 32767;
      const int h = (fx * (32768 - fy)) >> 15, m = (fx * fy) >> 15;
      for (int s = 0; s < 24; s += 8) {
        auto p = [&](int x, int y) { return static_cast<int>((src.Pixel(x, y) >> s) & 0xFF); };
        const int v = (p(x0, y0) * (32768 - fy - h) + p(x0 + 1, y0) * h + p(x0, y0 + 1) * (fy - m) +
                       p(x0 + 1, y0 + 1) * m) >> 15;
        ASSERT_EQ(static_cast<int>((dst.Pixel(j, i) >> s) & 0xFF), v) << j << "," << i << " shift " << s;
      }
    }
}

TEST_P(ResizeBilinearTest, LargeAndShrinkingResizesAgreeWithTheAlgorithmWrittenOut) {
  // The same transcription over sizes that run the wide kernels' every width and tail: the
  // start-up enlargement of a scene, shrinks, odd widths and random pixels with every byte value.
  const struct {
    int W, H, W2, H2;
  } cases[] = {{960, 640, 1920, 1080}, {1000, 700, 333, 217}, {2, 2, 31, 9}, {301, 3, 17, 40}, {64, 64, 63, 65}};
  uint32_t seed = 99;
  for (const auto& c : cases) {
    TBitmap32 src(c.W, c.H);
    for (int y = 0; y < c.H; ++y)
      for (int x = 0; x < c.W; ++x) {
        seed = seed * 1103515245u + 12345u;
        // Mostly random bytes, with runs of the extremes 0 and 255.
        const uint32_t v = (seed >> 8) % 7 == 0 ? ((seed & 1) ? 0xFFFFFFFFu : 0u) : seed * 2654435761u;
        src.SetPixel(x, y, v);
      }
    TBitmap32 dst(c.W2, c.H2);
    ResizeBilinear(src, dst, KernelsFor(GetParam()));
    const int64_t xstep = (int64_t{c.W - 1} * 32768) / c.W2, ystep = (int64_t{c.H - 1} * 32768) / c.H2;
    for (int i = 0; i < c.H2; ++i)
      for (int j = 0; j < c.W2; ++j) {
        const int y0 = static_cast<int>((i * ystep) >> 15), fy = static_cast<int>((i * ystep) & 32767);
        const int x0 = static_cast<int>((j * xstep) >> 15), fx = static_cast<int>((j * xstep) & 32767);
        const int y1 = std::min(y0 + 1, c.H - 1);
        const int h = (fx * (32768 - fy)) >> 15, m = (fx * fy) >> 15;
        uint32_t expected = 0xFF000000u;
        for (int s = 0; s < 24; s += 8) {
          auto p = [&](int x, int y) { return static_cast<int>((src.Pixel(x, y) >> s) & 0xFF); };
          const int v = (p(x0, y0) * (32768 - fy - h) + p(x0 + 1, y0) * h + p(x0, y1) * (fy - m) +
                         p(x0 + 1, y1) * m) >> 15;
          expected |= static_cast<uint32_t>(v) << s;
        }
        ASSERT_EQ(dst.Pixel(j, i), expected) << c.W << "x" << c.H << " -> " << c.W2 << "x" << c.H2 << " at " << j
                                             << "," << i;
      }
  }
}

TEST_P(StretchLanczosTest, AgreesWithImageMagick) {
  if (!kytest::HaveProgram("convert")) GTEST_SKIP() << "ImageMagick is not installed";
  kytest::TTempDir dir;
  TBitmap32 src = kytest::TestPicture(64, 48, 3);
  kytest::WritePpm(src, dir.File("in.ppm"));
  // Shrinking by uneven factors and enlarging.
  const struct {
    int W, H;
  } sizes[] = {{29, 21}, {150, 100}, {64, 20}};
  for (const auto& s : sizes) {
    const std::string out = dir.File("out" + std::to_string(s.W) + ".ppm");
    ASSERT_EQ(kytest::Shell("MAGICK_THREAD_LIMIT=1 convert " + dir.File("in.ppm") + " -filter Lanczos -resize " +
                            std::to_string(s.W) + "x" + std::to_string(s.H) + "! " + out),
              0);
    TBitmap32 reference;
    ASSERT_TRUE(kytest::ReadPpm(out, reference));
    TBitmap32 dst(s.W, s.H);
    StretchLanczos(src, dst, KernelsFor(GetParam()));
    EXPECT_EQ(src.StretchFilter(), sfLanczos);
    EXPECT_EQ(dst.StretchFilter(), sfLanczos);
    // ImageMagick keeps 16 bits between its two passes, we keep 8: a level or two at edges.
    // ImageMagick clamps to 0 .. 65535 between its two passes, which shifts a few ringing
    // pixels next to hard edges by up to 3 levels; elsewhere the two agree to a level.
    const TDiff d = Compare(dst, reference);
    EXPECT_LE(d.Max, 3) << s.W << "x" << s.H << " mean " << d.Mean;
    EXPECT_LE(d.Mean, 0.5) << s.W << "x" << s.H;
    // Against the exact computation: correctly rounded but for the fixed-point weights.
    double worst = 0;
    for (int y = 0; y < s.H; ++y)
      for (int x = 0; x < s.W; ++x)
        for (int shift = 0; shift < 24; shift += 8)
          worst = std::max(worst, std::fabs(((dst.Pixel(x, y) >> shift) & 0xFF) - LanczosExact(src, s.W, s.H, x, y, shift)));
    EXPECT_LE(worst, 1.0) << s.W << "x" << s.H;
  }
}

TEST_P(StretchLanczosTest, AgreesWithTheExactComputation) {
  // Spans long enough for the widest vector steps, with odd tails, shrinking and enlarging.
  const TBitmap32 src = kytest::TestPicture(203, 91, 5);
  const struct {
    int W, H;
  } sizes[] = {{61, 37}, {333, 101}, {203, 45}, {17, 200}};
  for (const auto& s : sizes) {
    TBitmap32 source;
    source.Assign(src);
    TBitmap32 dst(s.W, s.H);
    StretchLanczos(source, dst, KernelsFor(GetParam()));
    double worst = 0;
    for (int y = 0; y < s.H; ++y)
      for (int x = 0; x < s.W; ++x)
        for (int shift = 0; shift < 24; shift += 8)
          worst = std::max(worst, std::fabs(((dst.Pixel(x, y) >> shift) & 0xFF) - LanczosExact(src, s.W, s.H, x, y, shift)));
    EXPECT_LE(worst, 1.0) << s.W << "x" << s.H;
  }
}

TEST_P(StretchFiltersFast, KernelFiltersGiveTheBytesOfTheReferenceKernels) {
  const struct {
    int W, H, W2, H2;
  } cases[] = {{97, 61, 31, 23}, {40, 30, 257, 71}, {300, 7, 299, 9}, {5, 90, 3, 41}, {64, 64, 1, 1}};
  const TDrawMode modes[] = {dmOpaque, dmBlend};
  uint32_t seed = 7;
  for (const TStretchFilter f : {sfLinear, sfCosine, sfSpline, sfLanczos, sfMitchell})
    for (const auto& c : cases)
      for (const TDrawMode mode : modes) {
        TBitmap32 src = RandomPicture(c.W, c.H, ++seed);
        src.SetStretchFilter(f);
        src.SetDrawMode(mode);
        src.SetMasterAlpha(200);
        const TBitmap32 background = RandomPicture(c.W2, c.H2, ++seed);
        TBitmap32 expected, actual;
        expected.Assign(background);
        actual.Assign(background);
        expected.Draw(expected.BoundsRect(), src.BoundsRect(), src, kernels::ReferenceKernels());
        actual.Draw(actual.BoundsRect(), src.BoundsRect(), src, KernelsFor(GetParam()));
        for (int y = 0; y < c.H2; ++y)
          for (int x = 0; x < c.W2; ++x)
            ASSERT_EQ(actual.Pixel(x, y), expected.Pixel(x, y))
                << "filter " << f << " mode " << mode << " " << c.W << "x" << c.H << " -> " << c.W2 << "x" << c.H2
                << " at " << x << "," << y;
      }
}

TEST_P(StretchFilters, KernelFiltersKeepAFlatPictureFlat) {
  TBitmap32 flat(31, 17);
  flat.Clear(MakeColor32(13, 200, 255, 77));
  for (const TStretchFilter f : {sfLinear, sfCosine, sfSpline, sfLanczos, sfMitchell, sfDraft, sfNearest}) {
    flat.SetStretchFilter(f);
    for (const auto& size : {std::pair{7, 5}, std::pair{100, 3}, std::pair{31, 40}}) {
      TBitmap32 dst(size.first, size.second);
      dst.Draw(dst.BoundsRect(), flat.BoundsRect(), flat, KernelsFor(GetParam()));
      for (int y = 0; y < dst.Height(); ++y)
        for (int x = 0; x < dst.Width(); ++x)
          ASSERT_EQ(dst.Pixel(x, y), MakeColor32(13, 200, 255, 77)) << "filter " << f << " at " << x << "," << y;
    }
  }
}

TEST_P(StretchFilters, ClippedKernelDrawIsThePartOfTheWholeDraw) {
  const TBitmap32 src = kytest::TestPicture(50, 40, 9);
  TBitmap32 srcL;
  srcL.Assign(src);
  srcL.SetStretchFilter(sfLanczos);
  TBitmap32 whole(70, 30);
  whole.Draw(whole.BoundsRect(), srcL.BoundsRect(), srcL, KernelsFor(GetParam()));
  // The same destination rectangle, but placed so that only a part is on the surface.
  TBitmap32 part(40, 20);
  part.Draw(TRect{-20, -5, 50, 25}, srcL.BoundsRect(), srcL, KernelsFor(GetParam()));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(part.Pixel(x, y), whole.Pixel(x + 20, y + 5)) << x << "," << y;
  // Blended drawing goes through the same resampler: at master alpha 255 it equals the
  // opaque result for an opaque source.
  srcL.SetDrawMode(dmBlend);
  TBitmap32 blended(70, 30);
  blended.Draw(blended.BoundsRect(), srcL.BoundsRect(), srcL, KernelsFor(GetParam()));
  EXPECT_EQ(Compare(blended, whole).Max, 0);
}
