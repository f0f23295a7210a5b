#pragma once
// TRain: falling streaks drawn onto a target surface, moved by elapsed time and recycled when
// they leave the picture.
#include <cstdint>
#include <vector>

#include "graphics/uBitmap32.h"
#include "platform/uRandom.h"
#include "scene/weather/uWeather.h"

namespace ky {

struct TRainDrop {
  double X = 0;  // upper end
  double Y = 0;
  int Layer = 2;   // 2..4, 4 nearest, brightest and fastest
  int Length = 1;  // 1..4
};

class TRain final : public TWeather {
 public:
  // Both must outlive the rain.
  TRain(TBitmap32& target, TRandom& random);

  // At most 1000; negative counts as 0.
  void SetCount(int count);
  int Count() const { return FCount; }
  // Creates Count drops spread over the target.
  void Init();
  // angle: the fall direction in degrees (90 straight down); dropLength in tenths.
  void SetInputs(uint32_t dt, int speedPercent, int speedIndex, double angle, int dropLength, int opacity);
  // Moves every drop, then draws them all.
  void Update() {
    Move();
    Draw();
  }
  void Move();
  void Draw() override;

  // TWeather: SetCount and Init; SetInputs from the record, then Move.
  void Start(const TWeatherParam& weather) override;
  void Step(uint32_t dt, int speedPercent, const TWeatherParam& weather) override;

  std::vector<TRainDrop>& Drops() { return FDrops; }
  const std::vector<TRainDrop>& Drops() const { return FDrops; }

  // The two alphas of a drop of that layer (the upper three quarters, the lower quarter).
  static int UpperAlpha(int layer, int opacity);
  static int LowerAlpha(int layer, int opacity);

 private:
  TBitmap32& FTarget;
  TRandom& FRandom;
  int FCount = 0;
  std::vector<TRainDrop> FDrops;
  int FSpeedIndex = 2;
  uint32_t FDt = 0;
  double FAngle = 0;
  int FSpeedPercent = 0;
  int FDropLength = 0;
  int FOpacity = 0;
};

}  // namespace ky
