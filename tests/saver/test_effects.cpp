#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "EffectFixture.h"
#include "saver/effects/PSEffect.h"

using namespace ky;
using kytest::FillBlack;
using kytest::FillOldPattern;
using kytest::FillPattern;
using kytest::FirstDifference;
using kytest::kBlack;
using kytest::OldPatternPixel;
using kytest::PatternPixel;

namespace {

constexpr int kW = 64, kH = 48;

// One frame of effect at percent from old black to the pattern.
TBitmap32 Frame(int effect, int percent, uint32_t seed = 12345) {
  TBitmap32 from, to, mix;
  FillBlack(from, kW, kH);
  FillPattern(to, kW, kH);
  TRandom random(seed);
  TransitionStep(from, to, mix, effect, percent, random);
  return mix;
}

// The same from the second old pattern, for effects that move the old picture.
TBitmap32 FrameFromPattern(int effect, int percent) {
  TBitmap32 from, to, mix;
  FillOldPattern(from, kW, kH);
  FillPattern(to, kW, kH);
  TRandom random(1);
  TransitionStep(from, to, mix, effect, percent, random);
  return mix;
}

TBitmap32 OldFrame() {
  TBitmap32 b;
  FillBlack(b, kW, kH);
  return b;
}

TBitmap32 NewFrame() {
  TBitmap32 b;
  FillPattern(b, kW, kH);
  return b;
}

// The effects that already draw at 0 %, and why the drawing rules make them do so.
const std::map<int, const char*> kDrawAtStart = {
    {19, "the next strip of the new picture is stretched over the whole unrevealed part"},
    {20, "the next strip of the new picture is stretched over the whole unrevealed part"},
    {36, "the next band of the new picture is stretched over the whole unrevealed part"},
    {37, "the next band of the new picture is stretched over the whole unrevealed part"},
    {68, "shred ends scatter by up to a tenth of the frame around the progress"},
    {69, "shred ends scatter by up to a tenth of the frame around the progress"},
    {70, "shred ends scatter by up to a tenth of the frame around the progress"},
    {71, "shred ends scatter by up to a tenth of the frame around the progress"},
    {79, "shred ends scatter by up to a tenth of the frame around the progress"},
    {80, "shred ends scatter by up to a tenth of the frame around the progress"},
    {81, "shred ends scatter by up to a tenth of the frame around the progress"},
    {82, "shred ends scatter by up to a tenth of the frame around the progress"},
    {103, "shred ends scatter by up to a tenth of the frame around the progress"},
    {104, "shred ends scatter by up to a tenth of the frame around the progress"},
    {105, "shred ends scatter by up to a tenth of the frame around the progress"},
    {106, "shred ends scatter by up to a tenth of the frame around the progress"},
    {107, "shred ends scatter by up to a tenth of the frame around the progress"},
    {108, "shred ends scatter by up to a tenth of the frame around the progress"},
    {109, "shred ends scatter by up to a tenth of the frame around the progress"},
    {110, "shred ends scatter by up to a tenth of the frame around the progress"},
    {111, "shred ends scatter by up to a tenth of the frame around the progress"},
    {112, "shred ends scatter by up to a tenth of the frame around the progress"},
    {125, "the speckle cells next to the (empty) solid part always show"},
    {126, "the speckle cells next to the (empty) solid part always show"},
    {127, "the speckle cells next to the (empty) solid part always show"},
    {128, "the speckle cells next to the (empty) solid part always show"},
};

// The effects that do not leave exactly the new picture at 100 % on a 64 x 48 frame, and why.
const std::map<int, const char*> kIncompleteAtEnd = {
    {163, "the zigzag's 12 points reach only 11 * (H div 10) = 44 of the 48 rows"},
};

}  // namespace

