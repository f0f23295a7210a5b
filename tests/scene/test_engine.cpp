#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "platform/uCpuFeatures.h"
#include "scene/engine/uClock.h"
#include "scene/model/uSceneObject.h"

using namespace ky;
using kytest::Id;
using kytest::TEngineScene;

TEST(WaveMath, WorkedRowValues) {
  // Height 400, F 17, phase 0: row 300 gives u 1530 (mod 360 = 90, so no displacement), row 305
  // gives Round(1453.5) = 1454 (mod 360 = 14) and Round(cos 14 deg * 6) = Round(5.82) = 6.
  EXPECT_EQ(wave::RowArgument(400, 300, 17, 0), 1530);
  EXPECT_EQ(wave::Displacement(1530, 360, 6), 0);
  EXPECT_EQ(wave::RowArgument(400, 305, 17, 0), 1454);
  EXPECT_EQ(wave::Displacement(1454, 360, 6), 6);
}

TEST(WaveMath, CycleAndNegativeArguments) {
  const auto& cosT = wave::CosTable();
  const struct {
    int64_t u;
    int32_t cycle;
    int degrees;
  } cases[] = {
      {-90, 360, 90},  {-450, 360, 90}, {-1, 360, 1},   {361, 360, 1},
      {200, 180, 20},  {400, 720, 40},  {540, 720, 180}, {-540, 720, 180},
      {370, 0, 10},    {370, -5, 10},   // a cycle of 0 or less counts as 360
  };
  for (const auto& c : cases) EXPECT_EQ(wave::CosAt(c.u, c.cycle), cosT[c.degrees]) << c.u << " mod " << c.cycle;
  EXPECT_EQ(wave::CosAt(INT32_MIN, 360), cosT[128]);  // 2^31 mod 360 = 128
}

TEST(TAnimEngine, WorkedExampleRowsOfAFrame) {
  TEngineScene s;
  s.Make(2, 400, [](int, int) { return 1; });
  s.Wave(0).Amplitude = 6;
  s.Wave(0).Frequency = 17;
  s.Start();
  s.Engine.Step();
  // Row 300: displacement 0, the pixel copies itself; row 305: displacement 6, from row 311.
  EXPECT_EQ(s.Frame(1, 300), Id(1, 300));
  EXPECT_EQ(s.Frame(1, 305), Id(1, 311));
}

TEST(TAnimEngine, ColumnDirectionsDisplacePerColumn) {
  // Height 40, row 20, F 10, phase 0: u = Round(x * 10 / 2 * 30 / 40) = 3.75 x, so columns 12, 24,
  // 36 and 48 give 45, 90, 135 and 180 degrees and displacements 4, 0, -4 and -6. Direction 1
  // uses the row value (u = 1800, displacement 6) in every column; 2 and 5 use column 48 - x.
  const struct {
    int direction, x, srcRow;
  } cases[] = {{3, 12, 24}, {3, 24, 20}, {3, 36, 16}, {3, 48, 14}, {4, 12, 24}, {4, 48, 14},
               {2, 36, 24}, {2, 0, 14},  {5, 24, 20}, {5, 12, 16}, {1, 12, 26}, {1, 36, 26},
               {0, 24, 26}, {7, 24, 26}};
  for (const auto& c : cases) {
    TEngineScene s;
    s.Make(49, 40, [](int, int) { return 1; });
    s.Wave(0).Amplitude = 6;
    s.Wave(0).Frequency = 10;
    s.Wave(0).Direction = c.direction;
    s.Start();
    s.Engine.Step();
    EXPECT_EQ(s.Frame(c.x, 20), Id(c.x, c.srcRow)) << "direction " << c.direction << " x " << c.x;
  }
}

