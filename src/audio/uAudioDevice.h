#pragma once
// What the show's sound needs of an audio back end: eight channels that each hold one decoded
// sound, a one-sound player for a device without channels, and one music track at a time. The
// live mixer and the virtual clock's recorder are such devices, so the schedule above them is
// the same code in both.
#include <string>

namespace ky {

class TAudioDevice {
 public:
  virtual ~TAudioDevice() = default;

  // true when `count` channels that play independently can be had.
  virtual bool OpenChannels(int count) = 0;
  // Loads the WAV file into channel n, replacing what it held. Throws TKyError naming the file.
  virtual void LoadChannel(int n, const std::string& path) = 0;
  // Starts channel n from its beginning, or, while it still plays, lets it go on; the gain is
  // linear (1 is full level) and applies from now on.
  virtual void PlayChannel(int n, bool loop, double gain) = 0;
  virtual void StopChannel(int n) = 0;

  // The one-sound player: plays the file at full level, once or looping; a file that cannot be
  // played plays nothing.
  virtual void PlayFallback(const std::string& path, bool loop) = 0;
  virtual void StopFallback() = 0;

  // Music: opens a track, closing the one before. Throws TKyError naming the file when no
  // decoder accepts it.
  virtual void OpenMusic(const std::string& path) = 0;
  virtual void SetMusicGain(double gain) = 0;
  virtual void PlayMusic() = 0;
  virtual void CloseMusic() = 0;
  // true once after the open track has played to its end.
  virtual bool TakeMusicFinished() = 0;
};

// No sound at all: no channels, and the fallback and the music play nothing.
class TSilentDevice final : public TAudioDevice {
 public:
  bool OpenChannels(int) override { return false; }
  void LoadChannel(int, const std::string&) override {}
  void PlayChannel(int, bool, double) override {}
  void StopChannel(int) override {}
  void PlayFallback(const std::string&, bool) override {}
  void StopFallback() override {}
  void OpenMusic(const std::string&) override {}
  void SetMusicGain(double) override {}
  void PlayMusic() override {}
  void CloseMusic() override {}
  bool TakeMusicFinished() override { return false; }
};

}  // namespace ky