TEST(EffectTable, NumbersAndNames) {
  std::set<std::string> names;
  for (int n = 1; n <= kTransitionEffectCount; ++n) {
    const TEffectInfo* e = FindTransitionEffect(n);
    ASSERT_NE(e, nullptr) << n;
    EXPECT_EQ(e->Number, n);
    EXPECT_NE(e->Proc, nullptr) << n;
    EXPECT_STRNE(e->Name, "") << n;
    names.insert(e->Name);
  }
  EXPECT_EQ(names.size(), 169u);
  EXPECT_EQ(FindTransitionEffect(0), nullptr);
  EXPECT_EQ(FindTransitionEffect(170), nullptr);
  EXPECT_STREQ(TransitionEffectName(0), "");
  const std::map<int, std::string> spots = {
      {1, "Fade"},
      {2, "Pixelate"},
      {3, "Dissolve"},
      {29, "Expand in to middle (horiz)"},
      {32, "Slide in from top / bottom"},
      {61, "Curved Reveal from left"},
      {83, "Curved reveal from top left"},
      {119, "Starburst clockwise from center"},
      {136, "Push and sqeeze down"},
      {137, "Push and sqeeze up"},
      {140, "Uneven blind from left"},
      {167, "Diagonal Box Out"},
      {169, "Random Bars Vertical"},
  };
  for (const auto& [n, name] : spots) EXPECT_EQ(TransitionEffectName(n), name) << n;
}

TEST(EffectTable, EveryEffectAtZeroPercentLeavesTheOldPicture) {
  const TBitmap32 old = OldFrame();
  for (int n = 1; n <= kTransitionEffectCount; ++n) {
    const std::string diff = FirstDifference(Frame(n, 0), old);
    if (kDrawAtStart.count(n))
      EXPECT_NE(diff, "") << "effect " << n << " was listed as drawing at 0 %: " << kDrawAtStart.at(n);
    else
      EXPECT_EQ(diff, "") << "effect " << n << " " << TransitionEffectName(n) << " drew at 0 %";
  }
}

TEST(EffectTable, EveryEffectAtHundredPercentLeavesTheNewPicture) {
  const TBitmap32 fresh = NewFrame();
  for (int n = 1; n <= kTransitionEffectCount; ++n) {
    const std::string diff = FirstDifference(Frame(n, 100), fresh);
    if (kIncompleteAtEnd.count(n))
      EXPECT_NE(diff, "") << "effect " << n << " was listed as incomplete: " << kIncompleteAtEnd.at(n);
    else
      EXPECT_EQ(diff, "") << "effect " << n << " " << TransitionEffectName(n) << " differs at 100 % at " << diff;
  }
}

TEST(EffectTable, EveryEffectDrawsOnlyOldOrNewPixelsHalfway) {
  // Apart from the fades, the pixelate blend and the shaded rolls, an effect only moves pixels.
  const std::set<int> mixing = {1, 2, 17, 18, 34, 35};
  for (int n = 1; n <= kTransitionEffectCount; ++n) {
    if (mixing.count(n)) continue;
    const TBitmap32 f = Frame(n, 50);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const TColor32 c = f.Pixel(x, y);
        if (c == kBlack) continue;
        // Every pattern colour is (16 + 3x, 16 + 4y, ...): it must be one of the new picture's.
        const int px = (RedComponent(c) - 16) / 3, py = (GreenComponent(c) - 16) / 4;
        ASSERT_TRUE(px >= 0 && px < kW && py >= 0 && py < kH && PatternPixel(px, py) == c)
            << "effect " << n << " at (" << x << ", " << y << ")";
      }
  }
}

TEST(EffectTable, TinyAndOddFramesOnlyEverShowOldOrNewPixels) {
  // Frames down to one pixel, where halves and tenths become 0: no effect may read or write
  // outside the frames (the sanitizer build watches) or show a colour that is neither the old
  // picture's nor one of the new picture's.
  const std::set<int> mixing = {1, 2, 17, 18, 34, 35};
  const int sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {3, 2}, {13, 11}, {2, 41}};
  for (const auto& size : sizes) {
    const int w = size[0], h = size[1];
    TBitmap32 from, to, mix;
    FillBlack(from, w, h);
    FillPattern(to, w, h);
    TRandom random(9);
    for (int n = 1; n <= kTransitionEffectCount; ++n)
      for (int p : {0, 1, 33, 50, 99, 100}) {
        TransitionStep(from, to, mix, n, p, random);
        if (mixing.count(n)) continue;
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            const TColor32 c = mix.Pixel(x, y);
            const int px = (RedComponent(c) - 16) / 3, py = (GreenComponent(c) - 16) / 4;
            ASSERT_TRUE(c == kBlack || (px >= 0 && px < w && py >= 0 && py < h && PatternPixel(px, py) == c))
                << "effect " << n << " at " << p << " % on " << w << "x" << h << " at (" << x << ", " << y << ")";
          }
      }
  }
}