TEST(TAnimEngine, PhaseStepAndItsSignByDirection) {
  // step = Round(PhaseSpeed * dt / 50 * speed / 100); directions 0, 4 and 5 go down.
  const struct {
    int direction, phaseSpeed, speed;
    uint32_t dt;
    int32_t phase;
  } cases[] = {
      {1, 15, 100, 50, 15},  {0, 15, 100, 50, -15}, {2, 15, 100, 50, 15}, {3, 15, 100, 50, 15},
      {4, 15, 100, 50, -15}, {5, 15, 100, 50, -15}, {6, 15, 100, 50, 15}, {-1, 15, 100, 50, 15},
      {1, 15, 100, 33, 10},  // 9.9
      {1, 15, 50, 33, 5},    // 4.95
      {1, 15, 100, 25, 8},   // 7.5 goes to the even 8
      {1, 5, 100, 25, 2},    // 2.5 goes to the even 2
      {1, 15, 0, 50, 0},     // speed 0
      {1, 15, 100, 0, 0},    // same tick
  };
  for (const auto& c : cases) {
    TEngineScene s;
    s.Make(4, 4, [](int, int) { return 1; });
    s.Wave(0).Direction = c.direction;
    s.Wave(0).PhaseSpeed = c.phaseSpeed;
    s.Project.SetSpeed(c.speed);
    s.Start();
    EXPECT_EQ(s.Engine.Phase(0), 0);
    s.Ticks.Advance(c.dt);
    s.Engine.Step();
    EXPECT_EQ(s.Engine.Phase(0), c.phase) << "direction " << c.direction << " dt " << c.dt;
  }
}

TEST(TAnimEngine, PhaseMovesTheColumnPattern) {
  // As above with PhaseSpeed 45 and one 50 ms step: column 24 (90 degrees at phase 0) goes to
  // 135 (displacement -4) for direction 3 and to 45 (displacement 4) for direction 4.
  for (const auto& [direction, srcRow] : {std::pair{3, 16}, std::pair{4, 24}}) {
    TEngineScene s;
    s.Make(49, 40, [](int, int) { return 1; });
    s.Wave(0).Amplitude = 6;
    s.Wave(0).Frequency = 10;
    s.Wave(0).PhaseSpeed = 45;
    s.Wave(0).Direction = direction;
    s.Start();
    s.Ticks.Advance(50);
    s.Engine.Step();  // drawn with phase 0, then the phase moves
    s.Engine.ResetFrame();
    s.Engine.Step();
    EXPECT_EQ(s.Frame(24, 20), Id(24, srcRow)) << direction;
  }
}

TEST(TAnimEngine, SingleRowPerspectiveRegionUsesFullAmplitudeAndAFifthOfTheFrequency) {
  // Height 10, water only in row 5, Cycle 450, Frequency 12: F = 15. With perspective the row is
  // drawn with amplitude 6 and f = 0.2 F = 3: u = 5 * 3 * 360 / 10 = 540; 540 mod 450 = 90 gives
  // no vertical displacement and 540 mod 360 = 180 a sideways one of -6 (source x + 6). Without
  // perspective u = 2700, 2700 mod 450 = 0 moves the source 6 rows down onto dry land: no change.
  for (const bool perspective : {true, false}) {
    TEngineScene s;
    s.Make(20, 10, [](int, int y) { return y == 5 ? 1 : 0; });
    s.Wave(0).Amplitude = 6;
    s.Wave(0).Frequency = 12;
    s.Wave(0).Cycle = 450;
    s.Wave(0).HorzShift = true;
    s.Wave(0).Perspective = perspective;
    s.Start();
    s.Engine.Step();
    EXPECT_EQ(s.Engine.TopRow(0), 5);
    EXPECT_EQ(s.Engine.BottomRow(0), 5);
    for (const int x : {0, 7, 13, 19}) {
      const TColor32 expected = perspective ? Id(std::min(x + 6, 19), 5) : Id(x, 5);
      EXPECT_EQ(s.Frame(x, 5), expected) << "perspective " << perspective << " x " << x;
    }
  }
}

TEST(TAnimEngine, StillWaterWithAndWithoutJitter) {
  // Animated false: without jitter every pixel copies itself. With Jitter 5 and direction 3 each
  // column shows the picture shifted down by its fixed offset (clamped at the top row); with
  // direction 1 source and destination move together, so nothing changes.
  const struct {
    int jitter, direction;
    bool shifted;
  } cases[] = {{0, 1, false}, {0, 3, false}, {5, 1, false}, {5, 3, true}};
  for (const auto& c : cases) {
    TEngineScene s;
    s.Make(16, 12, [](int, int) { return 2; });
    s.Wave(1).Animated = false;
    s.Wave(1).Jitter = c.jitter;
    s.Wave(1).Direction = c.direction;
    s.Start();
    for (int i = 0; i < 3; ++i) {
      s.Ticks.Advance(40);
      s.Engine.Step();
    }
    bool anyOffset = false;
    for (int x = 0; x < 16; ++x) {
      const int j = s.Engine.JitterAt(1, x);
      EXPECT_GE(j, 0);
      EXPECT_LT(j, std::max(c.jitter, 1));
      anyOffset |= j > 0;
      for (int y = 0; y < 12; ++y) {
        const TColor32 expected = c.shifted ? Id(x, std::max(y - j, 0)) : Id(x, y);
        ASSERT_EQ(s.Frame(x, y), expected)
            << "jitter " << c.jitter << " dir " << c.direction << " at " << x << "," << y;
      }
    }
    if (c.jitter > 0) {
      EXPECT_TRUE(anyOffset);
    }
  }
}

