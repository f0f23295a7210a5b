#pragma once
// Encodes a surface as a baseline JFIF JPEG in memory (the alpha byte is dropped).
#include <cstdint>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

// quality 1..100; throws std::runtime_error when libjpeg fails or the surface is empty.
std::vector<uint8_t> EncodeJpeg(const TBitmap32& picture, int quality = 90);

}  // namespace ky
