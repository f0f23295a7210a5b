#pragma once
// Music the mixer cannot decode itself (WMA, AAC/M4A), and every music track on the virtual
// clock: the file's first audio stream decoded by FFmpeg into 44.1 kHz 16-bit stereo.
#include <string>

#include "audio/uPcm.h"

namespace ky {

// Throws TKyError "<path>: ..." when no decoder accepts the file or it holds no audio.
TPcm DecodeMediaFile(const std::string& path);

}  // namespace ky