TEST(TAnimEngine, ReflectionMirrorsTheLandAboveTheWaterLine) {
  // Column 0 is water from row 2, columns 1 and 2 from row 4; the mirror line is just above the
  // region's first row (row 2) in every column. Still water shows the reflected picture as is.
  TEngineScene s;
  s.Make(3, 8, [](int x, int y) { return y >= (x == 0 ? 2 : 4) ? 1 : 0; });
  s.Wave(0).Animated = false;
  s.Wave(0).Reflection = true;
  s.Start();
  EXPECT_TRUE(s.Engine.HasReflection());
  EXPECT_EQ(s.Frame(0, 2), Id(0, 2));  // the plain picture until the first step
  s.Engine.Step();
  const struct {
    int x, y, srcY;
  } cases[] = {{0, 2, 1}, {0, 3, 0}, {0, 4, 4}, {0, 7, 7}, {1, 4, 4}, {2, 5, 5}, {1, 3, 3}, {2, 0, 0}};
  for (const auto& c : cases) EXPECT_EQ(s.Frame(c.x, c.y), Id(c.x, c.srcY)) << c.x << "," << c.y;
  // A region whose top is row 4 in every column mirrors rows 3, 2, 1, 0 into rows 4 to 7.
  TEngineScene t;
  t.Make(2, 8, [](int, int y) { return y >= 4 ? 3 : 0; });
  t.Wave(2).Animated = false;
  t.Wave(2).Reflection = true;
  t.Start();
  t.Engine.Step();
  for (int y = 4; y < 8; ++y) EXPECT_EQ(t.Frame(1, y), Id(1, 7 - y)) << y;
  t.Engine.ResetFrame();
  EXPECT_EQ(t.Frame(1, 4), Id(1, 4));
}

TEST(TAnimEngine, WaterNeverLeavesItsRegion) {
  // Six regions in bands and blocks, wild wave sets; after many frames every water pixel holds a
  // picture pixel of its own region and dry land is untouched.
  const int W = 64, H = 48;
  auto code = [](int x, int y) {
    if (y < 8) return 0;
    if (x < 10) return 1;
    if (x < 20) return (y / 5) % 2 ? 2 : 3;
    if (x < 40) return 4 + (x + y) % 3;  // 4, 5, 6 interleaved
    return y > 30 ? 6 : 0;
  };
  TEngineScene s;
  s.Make(W, H, code);
  const int dirs[6] = {0, 1, 2, 3, 4, 5};
  for (int i = 0; i < 8; ++i) {
    TWaveParam& w = s.Wave(i);
    w.Amplitude = 3 + 5 * i;
    w.Frequency = 7 + 11 * i;
    w.PhaseSpeed = 13 + 9 * i;
    w.Direction = dirs[i % 6];
    w.HorzShift = i % 2 == 0;
    w.Perspective = i % 3 == 0;
    w.Jitter = i % 4;
    w.Cycle = i == 5 ? 180 : 360;
  }
  s.Start();
  for (int f = 0; f < 30; ++f) {
    s.Ticks.Advance(33);
    s.Engine.Step();
  }
  int moved = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const TColor32 v = s.Frame(x, y);
      const int sx = kytest::IdX(v), sy = kytest::IdY(v);
      ASSERT_EQ(code(sx, sy), code(x, y)) << "pixel " << x << "," << y << " holds " << sx << "," << sy;
      if (code(x, y) == 0) {
        ASSERT_EQ(v, Id(x, y));
      }
      moved += v != Id(x, y);
    }
  EXPECT_GT(moved, W * H / 10);
}

