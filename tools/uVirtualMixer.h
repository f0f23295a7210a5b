#pragma once
// The audio device of the virtual clock: it notes at which tick every sound and track starts
// and stops, and mixes them afterwards into one 44.1 kHz 16-bit stereo WAV whose sample 0 is
// the show's first frame. The sounds are the live show's own decodes; music is decoded by
// FFmpeg, and MIDI, which needs a synthesiser, is written as silence.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/uAudioDevice.h"
#include "audio/uPcm.h"
#include "platform/uTicks.h"

namespace ky {

class TVirtualMixer final : public TAudioDevice {
 public:
  // startTick: the tick of sample 0; channels: how many the device can give (8 for a normal
  // device, fewer to try the fallback player).
  TVirtualMixer(const TTickSource& clock, uint32_t startTick, int channels = 8);

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

  // Mixes everything that played over the first `frames` sample frames, clipped.
  TPcm Mix(size_t frames) const;

 private:
  // One stretch of a sound playing: from sample Start to sample End (exclusive), reading the
  // sound from Offset on, wrapping round when it loops.
  struct TVoice {
    std::shared_ptr<const TPcm> Sound;
    int64_t Start = 0;
    int64_t End = INT64_MAX;
    int64_t Offset = 0;
    bool Loop = false;
    double Gain = 1.0;
  };
  struct TSlot {
    std::shared_ptr<const TPcm> Sound;
    int Voice = -1;  // the voice it plays now, if any
  };
  int64_t NowSample() const;
  bool Sounding(const TSlot& slot, int64_t now) const;
  void Start(TSlot& slot, bool loop, double gain);
  void Stop(TSlot& slot);

  const TTickSource& FClock;
  uint32_t FStartTick;
  int FChannels;
  std::array<TSlot, 8> FSlot;
  TSlot FFallback, FMusic;
  double FMusicGain = 1.0;
  bool FMusicEndNoted = false;
  bool FMusicMidi = false;  // the open track is MIDI, written as silence
  std::vector<TVoice> FVoices;
};

}  // namespace ky
