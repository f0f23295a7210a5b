#include <gtest/gtest.h>

#include <cmath>

#include "EngineFixture.h"
#include "scene/weather/uRain.h"
#include "scene/weather/uSnow.h"
#include "scene/weather/uWeatherCommon.h"

using namespace ky;

namespace {
int Grey(const TBitmap32& b, int x, int y) { return GreenComponent(b.Pixel(x, y)); }

TBitmap32 Black(int w, int h) {
  TBitmap32 b(w, h);
  b.Clear(0xFF000000);
  return b;
}
}  // namespace

TEST(TSnow, WorkedExampleAlphas) {
  // S 4, opacity 9: white over black shows each alpha as the grey level.
  TBitmap32 target = Black(20, 20);
  TRandom random(1);
  TSnow snow(target, random);
  snow.SetInputs(0, 100, 10, 9, 4);
  snow.Flakes() = {TSnowFlake{3, 3, 4, 0}, TSnowFlake{10, 3, 3, 0}, TSnowFlake{3, 12, 2, 0}};
  snow.Draw();
  // Size 4: a 4 x 4 block without its corners, all 225.
  for (int y = 2; y <= 5; ++y)
    for (int x = 2; x <= 5; ++x) {
      const bool corner = (x == 2 || x == 5) && (y == 2 || y == 5);
      EXPECT_EQ(Grey(target, x, y), corner ? 0 : 225) << x << "," << y;
    }
  // Size 3: centre 171, sides 180, corners 54.
  EXPECT_EQ(Grey(target, 10, 3), 171);
  for (const auto& [x, y] : {std::pair{9, 3}, {11, 3}, {10, 2}, {10, 4}}) EXPECT_EQ(Grey(target, x, y), 180);
  for (const auto& [x, y] : {std::pair{9, 2}, {11, 2}, {9, 4}, {11, 4}}) EXPECT_EQ(Grey(target, x, y), 54);
  EXPECT_EQ(Grey(target, 12, 3), 0);
  // Size 2: centre 117, right and below 72, nothing left or above.
  EXPECT_EQ(Grey(target, 3, 12), 117);
  EXPECT_EQ(Grey(target, 4, 12), 72);
  EXPECT_EQ(Grey(target, 3, 13), 72);
  EXPECT_EQ(Grey(target, 2, 12), 0);
  EXPECT_EQ(Grey(target, 4, 13), 0);
}

TEST(TSnow, LargeFlakesAreTwoDiscs) {
  // S 6, opacity 10, size 6: r = 3 disc in 180, r = 2 disc in 250 over it. The inner pixels are
  // 180 blended with white at 250: 180 + 75 * 250 / 255 = 253.5, rounded 254.
  TBitmap32 target = Black(20, 20);
  TRandom random(1);
  TSnow snow(target, random);
  snow.SetInputs(0, 100, 10, 10, 6);
  snow.Flakes() = {TSnowFlake{8, 8, 6, 0}};
  snow.Draw();
  const struct {
    int dx, dy, grey;
  } cases[] = {{0, 0, 254}, {2, 0, 254}, {1, 1, 254}, {3, 0, 180}, {3, 1, 180}, {0, -3, 180},
               {2, 2, 180}, {-2, -2, 180}, {3, 2, 0}, {4, 0, 0}, {0, 4, 0}, {1, 2, 180}, {0, 2, 254}};
  for (const auto& c : cases) EXPECT_EQ(Grey(target, 8 + c.dx, 8 + c.dy), c.grey) << c.dx << "," << c.dy;
}

TEST(TSnow, FlakesMoveByElapsedTimeAndRecycleAtTheEdges) {
  TBitmap32 target = Black(100, 80);
  TRandom random(7);
  TSnow snow(target, random);
  // dt 70, index 10 (100 %), speed 100: step 1; a flake of size 4 falls 4 rows, drifts 1 column.
  snow.SetInputs(70, 100, 10, 9, 4);
  snow.Flakes() = {TSnowFlake{50, 10, 4, 1}, TSnowFlake{0.5, 10, 4, -1}, TSnowFlake{99.5, 10, 4, 1},
                   TSnowFlake{20, 77.5, 4, 0}};
  snow.Move();
  const auto& f = snow.Flakes();
  EXPECT_DOUBLE_EQ(f[0].X, 51);
  EXPECT_DOUBLE_EQ(f[0].Y, 14);
  // Left past x = 0: re-enters 0 to 49 columns right of W.
  EXPECT_GE(f[1].X, 100);
  EXPECT_LE(f[1].X, 149);
  // Right past W: re-enters 0 to 49 columns left of 0.
  EXPECT_GE(f[2].X, -49);
  EXPECT_LE(f[2].X, 0);
  // Below H - 1: restarts 0 to 99 rows above the top, in its column.
  EXPECT_GE(f[3].Y, -99);
  EXPECT_LE(f[3].Y, 0);
  EXPECT_DOUBLE_EQ(f[3].X, 20);
}

