#include "uVirtualMixer.h"

#include <algorithm>
#include <cmath>

#include "audio/uMediaDecoder.h"
#include "audio/uWaveSound.h"
#include "platform/uError.h"
#include "platform/uText.h"

namespace ky {

namespace {

bool IsMidi(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = UpperCaseAscii(name.substr(dot));
  return ext == ".MID" || ext == ".MIDI" || ext == ".RMI" || ext == ".KAR";
}

}  // namespace

TVirtualMixer::TVirtualMixer(const TTickSource& clock, uint32_t startTick, int channels)
    : FClock(clock), FStartTick(startTick), FChannels(channels) {}

int64_t TVirtualMixer::NowSample() const {
  return static_cast<int64_t>(TickDiff(FClock.Now(), FStartTick)) * kAudioRate / 1000;
}

bool TVirtualMixer::Sounding(const TSlot& slot, int64_t now) const {
  if (slot.Voice < 0) return false;
  const TVoice& v = FVoices[static_cast<size_t>(slot.Voice)];
  if (now >= v.End) return false;
  return v.Loop || now < v.Start + static_cast<int64_t>(v.Sound->Frames()) - v.Offset;
}

void TVirtualMixer::Start(TSlot& slot, bool loop, double gain) {
  const int64_t now = NowSample();
  if (Sounding(slot, now)) {
    // Still playing: it goes on where it is, at the new level.
    TVoice& v = FVoices[static_cast<size_t>(slot.Voice)];
    if (v.Gain == gain) return;
    TVoice next = v;
    v.End = now;
    const int64_t length = static_cast<int64_t>(v.Sound->Frames());
    next.Offset = next.Loop ? (now - v.Start + v.Offset) % length : now - v.Start + v.Offset;
    next.Start = now;
    next.Gain = gain;
    FVoices.push_back(next);
  } else {
    FVoices.push_back({slot.Sound, now, INT64_MAX, 0, loop, gain});
  }
  slot.Voice = static_cast<int>(FVoices.size()) - 1;
}

void TVirtualMixer::Stop(TSlot& slot) {
  if (slot.Voice >= 0) {
    TVoice& v = FVoices[static_cast<size_t>(slot.Voice)];
    v.End = std::min(v.End, NowSample());
  }
  slot.Voice = -1;
}

bool TVirtualMixer::OpenChannels(int count) { return count <= FChannels && count <= static_cast<int>(FSlot.size()); }

void TVirtualMixer::LoadChannel(int n, const std::string& path) {
  if (n < 0 || n >= FChannels) return;
  auto sound = std::make_shared<const TPcm>(ReadWaveFile(path));
  TSlot& slot = FSlot[static_cast<size_t>(n)];
  Stop(slot);
  slot.Sound = std::move(sound);
}

void TVirtualMixer::PlayChannel(int n, bool loop, double gain) {
  if (n < 0 || n >= FChannels || !FSlot[static_cast<size_t>(n)].Sound) return;
  Start(FSlot[static_cast<size_t>(n)], loop, gain);
}

void TVirtualMixer::StopChannel(int n) {
  if (n >= 0 && n < FChannels) Stop(FSlot[static_cast<size_t>(n)]);
}

void TVirtualMixer::PlayFallback(const std::string& path, bool loop) {
  Stop(FFallback);
  try {
    FFallback.Sound = std::make_shared<const TPcm>(ReadWaveFile(path));
  } catch (const TKyError&) {
    FFallback.Sound.reset();
    return;
  }
  Start(FFallback, loop, 1.0);
}

void TVirtualMixer::StopFallback() { Stop(FFallback); }

void TVirtualMixer::OpenMusic(const std::string& path) {
  CloseMusic();
  if (IsMidi(path)) {
    // Silence that never ends: without a synthesiser the track's length is unknown here.
    auto silence = std::make_shared<TPcm>();
    silence->Samples.assign(kAudioChannels, 0);
    FMusic.Sound = std::move(silence);
    FMusicMidi = true;
    return;
  }
  FMusic.Sound = std::make_shared<const TPcm>(DecodeMediaFile(path));
}

void TVirtualMixer::SetMusicGain(double gain) { FMusicGain = gain; }

void TVirtualMixer::PlayMusic() {
  if (!FMusic.Sound) return;
  Stop(FMusic);
  Start(FMusic, /*loop=*/FMusicMidi, FMusicGain);
  FMusicEndNoted = false;
}

void TVirtualMixer::CloseMusic() {
  Stop(FMusic);
  FMusic.Sound.reset();
  FMusicMidi = false;
  FMusicEndNoted = false;
}

bool TVirtualMixer::TakeMusicFinished() {
  if (FMusicEndNoted || FMusic.Voice < 0 || FMusicMidi) return false;
  if (Sounding(FMusic, NowSample())) return false;
  FMusicEndNoted = true;
  return true;
}

TPcm TVirtualMixer::Mix(size_t frames) const {
  std::vector<double> sum(frames * kAudioChannels, 0.0);
  for (const TVoice& v : FVoices) {
    const int64_t length = static_cast<int64_t>(v.Sound->Frames());
    if (length == 0) continue;
    int64_t end = std::min<int64_t>(v.End, static_cast<int64_t>(frames));
    if (!v.Loop) end = std::min(end, v.Start + length - v.Offset);
    for (int64_t t = std::max<int64_t>(v.Start, 0); t < end; ++t) {
      int64_t at = t - v.Start + v.Offset;
      if (v.Loop) at %= length;
      const int16_t* s = &v.Sound->Samples[static_cast<size_t>(at) * kAudioChannels];
      double* d = &sum[static_cast<size_t>(t) * kAudioChannels];
      for (int c = 0; c < kAudioChannels; ++c) d[c] += s[c] * v.Gain;
    }
  }
  TPcm out;
  out.Samples.resize(sum.size());
  for (size_t i = 0; i < sum.size(); ++i)
    out.Samples[i] = static_cast<int16_t>(std::clamp(std::lrint(sum[i]), -32768L, 32767L));
  return out;
}

}  // namespace ky