TEST(TAnimEngine, CycleOfZeroIsComputedAs360) {
  TEngineScene a, b;
  for (TEngineScene* s : {&a, &b}) {
    s->Make(20, 30, [](int x, int) { return x < 10 ? 1 : 2; });
    s->Wave(1).Direction = 3;
  }
  a.Wave(0).Cycle = 0;
  a.Wave(1).Cycle = -20;
  a.Start();
  b.Start();
  for (int f = 0; f < 5; ++f) {
    a.Ticks.Advance(30);
    b.Ticks.Advance(30);
    a.Engine.Step();
    b.Engine.Step();
  }
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(a.Frame(x, y), b.Frame(x, y)) << x << "," << y;
}

TEST(TAnimEngine, DryScenesAndWaveSetsWithoutARegionChangeNothing) {
  TEngineScene s;
  s.Make(12, 9, [](int x, int) { return x < 6 ? 0 : 9; });  // code 9 is no region
  for (int i = 0; i < 8; ++i) {
    s.Wave(i).Amplitude = 40;
    s.Wave(i).Jitter = 3;
    s.Wave(i).HorzShift = true;
  }
  s.Start();
  for (int i = 0; i < 8; ++i) EXPECT_EQ(s.Engine.TopRow(i), 50000);
  s.Ticks.Advance(100);
  s.Engine.Step();
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(s.Frame(x, y), Id(x, y));
  EXPECT_EQ(&s.Engine.GetOutput(), &s.Engine.FrameSurface());
}

TEST(TAnimEngine, OutputIsTheOverlayWithTheClock) {
  TEngineScene s;
  s.Make(1024, 768, [](int, int) { return 0; });
  s.Engine.SetShowClock(true);
  s.Engine.Clock().Position = 3;
  s.Start();
  EXPECT_EQ(s.Engine.Clock().ClockWidth(), 128);
  EXPECT_EQ(s.Engine.Clock().ClockHeight(), 128);
  const TPoint p = s.Engine.Clock().GetPosition(1024, 768);
  EXPECT_EQ(p.X, 886);
  EXPECT_EQ(p.Y, 630);
  s.Engine.Step();
  TBitmap32& out = s.Engine.GetOutput();
  EXPECT_EQ(&out, &s.Engine.OverlaySurface());
  // The frame stays the picture; the overlay differs only inside the clock's square.
  int changedInside = 0;
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x) {
      ASSERT_EQ(s.Frame(x, y), Id(x, y));
      const bool inside = x >= 886 && x < 886 + 128 && y >= 630 && y < 630 + 128;
      if (!inside) ASSERT_EQ(out.Pixel(x, y), Id(x, y)) << x << "," << y;
      else changedInside += (out.Pixel(x, y) & 0xFFFFFF) != (Id(x, y) & 0xFFFFFF);
    }
  EXPECT_GT(changedInside, 100);
}

namespace {
class TTestObject : public TSceneObject {
 public:
  TObjectDrawState State;
  TRect Display{};
  int SceneW = 0, SceneH = 0;
  TBitmap32 FrontPic, BackPic;
  void StartInScene(const TRect& d, int w, int h) override {
    Display = d;
    SceneW = w;
    SceneH = h;
  }
  TObjectDrawState DrawState() const override { return State; }
  TBitmap32& Front() override { return FrontPic; }
  TBitmap32& Back() override { return BackPic; }
};
}  // namespace

TEST(TAnimEngine, DrawsVisibleObjectsScaledAndFlipped) {
  TEngineScene s;
  s.Make(12, 10, [](int, int) { return 0; });
  auto obj = std::make_unique<TTestObject>();
  TTestObject& o = *obj;
  o.FrontPic.SetSize(2, 1);
  o.FrontPic.SetPixel(0, 0, 0xFFFF0000);
  o.FrontPic.SetPixel(1, 0, 0xFF00FF00);
  o.State = TObjectDrawState{true, false, true, 3, 2, 2, 1, 1.5, 2.0, 100, 150};
  s.Project.Objects().push_back(std::move(obj));
  s.Start();
  EXPECT_EQ(o.Display, (TRect{0, 0, 12, 10}));
  EXPECT_EQ(o.SceneW, 0);  // an in-memory scene has no design size
  s.Engine.Step();
  // Right = Round(3 + 2 * 1.5 * 100 / 100) = 6, Bottom = Round(2 + 1 * 2 * 150 / 100) = 5:
  // a 3 x 3 area at (3, 2), nearest-pixel stretched.
  const TBitmap32& out = s.Engine.GetOutput();
  EXPECT_EQ(out.Pixel(3, 2), 0xFFFF0000u);
  EXPECT_EQ(out.Pixel(5, 4), 0xFF00FF00u);
  EXPECT_EQ(out.Pixel(6, 2), Id(6, 2));
  EXPECT_EQ(out.Pixel(3, 5), Id(3, 5));
  o.State.Flipped = true;
  s.Engine.Step();
  EXPECT_EQ(out.Pixel(3, 2), 0xFF00FF00u);
  EXPECT_EQ(out.Pixel(5, 4), 0xFFFF0000u);
  EXPECT_EQ(o.BackPic.Pixel(0, 0), 0xFF00FF00u);
  o.State.Visible = false;
  s.Engine.Step();
  EXPECT_EQ(out.Pixel(3, 2), Id(3, 2));
}

