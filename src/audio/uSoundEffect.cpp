#include "uSoundEffect.h"

#include <cmath>

namespace ky {

TSoundEffect::TSoundEffect(TAudioDevice& device) : FDevice(device) {
  FState = FDevice.OpenChannels(kSoundChannels) ? kReady : kFallback;
}

TSoundEffect::~TSoundEffect() {
  ClearSounds();
  try {
    StopAll();
  } catch (...) {
    // A device in trouble must not stop the show's teardown.
  }
}

void TSoundEffect::AddSound(int n, const std::string& path) {
  if (n < 0 || n >= kSoundChannels) return;
  FFiles[static_cast<size_t>(n)] = path;
  if (Ready()) FDevice.LoadChannel(n, path);
}

void TSoundEffect::Play(int n, bool loop) {
  if (n < 0 || n >= kSoundChannels || FFiles[static_cast<size_t>(n)].empty()) return;
  if (Ready()) {
    FDevice.PlayChannel(n, loop, GainOfVolume(FVolume));
  } else if (n == 0) {
    FDevice.PlayFallback(FFiles[0], loop);
  }
}

void TSoundEffect::ClearSounds() {
  for (std::string& f : FFiles) f.clear();
}

void TSoundEffect::StopAll() {
  if (Ready()) {
    for (int n = 0; n < kSoundChannels; ++n) FDevice.StopChannel(n);
  } else {
    FDevice.StopFallback();
  }
}

double TSoundEffect::GainOfVolume(int volume) {
  const double hundredthsDb = volume * 40.0 - 4000.0;
  return std::pow(10.0, hundredthsDb / 2000.0);
}

}  // namespace ky
