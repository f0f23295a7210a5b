#include "uMixerDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "audio/uMediaDecoder.h"
#include "audio/uWaveSound.h"
#include "platform/uError.h"

namespace ky {

namespace {

// 1024 frames (23 ms) keep a sound's start close to the frame that asks for it.
constexpr int kBufferFrames = 1024;
constexpr const char* kSoundFonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                       "/usr/share/sounds/sf2/default-GM.sf2"};

// The mixer's finish hook carries no user data, and the mixer is opened once per process: the
// hook can only mark a process-wide flag, which the show's thread takes.
std::atomic<bool> gMusicFinished{false};
void OnMusicFinished() { gMusicFinished.store(true); }

// Multiplies a channel's 16-bit stereo samples by its gain: exact to the sample, where the
// mixer's own volume has only 128 steps.
void ApplyGain(int, void* stream, int length, void* data) {
  const float gain = static_cast<const std::atomic<float>*>(data)->load();
  if (gain == 1.0f) return;
  int16_t* s = static_cast<int16_t*>(stream);
  for (int i = 0; i < length / 2; ++i) s[i] = static_cast<int16_t>(std::lrint(s[i] * gain));
}

bool FileExists(const char* path) {
  struct stat st {};
  return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

TMixerDevice::TMixerDevice() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
  Mix_Init(MIX_INIT_FLAC | MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_MID);
  // No change allowed: the mixer works at our own format and SDL converts for the device, so
  // the chunks made from our samples always fit.
  if (Mix_OpenAudioDevice(kAudioRate, AUDIO_S16SYS, kAudioChannels, kBufferFrames, nullptr, 0) != 0) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  int rate = 0, channels = 0;
  Uint16 format = 0;
  if (!Mix_QuerySpec(&rate, &format, &channels) || rate != kAudioRate || format != AUDIO_S16SYS ||
      channels != kAudioChannels) {
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  FOpen = true;
  if (!std::getenv("SDL_SOUNDFONTS"))
    for (const char* font : kSoundFonts)
      if (FileExists(font)) {
        Mix_SetSoundFonts(font);
        break;
      }
  gMusicFinished.store(false);
  Mix_HookMusicFinished(OnMusicFinished);
}

TMixerDevice::~TMixerDevice() {
  if (!FOpen) return;
  Mix_HookMusicFinished(nullptr);
  CloseMusic();
  Mix_HaltChannel(-1);
  for (int n = 7; n >= 0; --n) FreeChannel(n);
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool TMixerDevice::OpenChannels(int count) {
  if (!FOpen || count > static_cast<int>(FChannel.size())) return false;
  FChannels = Mix_AllocateChannels(count);
  return FChannels == count;
}

void TMixerDevice::FreeChannel(int n) {
  TChannel& c = FChannel[static_cast<size_t>(n)];
  if (c.Chunk) {
    Mix_HaltChannel(n);
    Mix_FreeChunk(c.Chunk);
    c.Chunk = nullptr;
  }
  c.Pcm = TPcm();
}

void TMixerDevice::LoadChannel(int n, const std::string& path) {
  if (!FOpen || n < 0 || n >= FChannels) return;
  TPcm pcm = ReadWaveFile(path);
  FreeChannel(n);
  TChannel& c = FChannel[static_cast<size_t>(n)];
  c.Pcm = std::move(pcm);
  c.Chunk = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(c.Pcm.Samples.data()),
                              static_cast<Uint32>(c.Pcm.Samples.size() * sizeof(int16_t)));
  if (!c.Chunk) {
    c.Pcm = TPcm();
    throw TKyError(path + ": the mixer cannot take the sound (" + Mix_GetError() + ")");
  }
}

void TMixerDevice::StartChannel(int n, bool loop, double gain) {
  TChannel& c = FChannel[static_cast<size_t>(n)];
  c.Gain.store(static_cast<float>(gain));
  // A channel that still plays goes on, at the new level.
  if (Mix_Playing(n)) return;
  // The mixer drops a channel's effects when it stops, so each start registers the gain anew.
  Mix_UnregisterAllEffects(n);
  Mix_RegisterEffect(n, ApplyGain, nullptr, &c.Gain);
  Mix_PlayChannel(n, c.Chunk, loop ? -1 : 0);
}

void TMixerDevice::PlayChannel(int n, bool loop, double gain) {
  if (!FOpen || n < 0 || n >= FChannels || !FChannel[static_cast<size_t>(n)].Chunk) return;
  StartChannel(n, loop, gain);
}

void TMixerDevice::StopChannel(int n) {
  if (FOpen && n >= 0 && n < FChannels) Mix_HaltChannel(n);
}

// Only reached when the mixer is open but cannot give every channel: the first one plays the
// file at full level.
void TMixerDevice::PlayFallback(const std::string& path, bool loop) {
  if (!FOpen || Mix_AllocateChannels(-1) < 1) return;
  try {
    if (FChannels < 1) FChannels = 1;
    Mix_HaltChannel(0);
    LoadChannel(0, path);
    StartChannel(0, loop, 1.0);
  } catch (const TKyError&) {
    // The one-sound player plays nothing for a file it cannot play.
  }
}

void TMixerDevice::StopFallback() {
  if (FOpen && Mix_AllocateChannels(-1) >= 1) Mix_HaltChannel(0);
}

void TMixerDevice::OpenMusic(const std::string& path) {
  CloseMusic();
  if (!FOpen) return;
  FMusic = Mix_LoadMUS(path.c_str());
  // A track without a single sample would end at once, again and again.
  if (FMusic && Mix_MusicDuration(FMusic) == 0.0) {
    Mix_FreeMusic(FMusic);
    FMusic = nullptr;
    throw TKyError(path + ": the music holds no sound");
  }
  if (FMusic) return;
  // Not a format of the mixer's own: FFmpeg decodes it, the mixer plays the result.
  FMusicBytes = WaveFileBytes(DecodeMediaFile(path));
  SDL_RWops* rw = SDL_RWFromConstMem(FMusicBytes.data(), static_cast<int>(FMusicBytes.size()));
  FMusic = rw ? Mix_LoadMUS_RW(rw, /*freesrc=*/1) : nullptr;
  if (!FMusic) {
    FMusicBytes.clear();
    throw TKyError(path + ": the music cannot be played (" + Mix_GetError() + ")");
  }
}

void TMixerDevice::SetMusicGain(double gain) {
  FMusicGain = gain;
  if (FOpen) Mix_VolumeMusic(static_cast<int>(std::lround(std::clamp(gain, 0.0, 1.0) * MIX_MAX_VOLUME)));
}

void TMixerDevice::PlayMusic() {
  if (!FMusic) return;
  gMusicFinished.store(false);
  if (Mix_PlayMusic(FMusic, 0) != 0) throw TKyError(std::string("the music cannot be played (") + Mix_GetError() + ")");
  SetMusicGain(FMusicGain);
}

void TMixerDevice::CloseMusic() {
  if (FMusic) {
    Mix_HaltMusic();
    Mix_FreeMusic(FMusic);
    FMusic = nullptr;
  }
  FMusicBytes.clear();
  // Halting reports a finish too; that one is no end of a track.
  gMusicFinished.store(false);
}

bool TMixerDevice::TakeMusicFinished() { return gMusicFinished.exchange(false); }

}  // namespace ky
