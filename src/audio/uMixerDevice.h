#pragma once
// The live audio device: SDL2_mixer opened once, channels 0-7 for the scene sounds, its music
// stream for the playlist. Music the mixer cannot decode itself (WMA, AAC) is decoded by FFmpeg
// and handed to the same music stream. MIDI plays with the installed General MIDI sound font.
#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "audio/uAudioDevice.h"
#include "audio/uPcm.h"

struct Mix_Chunk;
struct _Mix_Music;

namespace ky {

class TMixerDevice final : public TAudioDevice {
 public:
  // Opens the audio output; with none to be had the device plays nothing, without a message.
  TMixerDevice();
  ~TMixerDevice() override;
  TMixerDevice(const TMixerDevice&) = delete;
  TMixerDevice& operator=(const TMixerDevice&) = delete;

  bool Available() const { return FOpen; }

  bool OpenChannels(int count) override;
  void LoadChannel(int n, const std::string& path) override;
  void PlayChannel(int n, bool loop, double gain) override;
  void StopChannel(int n) override;
  void PlayFallback(const std::string& path, bool loop) override;
  void StopFallback() override;
  void OpenMusic(const std::string& path) override;
  void SetMusicGain(double gain) override;
  void PlayMusic() override;
  void CloseMusic() override;
  bool TakeMusicFinished() override;

 private:
  struct TChannel {
    TPcm Pcm;  // the chunk plays straight from these samples
    Mix_Chunk* Chunk = nullptr;
    std::atomic<float> Gain{1.0f};
  };
  void FreeChannel(int n);
  void StartChannel(int n, bool loop, double gain);

  bool FOpen = false;
  int FChannels = 0;
  std::array<TChannel, 8> FChannel;
  _Mix_Music* FMusic = nullptr;
  std::string FMusicBytes;  // a decoded track, as a WAV the music stream reads from memory
  double FMusicGain = 1.0;
};

}  // namespace ky
