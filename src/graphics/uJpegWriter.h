#pragma once
// Encodes a surface as a baseline JFIF JPEG in memory (the alpha byte is dropped).
#include <cstdint>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

// quality 1..100 (clamped); throws EPictureError when the surface is empty or libjpeg fails.
std::vector<uint8_t> EncodeJpeg(const TBitmap32& picture, int quality = 90);

}  // namespace ky
