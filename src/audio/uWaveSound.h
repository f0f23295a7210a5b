#pragma once
// The scene sounds' reader: a RIFF WAV (PCM, float, ADPCM, A-law or mu-law, any rate) decoded
// into 44.1 kHz 16-bit stereo.
#include <cstddef>
#include <string>

#include "audio/uPcm.h"

namespace ky {

// Throws TKyError "<name>: ..." for anything that is not a WAV with at least one sample frame.
TPcm DecodeWave(const void* data, size_t size, const std::string& name);
TPcm ReadWaveFile(const std::string& path);

}  // namespace ky
