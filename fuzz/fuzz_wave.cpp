// libFuzzer target: the scene sounds' WAV reader must return 44.1 kHz stereo samples or raise
// its own error for any input. Its seeds in fuzz/corpus/wave/ are three tiny WAV files written
// for this project (16-bit mono, 8-bit stereo, float stereo).
#include <cstddef>
#include <cstdint>

#include "audio/uWaveSound.h"
#include "platform/uError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const ky::TPcm pcm = ky::DecodeWave(data, size, "input");
    if (pcm.Samples.empty() || pcm.Samples.size() % ky::kAudioChannels != 0 || pcm.Frames() > ky::kMaxAudioFrames)
      __builtin_trap();
  } catch (const ky::TKyError&) {
  }
  return 0;
}
