#include "scene/weather/uRain.h"

#include <algorithm>
#include <cmath>

#include "platform/uNumbers.h"
#include "scene/weather/uWeatherCommon.h"

namespace ky {

namespace {
// Drop lengths in tenths beyond this would only draw longer and longer lines; the limit keeps a
// drop under 160 pixels so a damaged weather record cannot stall a frame.
constexpr int kMaxDropLength = 100;
}  // namespace

TRain::TRain(TBitmap32& target, TRandom& random) : FTarget(target), FRandom(random) {}

void TRain::SetCount(int count) { FCount = std::clamp(count, 0, kMaxParticles); }

void TRain::Init() {
  const int w = FTarget.Width(), h = FTarget.Height();
  FDrops.assign(static_cast<size_t>(FCount), TRainDrop{});
  for (TRainDrop& d : FDrops) {
    d.X = FRandom.Random(w);
    d.Y = FRandom.Random(h);
    d.Layer = 2 + FRandom.Random(3);
    d.Length = 1 + FRandom.Random(4);
  }
}

void TRain::SetInputs(uint32_t dt, int speedPercent, int speedIndex, double angle, int dropLength, int opacity) {
  FDt = dt;
  FSpeedPercent = speedPercent;
  FSpeedIndex = std::clamp(speedIndex, 0, 20);
  FAngle = angle;
  FDropLength = std::clamp(dropLength, 0, kMaxDropLength);
  FOpacity = ClampOpacity(opacity);
}

int TRain::UpperAlpha(int layer, int opacity) {
  return Round(static_cast<double>((150 - (5 - layer) * 20) * opacity * 10) / 100) & 0xFF;
}

int TRain::LowerAlpha(int layer, int opacity) {
  return Round(static_cast<double>((255 - (5 - layer) * 20) * opacity * 10) / 100) & 0xFF;
}

void TRain::Move() {
  const int w = FTarget.Width(), h = FTarget.Height();
  const double step = static_cast<double>(FDt) / 50 * SpeedTableAt(FSpeedIndex) / 100 * FSpeedPercent / 100;
  const double slant = std::cos(FAngle * M_PI / 180);
  for (TRainDrop& d : FDrops) {
    const double old = d.Y;
    d.Y += d.Layer * step * 3;
    d.X += slant * (d.Y - old);
    // A drop that leaves on one side re-enters just outside the other and drifts back in.
    if (d.X < -20)
      d.X = w + FRandom.Random(100);
    else if (d.X > w + 20)
      d.X = -FRandom.Random(100);
    if (d.Y > h) d.Y = -FRandom.Random(100);
  }
}

void TRain::Draw() {
  const double slant = std::cos(FAngle * M_PI / 180);
  FDrawn.clear();
  for (const TRainDrop& d : FDrops) {
    const int x0 = Round(d.X), y0 = Round(d.Y), L = std::clamp(d.Layer, 2, 4);
    const int g = 55 / (5 - L) + 200;
    const int y1 = Round(static_cast<double>(L * d.Length * FDropLength) / 10 + y0);
    const int x1 = Round(slant * (y1 - y0) + x0);
    const int xm = Round(x0 + static_cast<double>(6 * (x1 - x0)) / 8);
    const int ym = Round(y0 + static_cast<double>(6 * (y1 - y0)) / 8);
    FTarget.BlendLine(x0, y0, xm, ym, MakeColor32(g, g, g, UpperAlpha(L, FOpacity)), false);
    FTarget.BlendLine(xm, ym, x1, y1, MakeColor32(g, g, g, LowerAlpha(L, FOpacity)), false);
    // Both segments lie between the drop's two ends.
    FDrawn.push_back(TRect{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1});
  }
}

void TRain::Start(const TWeatherParam& weather) {
  SetCount(weather.Count);
  Init();
}

void TRain::Step(uint32_t dt, int speedPercent, const TWeatherParam& weather) {
  // The record holds the angle from the other side: 90 still falls straight down.
  SetInputs(dt, speedPercent, weather.SpeedIndex, 180.0 - weather.SizeOrAngle, weather.DropLength, weather.Opacity);
  Move();
}

}  // namespace ky
