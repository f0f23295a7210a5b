#include "scene/weather/uWeather.h"

#include "scene/weather/uRain.h"
#include "scene/weather/uSnow.h"

namespace ky {

std::unique_ptr<TWeather> MakeWeather(const TWeatherParam& weather, TBitmap32& target, TRandom& random) {
  if (weather.Kind == kWeatherSnow) return std::make_unique<TSnow>(target, random);
  if (weather.Kind == kWeatherRain) return std::make_unique<TRain>(target, random);
  return nullptr;
}

}  // namespace ky