namespace {
// Every fast kernel level the processor runs, whatever KYSAVER_DISABLE says: each is compared
// with the reference kernel.
std::vector<TKernelLevel> FastKernelLevels() {
  std::vector<TKernelLevel> levels;
  for (TKernelLevel level : RunnableKernelLevels())
    if (level != TKernelLevel::Reference) levels.push_back(level);
  return levels;
}
class TAnimEngineKernels : public ::testing::TestWithParam<TKernelLevel> {};
}  // namespace

TEST_P(TAnimEngineKernels, FastKernelMatchesThePlainRule) {
  // Seeded random scenes: regions in blocks and stripes, every kind of wave set. The fast kernel,
  // at the level under test, must give the same frames as the per-pixel rule,
  // frame after frame.
  for (uint32_t seed = 1; seed <= 24; ++seed) {
    TRandom rnd(seed);
    const int W = 24 + rnd.Random(60), H = 16 + rnd.Random(50);
    const int stripes = 1 + rnd.Random(6);
    auto code = [&](int x, int y) {
      const int band = (y * stripes) / H;
      if ((x / 7 + band) % 5 == 4) return 0;
      return 1 + (band + (x > W / 2 ? static_cast<int>(seed) : 0)) % 6;
    };
    TEngineScene fast, plain;
    for (TEngineScene* s : {&fast, &plain}) s->Make(W, H, code);
    for (int i = 0; i < 8; ++i) {
      TWaveParam w;
      w.Amplitude = rnd.Random(12) - 2;
      w.Frequency = rnd.Random(40);
      w.PhaseSpeed = rnd.Random(60) - 20;
      w.Direction = rnd.Random(8) - 1;
      w.HorzShift = rnd.Random(2) == 1;
      w.Animated = rnd.Random(5) != 0;
      w.Perspective = rnd.Random(2) == 1;
      const int cycles[] = {360, 180, 720, 0, 450, 90};
      w.Cycle = cycles[rnd.Random(6)];
      w.Jitter = rnd.Random(3) == 0 ? rnd.Random(6) : 0;
      w.Reflection = rnd.Random(4) == 0;
      fast.Wave(i) = plain.Wave(i) = w;
    }
    plain.Engine.SetKernelLevel(TKernelLevel::Reference);
    fast.Engine.SetKernelLevel(GetParam());
    ASSERT_EQ(fast.Engine.KernelLevel(), GetParam());
    fast.Start();
    plain.Start();
    for (int f = 0; f < 12; ++f) {
      const uint32_t dt = 20 + rnd.Random(40);
      fast.Ticks.Advance(dt);
      plain.Ticks.Advance(dt);
      fast.Engine.Step();
      plain.Engine.Step();
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
          ASSERT_EQ(fast.Frame(x, y), plain.Frame(x, y))
              << "seed " << seed << " frame " << f << " at " << x << "," << y;
    }
  }
}

