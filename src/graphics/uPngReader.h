#pragma once
// PNG pictures, every colour type and depth arriving as 8-bit B, G, R, A. Truncated or corrupt
// files and sizes beyond the picture limits raise EPictureError.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

// A PNG with its alpha channel held separately: Picture has every alpha 255; when the file has
// transparency (an alpha channel or a tRNS chunk) HasAlpha is true and AlphaMap holds one byte
// per pixel, row after row from the top.
struct TPngPicture {
  TBitmap32 Picture;
  bool HasAlpha = false;
  std::vector<uint8_t> AlphaMap;
};

TPngPicture ReadPngFile(const std::string& path);
TPngPicture ReadPngFromMemory(const void* data, size_t size, std::string_view name = "PNG data");

}  // namespace ky
