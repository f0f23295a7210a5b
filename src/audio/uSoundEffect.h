#pragma once
// TSoundEffect: the scene's sound-effect player. Sound n plays on channel n of the device; the
// player is ready only when the device gives all eight channels. Otherwise it falls back to the
// device's one-sound player, which plays sound 0 only, at full level.
#include <array>
#include <cstdint>
#include <string>

#include "audio/uAudioDevice.h"

namespace ky {

constexpr int kSoundChannels = 8;

class TSoundEffect {
 public:
  explicit TSoundEffect(TAudioDevice& device);
  ~TSoundEffect();
  TSoundEffect(const TSoundEffect&) = delete;
  TSoundEffect& operator=(const TSoundEffect&) = delete;

  // Records the file of sound n (0-7) and, when ready, loads it into channel n. A load error
  // passes to the caller.
  void AddSound(int n, const std::string& path);
  // Plays sound n once or looping; nothing when n has no file.
  void Play(int n, bool loop);
  // Forgets every file; the channels keep their sounds until loaded again.
  void ClearSounds();
  // 0-100; takes effect at the next Play.
  void SetVolume(int volume) { FVolume = volume; }
  int Volume() const { return FVolume; }
  void StopAll();
  bool Ready() const { return FState == kReady; }

  // volume * 40 - 4000 hundredths of a decibel as a linear gain: 100 is 1, 80 is -8 dB, 0 is
  // -40 dB.
  static double GainOfVolume(int volume);

 private:
  static constexpr uint8_t kReady = 0, kFallback = 2;
  TAudioDevice& FDevice;
  std::array<std::string, kSoundChannels> FFiles;
  uint8_t FState = kFallback;
  int FVolume = 80;
};

}  // namespace ky