TEST_P(TAnimEngineKernels, FastKernelMatchesThePlainRuleOnWideRegions) {
  // Long runs of one region over many rows, as real scenes have: whole rows are copied at once
  // and column waves take their table path there. Phases are driven far from 0 in both
  // directions, frequencies sometimes too high for the table; every frame must be the plain
  // rule's.
  for (uint32_t seed = 1; seed <= 32; ++seed) {
    TRandom rnd(seed * 104729);
    const int W = 200 + rnd.Random(900), H = 30 + rnd.Random(90);
    const int bands = 1 + rnd.Random(4);
    int split[4], codeA[4], codeB[4];
    for (int b = 0; b < 4; ++b) {
      split[b] = rnd.Random(3) == 0 ? rnd.Random(W) : W;
      codeA[b] = 1 + rnd.Random(6);
      codeB[b] = rnd.Random(7);
    }
    auto code = [&](int x, int y) {
      const int b = y * bands / H;
      return x < split[b] ? codeA[b] : codeB[b];
    };
    TEngineScene fast, plain;
    for (TEngineScene* s : {&fast, &plain}) s->Make(W, H, code);
    for (int i = 0; i < 8; ++i) {
      TWaveParam w;
      w.Amplitude = rnd.Random(14) - 1;
      w.Frequency = rnd.Random(8) == 0 ? 100000 + rnd.Random(100000) : rnd.Random(45) - 4;
      w.PhaseSpeed = rnd.Random(4) == 0 ? 5000000 + rnd.Random(5000000) : rnd.Random(120) - 60;
      w.Direction = rnd.Random(6);
      w.HorzShift = rnd.Random(3) == 0;
      w.Animated = rnd.Random(6) != 0;
      w.Perspective = rnd.Random(2) == 1;
      const int cycles[] = {360, 180, 720, 0, 450, 90, 1, 361};
      w.Cycle = cycles[rnd.Random(8)];
      w.Jitter = rnd.Random(4) == 0 ? rnd.Random(5) : 0;
      w.Reflection = rnd.Random(4) == 0;
      fast.Wave(i) = plain.Wave(i) = w;
    }
    plain.Engine.SetKernelLevel(TKernelLevel::Reference);
    fast.Engine.SetKernelLevel(GetParam());
    ASSERT_EQ(fast.Engine.KernelLevel(), GetParam());
    fast.Start();
    plain.Start();
    for (int f = 0; f < 8; ++f) {
      // One long pause carries the phases thousands of degrees away.
      const uint32_t dt = f == 3 ? 200000 + rnd.Random(100000) : 20 + rnd.Random(40);
      if (f == 5) {
        // A frequency raised while the scene runs.
        for (int i = 0; i < 8; ++i) fast.Wave(i).Frequency = plain.Wave(i).Frequency = plain.Wave(i).Frequency * 3 + 1;
      }
      fast.Ticks.Advance(dt);
      plain.Ticks.Advance(dt);
      fast.Engine.Step();
      plain.Engine.Step();
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
          ASSERT_EQ(fast.Frame(x, y), plain.Frame(x, y))
              << "seed " << seed << " frame " << f << " at " << x << "," << y;
    }
  }
}