TEST(EffectTable, EffectHundredFortyDrawsNothingAtZero) {
  EXPECT_EQ(FirstDifference(Frame(140, 0), OldFrame()), "");
}

TEST(Fade, HundredPercentIsExactlyTheNewPicture) {
  EXPECT_EQ(FirstDifference(Frame(1, 100), NewFrame()), "");
  // 99 % is not: alpha 253 leaves most channels short of the new value.
  EXPECT_NE(FirstDifference(Frame(1, 99), NewFrame()), "");
}

TEST(Fade, HalfwayGoldenPixels) {
  // alpha = MulDiv(256, 50, 100) = 128; from black each channel becomes (128 * new) >> 8.
  const TBitmap32 f = Frame(1, 50);
  // New (0, 0) = (16, 16, 128) -> (8, 8, 64); new (63, 47) = (205, 204, 174) -> (102, 102, 87).
  EXPECT_EQ(f.Pixel(0, 0), MakeColor32(8, 8, 64));
  EXPECT_EQ(f.Pixel(63, 47), MakeColor32(102, 102, 87));
}

// ---- golden pixels worked out by hand from the drawing rules, 64 x 48

TEST(Golden, SlideInFromRight) {
  // 25 %: w = 16. copy(48, 0, 64, 48 <- 0, 0): columns 48 .. 63 show new columns 0 .. 15.
  const TBitmap32 f = Frame(6, 25);
  EXPECT_EQ(f.Pixel(48, 5), PatternPixel(0, 5));
  EXPECT_EQ(f.Pixel(63, 47), PatternPixel(15, 47));
  EXPECT_EQ(f.Pixel(47, 0), kBlack);
  EXPECT_EQ(f.Pixel(0, 20), kBlack);
}

TEST(Golden, RevealOutFromMiddle) {
  // 50 %: w = 32, band from half(64 - 32) = 16: columns 16 .. 47 in place.
  const TBitmap32 f = Frame(14, 50);
  for (int y : {0, 23, 47}) {
    EXPECT_EQ(f.Pixel(15, y), kBlack);
    EXPECT_EQ(f.Pixel(16, y), PatternPixel(16, y));
    EXPECT_EQ(f.Pixel(47, y), PatternPixel(47, y));
    EXPECT_EQ(f.Pixel(48, y), kBlack);
  }
  // 25 %: w = 16, band 24 .. 39.
  const TBitmap32 q = Frame(14, 25);
  EXPECT_EQ(q.Pixel(23, 9), kBlack);
  EXPECT_EQ(q.Pixel(24, 9), PatternPixel(24, 9));
  EXPECT_EQ(q.Pixel(39, 9), PatternPixel(39, 9));
  EXPECT_EQ(q.Pixel(40, 9), kBlack);
}

TEST(Golden, RevealFromTopLeft) {
  // 30 %: w = MulDiv(64, 30, 100) = 19 (19.2), h = MulDiv(19, 48, 64) = 14 (14.25).
  const TBitmap32 f = Frame(46, 30);
  EXPECT_EQ(f.Pixel(0, 0), PatternPixel(0, 0));
  EXPECT_EQ(f.Pixel(18, 13), PatternPixel(18, 13));
  EXPECT_EQ(f.Pixel(19, 0), kBlack);
  EXPECT_EQ(f.Pixel(0, 14), kBlack);
}

TEST(Golden, PushRight) {
  // 25 %: w = 16. The old frame moves right by 16; new columns 48 .. 63 enter at the left.
  const TBitmap32 f = FrameFromPattern(130, 25);
  EXPECT_EQ(f.Pixel(16, 3), OldPatternPixel(0, 3));
  EXPECT_EQ(f.Pixel(63, 40), OldPatternPixel(47, 40));
  EXPECT_EQ(f.Pixel(0, 3), PatternPixel(48, 3));
  EXPECT_EQ(f.Pixel(15, 47), PatternPixel(63, 47));
}

