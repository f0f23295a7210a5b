#pragma once
// Sound fixtures made by the tests and the measures the tests take of what was played.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "testutil.h"

namespace kyaudio {

constexpr int kRate = 44100;

// A cosine tone (its first sample at the peak, so its onset is a sample that is not zero),
// `channels` interleaved copies of the same wave.
inline std::vector<int16_t> Tone(double freq, double seconds, int amplitude, int channels = 1, int rate = kRate) {
  const size_t n = static_cast<size_t>(std::lround(seconds * rate));
  std::vector<int16_t> s(n * static_cast<size_t>(channels));
  for (size_t i = 0; i < n; ++i)
    for (int c = 0; c < channels; ++c)
      s[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
          static_cast<int16_t>(std::lround(amplitude * std::cos(2 * M_PI * freq * static_cast<double>(i) / rate)));
  return s;
}

// A 16-bit PCM RIFF WAV file's bytes.
inline std::string WavBytes(const std::vector<int16_t>& samples, int channels = 1, int rate = kRate) {
  const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
  std::string b(44 + data, '\0');
  auto put32 = [&](size_t at, uint32_t v) { for (int k = 0; k < 4; ++k) b[at + k] = static_cast<char>(v >> (8 * k)); };
  auto put16 = [&](size_t at, uint32_t v) { for (int k = 0; k < 2; ++k) b[at + k] = static_cast<char>(v >> (8 * k)); };
  std::memcpy(&b[0], "RIFF", 4);
  put32(4, 36 + data);
  std::memcpy(&b[8], "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, static_cast<uint32_t>(channels));
  put32(24, static_cast<uint32_t>(rate));
  put32(28, static_cast<uint32_t>(rate * channels * 2));
  put16(32, static_cast<uint32_t>(channels * 2));
  put16(34, 16);
  std::memcpy(&b[36], "data", 4);
  put32(40, data);
  for (size_t i = 0; i < samples.size(); ++i) put16(44 + 2 * i, static_cast<uint16_t>(samples[i]));
  return b;
}

inline void WriteWav(const std::string& path, const std::vector<int16_t>& samples, int channels = 1, int rate = kRate) {
  kytest::WriteFile(path, WavBytes(samples, channels, rate));
}

// The interleaved stereo samples of a 44-byte-header WAV as the tool writes it; empty when the
// header is not 44.1 kHz 16-bit stereo PCM.
inline std::vector<int16_t> ReadStereoWav(const std::string& path) {
  const std::string b = kytest::ReadFile(path);
  if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 8, "WAVEfmt ") != 0) return {};
  auto get = [&](size_t at, int bytes) {
    uint32_t v = 0;
    for (int k = 0; k < bytes; ++k) v |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + k])) << (8 * k);
    return v;
  };
  if (get(20, 2) != 1 || get(22, 2) != 2 || get(24, 4) != kRate || get(34, 2) != 16) return {};
  std::vector<int16_t> s((b.size() - 44) / 2);
  std::memcpy(s.data(), b.data() + 44, s.size() * 2);
  return s;
}

// The amplitude of the `freq` component of one channel of interleaved stereo samples over
// [from, from + frames): 2/N times the magnitude of the signal's correlation with e^{-iwt}.
inline double ToneAmplitude(const std::vector<int16_t>& stereo, double freq, size_t from, size_t frames, int channel = 0) {
  double re = 0, im = 0;
  size_t n = 0;
  for (size_t t = from; t < from + frames && (t * 2 + 1) < stereo.size(); ++t, ++n) {
    const double x = stereo[t * 2 + static_cast<size_t>(channel)];
    re += x * std::cos(2 * M_PI * freq * static_cast<double>(t) / kRate);
    im -= x * std::sin(2 * M_PI * freq * static_cast<double>(t) / kRate);
  }
  return n == 0 ? 0.0 : 2.0 * std::hypot(re, im) / static_cast<double>(n);
}

// Frames where sound starts: a sample that is not zero after at least `quiet` silent frames
// (or at the very start).
inline std::vector<size_t> Onsets(const std::vector<int16_t>& stereo, size_t quiet = 200) {
  std::vector<size_t> onsets;
  size_t silent = quiet;
  for (size_t t = 0; t * 2 + 1 < stereo.size(); ++t) {
    const bool sounding = stereo[t * 2] != 0 || stereo[t * 2 + 1] != 0;
    if (sounding && silent >= quiet) onsets.push_back(t);
    silent = sounding ? 0 : silent + 1;
  }
  return onsets;
}

// The sample of a virtual tick (sample 0 at tick 0).
inline size_t SampleOfTick(uint32_t tick) { return static_cast<size_t>(uint64_t{tick} * kRate / 1000); }
// The tick of the first frame at or after `ms` on a clock of 33 ms a frame.
inline uint32_t FrameTickAtOrAfter(uint32_t ms) { return (ms + 32) / 33 * 33; }

}  // namespace kyaudio
