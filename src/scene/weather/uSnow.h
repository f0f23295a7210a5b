#pragma once
// TSnow: white flakes of a few sizes drifting down a target surface, moved by elapsed time and
// recycled when they leave the picture.
#include <cstdint>
#include <vector>

#include "graphics/uBitmap32.h"
#include "platform/uRandom.h"
#include "scene/weather/uWeather.h"

namespace ky {

struct TSnowFlake {
  double X = 0;  // centre
  double Y = 0;
  int Size = 0;
  double Drift = 0;  // -1, 0 or +1: sideways speed in units of the frame's step
};

class TSnow final : public TWeather {
 public:
  // Both must outlive the snow.
  TSnow(TBitmap32& target, TRandom& random);

  // At most 1000; negative counts as 0.
  void SetCount(int count);
  int Count() const { return FCount; }
  // Creates Count flakes spread over the target, sized from the current largest size.
  void Init();
  // size: the largest flake size in pixels.
  void SetInputs(uint32_t dt, int speedPercent, int speedIndex, int opacity, int size);
  // Moves every flake, then draws them all.
  void Update() {
    Move();
    Draw();
  }
  void Move();
  void Draw() override;

  // TWeather: SetCount and Init; SetInputs from the record, then Move.
  void Start(const TWeatherParam& weather) override;
  void Step(uint32_t dt, int speedPercent, const TWeatherParam& weather) override;

  std::vector<TSnowFlake>& Flakes() { return FFlakes; }
  const std::vector<TSnowFlake>& Flakes() const { return FFlakes; }
  int LargestSize() const { return FSize; }

 private:
  void DrawFlake(int x, int y, int s);
  void Disc(int x, int y, int r, TColor32 c);

  TBitmap32& FTarget;
  TRandom& FRandom;
  int FCount = 0;
  std::vector<TSnowFlake> FFlakes;
  int FSpeedIndex = 2;
  int FSpeedPercent = 0;
  uint32_t FDt = 0;
  int FOpacity = 0;
  int FSize = 8;
};

}  // namespace ky