TEST(TSnow, NothingMovesWithoutTimeOrSpeed) {
  for (const auto& [dt, speed] : {std::pair<uint32_t, int>{0, 100}, {70, 0}}) {
    TBitmap32 target = Black(100, 80);
    TRandom random(3);
    TSnow snow(target, random);
    snow.SetCount(50);
    snow.Init();
    const auto before = snow.Flakes();
    snow.SetInputs(dt, speed, 10, 9, 8);
    snow.Update();
    for (size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(snow.Flakes()[i].X, before[i].X);
      EXPECT_EQ(snow.Flakes()[i].Y, before[i].Y);
    }
  }
}

TEST(TSnow, SizesStayWithinTheLargestSizeAndTwoBelow) {
  TBitmap32 target = Black(200, 150);
  TRandom random(11);
  TSnow snow(target, random);
  snow.SetCount(5000);
  EXPECT_EQ(snow.Count(), 1000);
  snow.Init();  // sized from the initial largest size 8
  for (const auto& f : snow.Flakes()) {
    EXPECT_GE(f.Size, 6);
    EXPECT_LE(f.Size, 8);
  }
  for (int frame = 0; frame < 40; ++frame) {
    snow.SetInputs(33, 100, 10, 9, 4);
    snow.Update();
    for (const auto& f : snow.Flakes()) {
      ASSERT_GE(f.Size, 2);
      ASSERT_LE(f.Size, 4);
    }
  }
}

TEST(TRain, AlphasAndTheDrawnStreak) {
  EXPECT_EQ(TRain::UpperAlpha(4, 10), 130);
  EXPECT_EQ(TRain::LowerAlpha(4, 10), 235);
  EXPECT_EQ(TRain::UpperAlpha(2, 6), 54);   // (150 - 60) * 60 / 100
  EXPECT_EQ(TRain::LowerAlpha(3, 6), 129);  // Round(215 * 0.6) = Round(129.0)
  EXPECT_EQ(TRain::UpperAlpha(4, 0), 0);
  // A straight drop at (5, 2), layer 4, length 1, drop length 10 tenths: lower end row 6, split
  // at row 5; rows 2-4 in 130 and row 5 in 235 of grey 255; the end point is not drawn.
  TBitmap32 target = Black(10, 10);
  TRandom random(1);
  TRain rain(target, random);
  rain.SetInputs(0, 100, 10, 90, 10, 10);
  rain.Drops() = {TRainDrop{5, 2, 4, 1}};
  rain.Draw();
  const int expected[] = {0, 0, 130, 130, 130, 235, 0, 0};
  for (int y = 0; y < 8; ++y) EXPECT_EQ(Grey(target, 5, y), expected[y]) << y;
  EXPECT_EQ(Grey(target, 4, 3), 0);
  EXPECT_EQ(Grey(target, 6, 3), 0);
}

TEST(TRain, LayerGreyLevels) {
  // Grey 55 div (5 - layer) + 200 at full alpha shows itself: layer 2 gives 218, 3 gives 227.
  const struct {
    int layer, grey;
  } cases[] = {{2, 218}, {3, 227}, {4, 255}};
  for (const auto& c : cases) {
    TBitmap32 target = Black(10, 40);
    TRandom random(1);
    TRain rain(target, random);
    rain.SetInputs(0, 100, 10, 90, 10, 10);
    rain.Drops() = {TRainDrop{5, 0, c.layer, 4}};
    rain.Draw();
    // The streak ends at row 4 * layer; its lower quarter has alpha 255 - (5 - layer) * 20, so
    // over black it shows grey * alpha / 255.
    const int alpha = 255 - (5 - c.layer) * 20;
    const int lowerRow = 4 * c.layer - 1;
    EXPECT_NEAR(Grey(target, 5, lowerRow), c.grey * alpha / 255.0, 0.5001) << c.layer;
  }
}