TEST_P(TAnimEngineKernels, FastSceneSetUpMatchesThePlainRule) {
  // Seeded random masks of runs in every kind of colour: the six region colours with any alpha
  // byte, colours one step away from them, white, black and noise. The region map, the rows of
  // each region, the reflection and the frames must be those of the per-pixel rules.
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    TRandom rnd(seed * 7919);
    const int W = 1 + rnd.Random(300), H = 1 + rnd.Random(70);
    TEngineScene fast, plain;
    for (TEngineScene* s : {&fast, &plain}) s->Make(W, H, [](int, int) { return 0; });
    const int rowRuns = rnd.Random(3);  // 0: runs across rows, 1: repeated rows, 2: short runs
    TColor32 colour = 0;
    int left = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        if (rowRuns == 1 && y > 0 && rnd.Random(4) != 0) {
          colour = fast.Project.Mask().Pixel(x, y - 1);
        } else if (left-- <= 0) {
          left = rowRuns == 2 ? rnd.Random(4) : rnd.Random(W * 2);
          const uint32_t alpha = rnd.Random(3) == 0 ? rnd.Random(256) << 24 : 0;
          switch (rnd.Random(5)) {
            case 0: colour = 0xFFFFFFu; break;
            case 1: colour = RegionColour(1 + rnd.Random(6)) ^ (1u << rnd.Random(24)); break;
            case 2: colour = rnd.Random(0x1000000); break;
            default: colour = RegionColour(rnd.Random(8)); break;
          }
          colour |= alpha;
        }
        fast.Project.Mask().SetPixel(x, y, colour);
        plain.Project.Mask().SetPixel(x, y, colour);
      }
    for (int i = 0; i < 8; ++i) {
      TWaveParam w;
      w.Amplitude = rnd.Random(9);
      w.Frequency = rnd.Random(30);
      w.PhaseSpeed = rnd.Random(40);
      w.Direction = rnd.Random(6);
      w.HorzShift = rnd.Random(2) == 1;
      w.Perspective = rnd.Random(2) == 1;
      w.Jitter = rnd.Random(3) == 0 ? rnd.Random(4) : 0;
      w.Reflection = rnd.Random(2) == 0;
      fast.Wave(i) = plain.Wave(i) = w;
    }
    plain.Engine.SetKernelLevel(TKernelLevel::Reference);
    fast.Engine.SetKernelLevel(GetParam());
    ASSERT_EQ(fast.Engine.KernelLevel(), GetParam());
    fast.Start();
    plain.Start();
    ASSERT_EQ(fast.Engine.HasReflection(), plain.Engine.HasReflection());
    for (int i = 0; i < 8; ++i) {
      ASSERT_EQ(fast.Engine.TopRow(i), plain.Engine.TopRow(i)) << "seed " << seed << " set " << i;
      ASSERT_EQ(fast.Engine.BottomRow(i), plain.Engine.BottomRow(i)) << "seed " << seed << " set " << i;
    }
    auto sameFrames = [&](const char* when) {
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
          ASSERT_EQ(fast.Engine.RegionAt(x, y), plain.Engine.RegionAt(x, y)) << "seed " << seed << " " << x << "," << y;
          if (plain.Engine.HasReflection()) {
            ASSERT_EQ(fast.Engine.ReflectedPicture().Pixel(x, y), plain.Engine.ReflectedPicture().Pixel(x, y))
                << "seed " << seed << " " << when << " at " << x << "," << y;
          }
          ASSERT_EQ(fast.Frame(x, y), plain.Frame(x, y)) << "seed " << seed << " " << when << " at " << x << "," << y;
        }
    };
    sameFrames("after Prepare");
    for (int f = 0; f < 4; ++f) {
      fast.Ticks.Advance(37);
      plain.Ticks.Advance(37);
      fast.Engine.Step();
      plain.Engine.Step();
      sameFrames("after a step");
    }
    fast.Engine.ResetFrame();
    plain.Engine.ResetFrame();
    sameFrames("after ResetFrame");
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, TAnimEngineKernels, ::testing::ValuesIn(FastKernelLevels()),
                         [](const ::testing::TestParamInfo<TKernelLevel>& info) {
                           return std::string(KernelLevelName(info.param));
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(TAnimEngineKernels);

TEST(TAnimEngine, ASceneThatChangedSizeWithoutPrepareIsNotDrawn) {
  TEngineScene s;
  s.Make(16, 12, [](int, int) { return 1; });
  s.Wave(0).HorzShift = true;
  s.Start();
  s.Project.Picture().SetSize(4, 3);  // as a reload of a smaller scene would leave it
  s.Ticks.Advance(40);
  s.Engine.Step();
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(s.Frame(x, y), Id(x, y));
  s.Engine.Prepare();
  EXPECT_EQ(s.Engine.Width(), 4);
  s.Engine.Step();
}

TEST(TAnimEngine, OverlayRestoredInPlacesMatchesTheWholeCopy) {
  // The overlay brought back from the water frame only where the water moves and where the
  // step before drew must equal the overlay copied whole, frame after frame: rain or snow of
  // every size, a moving object, the clock, jitter lifting water rows, and the F1 reset. And
  // the output changes only inside the area the engine names as changed.
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    TRandom rnd(seed * 7919);
    const int W = 60 + rnd.Random(200), H = 50 + rnd.Random(150);
    const int shore = H / 3 + rnd.Random(H / 2);
    TEngineScene partial, whole;
    TTestObject* objects[2] = {};
    TEngineScene* scenes[2] = {&partial, &whole};
    for (int i = 0; i < 2; ++i) {
      TEngineScene& s = *scenes[i];
      s.Make(W, H, [&](int x, int y) { return y >= shore ? 1 + (x * 3 / W) : 0; });
      auto obj = std::make_unique<TTestObject>();
      obj->FrontPic.SetSize(5, 4);
      obj->FrontPic.Clear(0xFF30C030);
      objects[i] = obj.get();
      s.Project.Objects().push_back(std::move(obj));
    }
    const bool rain = seed % 2 == 0;
    const TWeatherParam weather{rain ? kWeatherRain : kWeatherSnow, 20 + rnd.Random(300), rnd.Random(21),
                                rain ? 30 + rnd.Random(120) : 1 + rnd.Random(12), rnd.Random(40), 3 + rnd.Random(8)};
    for (int k = 0; k < 3; ++k) {
      TWaveParam w = TWaveParam::Defaults();
      w.Amplitude = 1 + rnd.Random(6);
      w.Direction = rnd.Random(6);
      w.Animated = rnd.Random(4) != 0;
      w.Jitter = rnd.Random(2) == 0 ? rnd.Random(8) : 0;
      w.HorzShift = rnd.Random(2) == 0;
      w.Reflection = rnd.Random(3) == 0;
      partial.Wave(k) = whole.Wave(k) = w;
    }
    const bool clock = seed % 3 != 0;
    for (TEngineScene* s : scenes) {
      s->Project.Weather() = weather;
      s->Engine.SetShowClock(clock);
      s->Engine.Clock().Position = static_cast<uint8_t>(seed % 4);
      s->Start();
      s->Engine.SetWeather(true);
    }
    whole.Engine.SetOverlayRestore(false);
    TBitmap32 previous;
    for (int f = 0; f < 40; ++f) {
      // The object wanders, sometimes hidden, sometimes outside the picture.
      const TObjectDrawState st{rnd.Random(5) != 0, rnd.Random(2) == 0, true, rnd.Random(W + 20) - 10,
                                rnd.Random(H + 20) - 10, 5, 4, 1.0 + rnd.Random(3), 1.0, 100, 100};
      objects[0]->State = objects[1]->State = st;
      if (f == 25) {
        partial.Engine.ResetFrame();
        whole.Engine.ResetFrame();
      }
      const uint32_t dt = 20 + rnd.Random(30);
      for (TEngineScene* s : scenes) {
        s->Ticks.Advance(dt);
        s->Engine.Step();
      }
      const TBitmap32& a = partial.Engine.GetOutput();
      const TBitmap32& b = whole.Engine.GetOutput();
      ASSERT_EQ(&a, &partial.Engine.OverlaySurface());
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
          ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << "seed " << seed << " frame " << f << " at " << x << "," << y;
      // Outside the area the engine names as changed, the output is the previous step's.
      EXPECT_EQ(partial.Engine.ChangedAll(), f == 0 || f == 25) << f;
      if (!partial.Engine.ChangedAll()) {
        std::vector<bool> inside(static_cast<size_t>(W) * H, false);
        for (const TRect& r : partial.Engine.Changed())
          for (int y = std::max(0, r.Top); y < std::min(H, r.Bottom); ++y)
            for (int x = std::max(0, r.Left); x < std::min(W, r.Right); ++x) inside[static_cast<size_t>(y) * W + x] = true;
        for (int y = 0; y < H; ++y)
          for (int x = 0; x < W; ++x)
            if (!inside[static_cast<size_t>(y) * W + x])
              ASSERT_EQ(a.Pixel(x, y), previous.Pixel(x, y)) << "seed " << seed << " frame " << f << " at " << x << "," << y;
      }
      previous.Assign(a);
    }
  }
}