TEST(Golden, BlindVertically) {
  // n = 64 div 40 + 1 = 2, blinds every 4 columns around x + 2.
  struct TCase {
    int Percent;
    std::string Columns;  // columns 0 .. 11: 'N' new, '.' old
  };
  const TCase cases[] = {
      {0, "............"},
      {20, "............"},  // a = MulDiv(2, 20, 100) = 0 (0.4)
      {25, ".NN..NN..NN."},  // a = 1 (0.5 rounds away from zero): columns x + 1 .. x + 2
      {50, ".NN..NN..NN."},
      {74, ".NN..NN..NN."},  // a = 1 (1.48)
      {75, "NNNNNNNNNNNN"},  // a = 2: columns x .. x + 3
  };
  for (const TCase& c : cases) {
    const TBitmap32 f = Frame(138, c.Percent);
    std::string got;
    for (int x = 0; x < 12; ++x) got += f.Pixel(x, 30) == kBlack ? '.' : 'N';
    EXPECT_EQ(got, c.Columns) << c.Percent << " %";
  }
}

TEST(Golden, UnrollFromLeft) {
  // 50 %: w = 32, strip s = 64 div 10 = 6. Columns 0 .. 31 new in place; columns 32 .. 37 show
  // new columns 43 .. 38 (mirrored) shaded by -48, -32, -16, 0, -16, -32.
  const TBitmap32 f = Frame(17, 50);
  auto shaded = [](int x, int y, int o) {
    const TColor32 c = PatternPixel(x, y);
    auto ch = [o](int v) { return std::min(255, std::max(0, v + o)); };
    return MakeColor32(ch(RedComponent(c)), ch(GreenComponent(c)), ch(BlueComponent(c)));
  };
  EXPECT_EQ(f.Pixel(31, 10), PatternPixel(31, 10));
  EXPECT_EQ(f.Pixel(32, 10), shaded(43, 10, -48));
  EXPECT_EQ(f.Pixel(33, 10), shaded(42, 10, -32));
  EXPECT_EQ(f.Pixel(35, 10), PatternPixel(40, 10));
  EXPECT_EQ(f.Pixel(37, 0), shaded(38, 0, -32));
  EXPECT_EQ(f.Pixel(38, 10), kBlack);
}

TEST(Golden, RevealDiamondOutFromCentre) {
  // 25 %: w = 16, h = 12; the diamond (16, 24), (32, 12), (48, 24), (32, 36). Row 24 spans
  // 16 <= x < 48; row 18 has the edges at x = 24 and x = 40; on row 12 both edges cross at
  // x = 32, an empty span, while row 13 spans ceil(30.67) .. ceil(33.33) = 31 .. 33, as does
  // row 35; row 36 is past the bottom point.
  const TBitmap32 f = Frame(165, 25);
  EXPECT_EQ(f.Pixel(15, 24), kBlack);
  EXPECT_EQ(f.Pixel(16, 24), PatternPixel(16, 24));
  EXPECT_EQ(f.Pixel(47, 24), PatternPixel(47, 24));
  EXPECT_EQ(f.Pixel(48, 24), kBlack);
  EXPECT_EQ(f.Pixel(23, 18), kBlack);
  EXPECT_EQ(f.Pixel(24, 18), PatternPixel(24, 18));
  EXPECT_EQ(f.Pixel(39, 18), PatternPixel(39, 18));
  EXPECT_EQ(f.Pixel(40, 18), kBlack);
  EXPECT_EQ(f.Pixel(32, 12), kBlack);
  EXPECT_EQ(f.Pixel(30, 13), kBlack);
  EXPECT_EQ(f.Pixel(31, 13), PatternPixel(31, 13));
  EXPECT_EQ(f.Pixel(33, 13), PatternPixel(33, 13));
  EXPECT_EQ(f.Pixel(34, 13), kBlack);
  EXPECT_EQ(f.Pixel(32, 35), PatternPixel(32, 35));
  EXPECT_EQ(f.Pixel(32, 36), kBlack);
}

