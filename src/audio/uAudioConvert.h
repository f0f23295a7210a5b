#pragma once
// Interleaved samples of any rate and channel count converted to the output's 44.1 kHz 16-bit
// stereo by FFmpeg's resampler: exact when only the width or the channel count changes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/uPcm.h"

namespace ky {

enum class TSampleKind { U8, S16, S32, F32 };

// Throws TKyError "<name>: ..." when the layout cannot be converted.
TPcm ConvertToOutput(const void* interleaved, size_t frames, int channels, int rate, TSampleKind kind,
                     const std::string& name);

}  // namespace ky
