#pragma once
// Windows bitmaps; alpha 255. Sizes beyond the picture limits and unreadable files raise
// EPictureError and leave the target 0 x 0.
#include <cstddef>
#include <string>
#include <string_view>

#include "graphics/uBitmap32.h"

namespace ky {

void LoadBmpFromFile(const std::string& path, TBitmap32& target);
void LoadBmpFromMemory(const void* data, size_t size, TBitmap32& target, std::string_view name = "BMP data");

}  // namespace ky