// ---- the random effects

TEST(RandomEffects, PixelsOnlyEverAppear) {
  for (int n : {3, 129, 168, 169}) {
    std::vector<bool> shown(kW * kH, false);
    for (int p = 0; p <= 100; p += 5) {
      const TBitmap32 f = Frame(n, p, 1000 + static_cast<uint32_t>(p));  // the show's seed differs per step
      int count = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const bool isNew = f.Pixel(x, y) == PatternPixel(x, y);
          ASSERT_TRUE(isNew || f.Pixel(x, y) == kBlack) << n;
          if (shown[y * kW + x]) {
            ASSERT_TRUE(isNew) << "effect " << n << " lost (" << x << ", " << y << ") at " << p;
          }
          shown[y * kW + x] = isNew;
          count += isNew;
        }
      if (p == 0) {
        EXPECT_EQ(count, 0) << n;
      }
      if (p == 50) {
        // Roughly half, and certainly neither none nor all.
        EXPECT_GT(count, kW * kH / 4) << n;
        EXPECT_LT(count, kW * kH * 3 / 4) << n;
      }
      if (p == 100) {
        EXPECT_EQ(count, kW * kH) << n;
      }
    }
  }
}

TEST(RandomEffects, ReseedAndGiveTheGeneratorBack) {
  TBitmap32 from, to, a, b;
  FillBlack(from, kW, kH);
  FillPattern(to, kW, kH);
  for (int n : {3, 129, 168, 169}) {
    TRandom r1(1), r2(987654321);
    TransitionStep(from, to, a, n, 40, r1);
    TransitionStep(from, to, b, n, 40, r2);
    EXPECT_EQ(FirstDifference(a, b), "") << n;
    EXPECT_EQ(r1.Seed(), 1u) << n;
    EXPECT_EQ(r2.Seed(), 987654321u) << n;
  }
}

TEST(RandomEffects, RandomBarsAreWholeRowsOrColumns) {
  const TBitmap32 h = Frame(168, 50), v = Frame(169, 50);
  for (int y = 0; y < kH; ++y)
    for (int x = 1; x < kW; ++x) EXPECT_EQ(h.Pixel(x, y) == kBlack, h.Pixel(0, y) == kBlack);
  for (int x = 0; x < kW; ++x)
    for (int y = 1; y < kH; ++y) EXPECT_EQ(v.Pixel(x, y) == kBlack, v.Pixel(x, 0) == kBlack);
}

TEST(RandomEffects, DissolveDrawsInMemoryOrderFromTheBottomRow) {
  // The first number drawn after seeding with W + H decides the bottom-left pixel.
  TRandom check(kW + kH);
  const bool first = check.Random(100) < 50;
  EXPECT_EQ(Frame(3, 50).Pixel(0, kH - 1) != kBlack, first);
  // The 65th decides the second row from the bottom, first column.
  for (int i = 1; i < kW; ++i) check.Random(100);
  const bool second = check.Random(100) < 50;
  EXPECT_EQ(Frame(3, 50).Pixel(0, kH - 2) != kBlack, second);
}

TEST(RandomEffects, DissolveFollowsTheGeneratorPixelByPixel) {
  // The rule spelt out with the generator itself, on a width that is no multiple of eight.
  const int w = 67, h = 5;
  TBitmap32 from, to, mix;
  FillBlack(from, w, h);
  FillPattern(to, w, h);
  for (int p : {1, 13, 50, 99}) {
    TRandom show(42);
    TransitionStep(from, to, mix, 3, p, show);
    TRandom rule(w + h);
    for (int y = h - 1; y >= 0; --y)
      for (int x = 0; x < w; ++x) {
        const TColor32 expected = rule.Random(100) < p ? PatternPixel(x, y) : kBlack;
        ASSERT_EQ(mix.Pixel(x, y), expected) << p << " % at (" << x << ", " << y << ")";
      }
    EXPECT_EQ(show.Seed(), 42u);
  }
}