TEST(TRain, MovesBySpeedAndAngleAndRecycles) {
  TBitmap32 target = Black(100, 80);
  TRandom random(5);
  TRain rain(target, random);
  // dt 50, 100 %, speed 100: step 1, a layer-4 drop falls 12 rows.
  rain.SetInputs(50, 100, 10, 90, 10, 6);
  rain.Drops() = {TRainDrop{40, 10, 4, 1}, TRainDrop{30, 75, 4, 1}, TRainDrop{-25, 10, 2, 1},
                  TRainDrop{125, 10, 2, 1}};
  rain.Move();
  const auto& d = rain.Drops();
  EXPECT_DOUBLE_EQ(d[0].Y, 22);
  EXPECT_NEAR(d[0].X, 40, 1e-9);
  EXPECT_GE(d[1].Y, -99);  // left the bottom: restarts above the top in its column
  EXPECT_LE(d[1].Y, 0);
  EXPECT_NEAR(d[1].X, 30, 1e-9);
  EXPECT_GE(d[2].X, 100);  // past x = -20: re-enters 0 to 99 columns right of W
  EXPECT_LE(d[2].X, 199);
  EXPECT_GE(d[3].X, -99);  // past W + 20: re-enters 0 to 99 columns left of 0
  EXPECT_LE(d[3].X, 0);
  // SizeOrAngle 45 (angle 135): 12 rows down move 12 * cos 135 deg = -8.49 columns.
  rain.SetInputs(50, 100, 10, 135, 10, 6);
  rain.Drops() = {TRainDrop{40, 10, 4, 1}};
  rain.Move();
  EXPECT_NEAR(rain.Drops()[0].X, 40 - 12 * std::sqrt(0.5), 1e-9);
}

TEST(TRain, SpeedIndexAndOpacityAreClamped) {
  EXPECT_EQ(SpeedTableAt(25), 500);
  EXPECT_EQ(SpeedTableAt(-3), 10);
  EXPECT_EQ(SpeedTableAt(10), 100);
  TBitmap32 a = Black(10, 10), b = Black(10, 10);
  TRandom ra(1), rb(1);
  TRain high(a, ra), ten(b, rb);
  high.SetInputs(50, 100, 40, 90, 10, 15);
  ten.SetInputs(50, 100, 20, 90, 10, 10);
  high.Drops() = ten.Drops() = {TRainDrop{5, 1, 4, 1}};
  high.Update();
  ten.Update();
  EXPECT_EQ(high.Drops()[0].Y, ten.Drops()[0].Y);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(a.Pixel(5, y), b.Pixel(5, y)) << y;
}

TEST(TAnimEngine, WeatherComesFromTheSceneRecord) {
  kytest::TEngineScene s;
  s.Make(64, 48, [](int, int) { return 0; });
  s.Project.Weather() = TWeatherParam{1, 5000, 10, 4, 0, 9};
  s.Start();
  EXPECT_EQ(s.Engine.Snow(), nullptr);  // the first frame carries no weather
  s.Engine.SetWeather(true);
  ASSERT_NE(s.Engine.Snow(), nullptr);
  EXPECT_EQ(s.Engine.Snow()->Count(), 1000);
  s.Ticks.Advance(33);
  s.Engine.Step();
  EXPECT_EQ(&s.Engine.GetOutput(), &s.Engine.OverlaySurface());
  EXPECT_EQ(s.Engine.Snow()->LargestSize(), 4);
  int changed = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) changed += s.Engine.GetOutput().Pixel(x, y) != kytest::Id(x, y);
  EXPECT_GT(changed, 100);
  s.Project.Weather().Kind = 2;
  s.Engine.SetWeather(true);
  EXPECT_EQ(s.Engine.Snow(), nullptr);
  ASSERT_NE(s.Engine.Rain(), nullptr);
  s.Engine.SetWeather(false);
  EXPECT_EQ(s.Engine.Rain(), nullptr);
}
