#pragma once
// TWeather: what the engine asks of a weather effect (rain or snow) drawn onto the overlay.
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/uBitmap32.h"
#include "graphics/uGeometry.h"
#include "platform/uRandom.h"
#include "scene/records/uSceneRecords.h"

namespace ky {

class TWeather {
 public:
  virtual ~TWeather() = default;
  // Spreads the particles of the weather record's count over the target.
  virtual void Start(const TWeatherParam& weather) = 0;
  // Moves every particle by dt milliseconds at the show's speed (percent) and the record's
  // settings.
  virtual void Step(uint32_t dt, int speedPercent, const TWeatherParam& weather) = 0;
  virtual void Draw() = 0;
  // Rectangles (right and bottom edges excluded) that hold every pixel the last Draw changed.
  const std::vector<TRect>& DrawnArea() const { return FDrawn; }

 protected:
  std::vector<TRect> FDrawn;
};

// The effect of the record's kind, or none; target and random must outlive it.
std::unique_ptr<TWeather> MakeWeather(const TWeatherParam& weather, TBitmap32& target, TRandom& random);

}  // namespace ky