TEST(TAnimEngine, WaterAloneChangesOnlyItsRows) {
  // Without weather, objects or clock the output is the water frame: it changes only in the
  // water's rows (and, with jitter, the rows it lifts), never in the land above.
  TEngineScene s;
  s.Make(90, 70, [](int x, int y) { return y >= 40 ? 1 + x / 45 : 0; });
  s.Wave(0).Jitter = 5;
  s.Wave(0).Direction = 1;
  s.Wave(1).Direction = 3;
  s.Wave(1).HorzShift = true;
  s.Start();
  TBitmap32 previous;
  for (int f = 0; f < 10; ++f) {
    s.Ticks.Advance(33);
    s.Engine.Step();
    const TBitmap32& out = s.Engine.GetOutput();
    ASSERT_EQ(&out, &s.Engine.FrameSurface());
    EXPECT_EQ(s.Engine.ChangedAll(), f == 0);
    if (f > 0) {
      ASSERT_EQ(s.Engine.Changed().size(), 1u);
      const TRect band = s.Engine.Changed()[0];
      EXPECT_EQ(band.Left, 0);
      EXPECT_EQ(band.Right, 90);
      EXPECT_EQ(band.Bottom, 70);
      EXPECT_GE(band.Top, 40 - 4);  // jitter lifts a destination at most 4 rows
      EXPECT_LE(band.Top, 40);
      for (int y = 0; y < band.Top; ++y)
        for (int x = 0; x < 90; ++x) ASSERT_EQ(out.Pixel(x, y), previous.Pixel(x, y)) << x << "," << y;
    }
    previous.Assign(out);
  }
}
