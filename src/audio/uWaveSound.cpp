#include "uWaveSound.h"

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "audio/uAudioConvert.h"
#include "platform/uError.h"

namespace ky {

namespace {

// Sound files larger than this are refused before they are read (6 minutes of CD-quality stereo;
// the decoders expand compressed sound up to four times).
constexpr size_t kMaxWaveFileBytes = 64u << 20;

uint32_t Get32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + k])) << (8 * k);
  return v;
}

void Put32(std::string& b, size_t at, uint64_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<char>(v >> (8 * k));
}

// A chunk that claims more than is left of the file is cut to what is there: the WAV loader
// allocates what a chunk claims before it finds the file short, so a tiny file could ask for
// gigabytes.
void CutChunksToTheFile(std::string& b) {
  if (b.size() < 12) return;
  if (Get32(b, 4) > b.size() - 8) Put32(b, 4, b.size() - 8);
  size_t at = 12;
  while (at + 8 <= b.size()) {
    const uint64_t left = b.size() - at - 8;
    const uint64_t length = Get32(b, at + 4);
    if (length > left) {
      Put32(b, at + 4, left);
      return;
    }
    at += 8 + length + (length & 1);
  }
}

struct TWaveFree {
  void operator()(Uint8* p) const { SDL_FreeWAV(p); }
};

struct TFileClose {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string ReadSoundFile(const std::string& path) {
  const std::unique_ptr<std::FILE, TFileClose> f(std::fopen(path.c_str(), "rb"));
  if (!f) throw TKyError(path + ": cannot open the sound file (" + std::strerror(errno) + ")");
  std::string bytes;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
    if (bytes.size() + n > kMaxWaveFileBytes) throw TKyError(path + ": the sound file is too large");
    bytes.append(buffer, n);
  }
  if (std::ferror(f.get())) throw TKyError(path + ": cannot read the sound file");
  return bytes;
}

}  // namespace

std::string WaveFileBytes(const TPcm& pcm) {
  const uint32_t dataBytes = static_cast<uint32_t>(pcm.Samples.size() * sizeof(int16_t));
  std::string out(44 + dataBytes, '\0');
  auto put32 = [&](size_t at, uint32_t v) { for (int k = 0; k < 4; ++k) out[at + k] = static_cast<char>(v >> (8 * k)); };
  auto put16 = [&](size_t at, uint16_t v) { for (int k = 0; k < 2; ++k) out[at + k] = static_cast<char>(v >> (8 * k)); };
  std::memcpy(&out[0], "RIFF", 4);
  put32(4, 36 + dataBytes);
  std::memcpy(&out[8], "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, kAudioChannels);
  put32(24, kAudioRate);
  put32(28, kAudioRate * kAudioChannels * 2);
  put16(32, kAudioChannels * 2);
  put16(34, 16);
  std::memcpy(&out[36], "data", 4);
  put32(40, dataBytes);
  for (size_t i = 0; i < pcm.Samples.size(); ++i) put16(44 + 2 * i, static_cast<uint16_t>(pcm.Samples[i]));
  return out;
}

TPcm DecodeWave(const void* data, size_t size, const std::string& name) {
  if (size == 0) throw TKyError(name + ": the sound file is empty");
  if (size > kMaxWaveFileBytes) throw TKyError(name + ": the sound file is too large");
  std::string bytes(static_cast<const char*>(data), size);
  CutChunksToTheFile(bytes);
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) throw TKyError(name + ": cannot read the sound file");
  SDL_AudioSpec wav{};
  Uint8* raw = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV_RW(rw, /*freesrc=*/1, &wav, &raw, &length))
    throw TKyError(name + ": not a usable WAV sound (" + SDL_GetError() + ")");
  const std::unique_ptr<Uint8, TWaveFree> samples(raw);
  TSampleKind kind;
  switch (wav.format) {
    case AUDIO_U8: kind = TSampleKind::U8; break;
    case AUDIO_S16SYS: kind = TSampleKind::S16; break;
    case AUDIO_S32SYS: kind = TSampleKind::S32; break;
    case AUDIO_F32SYS: kind = TSampleKind::F32; break;
    default: throw TKyError(name + ": the WAV sound's sample format cannot be played");
  }
  const size_t frameBytes = static_cast<size_t>(SDL_AUDIO_BITSIZE(wav.format) / 8) * wav.channels;
  if (frameBytes == 0 || wav.freq <= 0 || length < frameBytes) throw TKyError(name + ": the WAV sound holds no samples");
  TPcm pcm = ConvertToOutput(samples.get(), length / frameBytes, wav.channels, wav.freq, kind, name);
  if (pcm.Samples.empty()) throw TKyError(name + ": the WAV sound holds no samples");
  return pcm;
}

TPcm ReadWaveFile(const std::string& path) {
  const std::string bytes = ReadSoundFile(path);
  return DecodeWave(bytes.data(), bytes.size(), path);
}

}  // namespace ky
