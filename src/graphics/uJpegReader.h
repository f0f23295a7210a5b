#pragma once
// JPEG pictures at full scale in 24-bit colour (CMYK ones converted); alpha 255. The size
// and the decoding work are bounded (uPictureLimits.h); beyond them, and on a truncated or
// corrupt file, EPictureError is raised and the target is left 0 x 0.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

void LoadJpegFromFile(const std::string& path, TBitmap32& target);
// name is used in error messages.
void LoadJpegFromMemory(const void* data, size_t size, TBitmap32& target, std::string_view name = "JPEG data");

// Decoded at the smallest of the library's DCT scales n/8 (n = 1..8) that gives at least
// minWidth x minHeight, or at full scale when none does: far less work than a full decode when
// only a small picture is wanted.
void LoadJpegScaledFromFile(const std::string& path, int minWidth, int minHeight, TBitmap32& target);
void LoadJpegScaledFromMemory(const void* data, size_t size, int minWidth, int minHeight, TBitmap32& target,
                              std::string_view name = "JPEG data");

// What a JPEG's header tells before any picture data: the picture's size and its EXIF block
// (the payload of the first APP1 marker that starts "Exif\0\0"; empty when there is none).
struct TJpegHeader {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Exif;
};

// Reads the markers up to the first scan and no further, so the leading bytes of a file are
// enough. Throws EPictureError when the data is not a JPEG or ends before its first scan.
TJpegHeader ReadJpegHeader(const void* data, size_t size, std::string_view name = "JPEG data");

}  // namespace ky
