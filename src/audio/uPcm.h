#pragma once
// Decoded sound as every back end here takes it: 44 100 Hz, 16-bit, stereo, interleaved.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ky {

constexpr int kAudioRate = 44100;
constexpr int kAudioChannels = 2;
// The longest sound or track decoded whole: 20 minutes (about 212 MB).
constexpr size_t kMaxAudioFrames = size_t{kAudioRate} * 60 * 20;

struct TPcm {
  std::vector<int16_t> Samples;  // left, right, left, right ...
  size_t Frames() const { return Samples.size() / kAudioChannels; }
};

// The PCM as a RIFF WAV file's bytes (44 100 Hz, 16-bit, stereo).
std::string WaveFileBytes(const TPcm& pcm);

}  // namespace ky
