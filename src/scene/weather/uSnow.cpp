#include "scene/weather/uSnow.h"

#include <algorithm>
#include <cmath>

#include "platform/uNumbers.h"
#include "scene/weather/uWeatherCommon.h"

namespace ky {

namespace {
// Larger flakes would only be larger discs; the limit keeps a damaged weather record from
// drawing discs that stall a frame.
constexpr int kMaxFlakeSize = 100;

// Integer product, real division by 100, Round, low 8 bits.
inline TColor32 White(int64_t product) {
  return MakeColor32(255, 255, 255, Round(static_cast<double>(product) / 100) & 0xFF);
}
}  // namespace

TSnow::TSnow(TBitmap32& target, TRandom& random) : FTarget(target), FRandom(random) {}

void TSnow::SetCount(int count) { FCount = std::clamp(count, 0, kMaxParticles); }

void TSnow::Init() {
  const int w = FTarget.Width(), h = FTarget.Height();
  FFlakes.assign(static_cast<size_t>(FCount), TSnowFlake{});
  for (TSnowFlake& f : FFlakes) {
    f.X = FRandom.Random(w);
    f.Y = FRandom.Random(h);
    f.Drift = 1 - FRandom.Random(3);
    f.Size = FSize - FRandom.Random(3);
  }
}

void TSnow::SetInputs(uint32_t dt, int speedPercent, int speedIndex, int opacity, int size) {
  FDt = dt;
  FSpeedPercent = speedPercent;
  FSpeedIndex = std::clamp(speedIndex, 0, 20);
  FOpacity = ClampOpacity(opacity);
  FSize = std::clamp(size, 1, kMaxFlakeSize);
}

void TSnow::Move() {
  const int w = FTarget.Width(), h = FTarget.Height();
  const double step = static_cast<double>(FDt) / 70 * SpeedTableAt(FSpeedIndex) / 100 * FSpeedPercent / 100;
  for (TSnowFlake& f : FFlakes) {
    f.Y += f.Size * step;
    f.X += f.Drift * step;
    if (FRandom.Random(20) == 0) f.Size += FRandom.Random(3) - 1;
    // A flake that leaves on one side re-enters just outside the other and drifts back in.
    if (f.X < 0)
      f.X = w + FRandom.Random(50);
    else if (f.X > w)
      f.X = -FRandom.Random(50);
    if (f.Size < FSize - 2) f.Size = FSize - 2;
    if (f.Size > FSize) f.Size = FSize;
    if (f.Y > h - 1) f.Y = -FRandom.Random(100);
  }
}

void TSnow::Draw() {
  FDrawn.clear();
  for (const TSnowFlake& f : FFlakes) {
    const int x = Round(f.X), y = Round(f.Y);
    DrawFlake(x, y, f.Size);
    // A disc of radius size div 2, or the pixels around the centre from -1 to +2.
    const int r = f.Size > 4 ? f.Size / 2 : 2;
    FDrawn.push_back(TRect{x - r, y - r, x + r + 1, y + r + 1});
  }
}

void TSnow::Disc(int x, int y, int r, TColor32 c) {
  for (int dy = 0; dy <= r; ++dy) {
    const int h = Round(std::sqrt(static_cast<double>(r) * r - static_cast<double>(dy) * dy));
    FTarget.BlendSpan(x - h, y + dy, x + h, c);
    if (dy > 0) FTarget.BlendSpan(x - h, y - dy, x + h, c);
  }
}

void TSnow::DrawFlake(int x, int y, int s) {
  const int O = FOpacity, S = FSize;
  const TColor32 cA = White(int64_t{250 - (S - s) * 60} * O * 10);
  const TColor32 cB = White(int64_t{180 - (S - s) * 60} * O * 10);
  if (s > 4) {
    const int r = s / 2;
    Disc(x, y, r, cB);
    Disc(x, y, r - 1, cA);
    return;
  }
  FTarget.BlendPixel(x, y, cA);
  if (s == 2) {
    const TColor32 c = White(int64_t{O} * 800);
    FTarget.BlendPixel(x + 1, y, c);
    FTarget.BlendPixel(x, y + 1, c);
  } else if (s == 3) {
    const TColor32 side = White(int64_t{O} * 2000);
    const TColor32 corner = White(int64_t{O} * 600);
    FTarget.BlendPixel(x - 1, y, side);
    FTarget.BlendPixel(x, y - 1, side);
    FTarget.BlendPixel(x + 1, y, side);
    FTarget.BlendPixel(x, y + 1, side);
    FTarget.BlendPixel(x - 1, y - 1, corner);
    FTarget.BlendPixel(x - 1, y + 1, corner);
    FTarget.BlendPixel(x + 1, y - 1, corner);
    FTarget.BlendPixel(x + 1, y + 1, corner);
  } else if (s == 4) {
    static constexpr int kBlock[11][2] = {{-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {0, 2}, {1, -1},
                                          {1, 0},  {1, 1},  {1, 2},  {2, 0}, {2, 1}};
    for (const auto& d : kBlock) FTarget.BlendPixel(x + d[0], y + d[1], cA);
  }
}

void TSnow::Start(const TWeatherParam& weather) {
  SetCount(weather.Count);
  Init();
}

void TSnow::Step(uint32_t dt, int speedPercent, const TWeatherParam& weather) {
  SetInputs(dt, speedPercent, weather.SpeedIndex, weather.Opacity, weather.SizeOrAngle);
  Move();
}

}  // namespace ky