TEST(RandomEffects, ShredsDrawFromTheShowsGenerator) {
  TRandom r(5);
  TBitmap32 from, to, a, b;
  FillBlack(from, kW, kH);
  FillPattern(to, kW, kH);
  TransitionStep(from, to, a, 68, 50, r);
  EXPECT_NE(r.Seed(), 5u);  // the generator moved on
  TransitionStep(from, to, b, 68, 50, r);
  EXPECT_NE(FirstDifference(a, b), "");  // and the ragged edge changed
}

// ---- the step, the progress size and the list of effects

TEST(TransitionStep, StartsFromTheOldFrame) {
  TBitmap32 from, to, mix;
  FillOldPattern(from, kW, kH);
  FillPattern(to, kW, kH);
  mix.SetSize(3, 3);
  mix.Clear(0xFF123456u);
  TRandom random(0);
  TransitionStep(from, to, mix, 8, 0, random);
  EXPECT_EQ(FirstDifference(mix, from), "");
  EXPECT_THROW(TransitionStep(from, to, mix, 170, 50, random), std::invalid_argument);
  EXPECT_THROW(TransitionStep(from, to, mix, 0, 50, random), std::invalid_argument);
}

TEST(TransitionStep, PercentOutsideTheRangeIsKeptInside) {
  EXPECT_EQ(FirstDifference(Frame(8, 150), NewFrame()), "");
  EXPECT_EQ(FirstDifference(Frame(8, -20), OldFrame()), "");
}

TEST(TransitionStep, TallFramesToo) {
  // 48 x 64 (taller than wide): ProgH leads. Every effect still runs and completes.
  TBitmap32 from, to, mix;
  FillBlack(from, 48, 64);
  FillPattern(to, 48, 64);
  TRandom random(3);
  for (int n = 1; n <= kTransitionEffectCount; ++n) {
    TransitionStep(from, to, mix, n, 37, random);
    TransitionStep(from, to, mix, n, 100, random);
    // 162 on a tall frame is what 163 is on a wide one: its points reach 44 of the 48 columns.
    if (n != 162) {
      EXPECT_EQ(FirstDifference(mix, to), "") << n;
    }
  }
}

TEST(ComputeProgress, KeepsTheFramesProportions) {
  struct TCase {
    int W, H, P, ProgW, ProgH;
  };
  const TCase cases[] = {
      {64, 48, 0, 0, 0},     {64, 48, 25, 16, 12},  {64, 48, 30, 19, 14}, {64, 48, 100, 64, 48},
      {65, 48, 50, 33, 24},  // 32.5 rounds away from zero; 33 * 48 / 65 = 24.37
      {48, 64, 25, 12, 16},  {1920, 1080, 33, 634, 357},  // 633.6; 634 * 1080 / 1920 = 356.6
      {0, 0, 50, 0, 0},
  };
  for (const TCase& c : cases) {
    int w = -1, h = -1;
    ComputeProgress(c.W, c.H, c.P, w, h);
    EXPECT_EQ(w, c.ProgW) << c.W << "x" << c.H << " " << c.P;
    EXPECT_EQ(h, c.ProgH) << c.W << "x" << c.H << " " << c.P;
  }
}

TEST(EffectList, KeepsTheNumbersThatNameAnEffect) {
  struct TCase {
    const char* Text;
    std::vector<int> List;
  };
  const TCase cases[] = {
      {"", {1}},
      {"abc", {1}},
      {"0,170,-3", {1}},
      {"5", {5}},
      {"1,2,3", {1, 2, 3}},
      {" 12 , 7,,x,169, 170 ,3.5", {12, 7, 169}},
      {"4,4", {4, 4}},
      {",", {1}},
  };
  for (const TCase& c : cases) EXPECT_EQ(ParseTransitionEffects(c.Text), c.List) << '"' << c.Text << '"';
}

TEST(EffectList, PicksAnEntryWithTheGenerator) {
  const std::vector<int> list = {10, 20, 30};
  TRandom random(77), check(77);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(PickTransitionEffect(list, random), list[check.Random(3)]);
  EXPECT_EQ(PickTransitionEffect({}, random), 1);
}
