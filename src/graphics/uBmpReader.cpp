// Windows bitmaps through stb_image, built here with its BMP reader only.
#include "graphics/uBmpReader.h"

#include <cstring>
#include <memory>
#include <vector>

#include "graphics/uPictureError.h"
#include "graphics/uPictureFile.h"
#include "graphics/uPictureLimits.h"
#include "platform/uBytes.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

static_assert(STBI_MAX_DIMENSIONS == ky::kMaxPictureSide, "the BMP reader's own limit follows ours");

namespace ky {

namespace {

// The reader fills whatever lies past the end of the data with zeros, so a header of a few bytes
// could make it decode a picture of tens of megapixels; and it takes a compression field with the
// top bit set for a plain one. Only the kinds it reads (plain and bit fields) pass, and only with
// the pixel data the header declares, the last row's padding aside.
void CheckDeclaredData(const stbi_uc* bytes, size_t size, std::string_view name) {
  constexpr size_t kFileHeader = 14;
  if (size < kFileHeader + 4) return;  // too short for the reader to take
  const uint32_t headerSize = Le32(bytes + kFileHeader);
  if (headerSize < 12 || size - kFileHeader < headerSize) FailPicture(name, "truncated BMP file: the header is incomplete");
  int64_t w = 0, h = 0, bpp = 0;
  if (headerSize == 12) {
    w = Le16(bytes + 18);
    h = Le16(bytes + 20);
    bpp = Le16(bytes + 24);
  } else {
    if (headerSize < 20) return;  // the reader refuses these itself
    w = static_cast<int32_t>(Le32(bytes + 18));
    h = static_cast<int32_t>(Le32(bytes + 22));
    bpp = Le16(bytes + 28);
    const uint32_t compression = Le32(bytes + 30);
    if (compression != 0 && compression != 3) FailPicture(name, "unsupported BMP compression");
  }
  if (h < 0) h = -h;  // top-down rows
  if (w <= 0 || h <= 0 || bpp <= 0 || bpp > 32) return;  // the reader refuses these itself
  const int64_t rowBytes = (w * bpp + 7) / 8, stride = (w * bpp + 31) / 32 * 4;
  const int64_t dataStart = Le32(bytes + 10);
  if (dataStart + stride * (h - 1) + rowBytes > static_cast<int64_t>(size))
    FailPicture(name, "truncated BMP file: the pixel data is shorter than its header says");
}

void DecodeBmp(const void* data, size_t size, TBitmap32& target, std::string_view name) {
  auto fail = [&](const char* what) { FailPicture(name, what); };
  if (size > 0x7FFFFFFF) fail("BMP data too large");
  const auto* bytes = static_cast<const stbi_uc*>(data);
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(bytes, static_cast<int>(size), &w, &h, &channels)) fail("not a readable BMP file");
  CheckPictureSize(name, w, h);
  CheckDeclaredData(bytes, size, name);
  struct TFree {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
  };
  std::unique_ptr<stbi_uc, TFree> pixels(stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 4));
  if (!pixels) fail(stbi_failure_reason() != nullptr ? stbi_failure_reason() : "corrupt BMP file");
  CheckPictureSize(name, w, h);
  target.SetSize(w, h);
  const stbi_uc* p = pixels.get();
  for (int y = 0; y < h; ++y) {
    TColor32* row = target.ScanLine(y);
    for (int x = 0; x < w; ++x, p += 4) row[x] = MakeColor32(p[0], p[1], p[2], 255);
  }
}

}  // namespace

void LoadBmpFromMemory(const void* data, size_t size, TBitmap32& target, std::string_view name) {
  try {
    DecodeBmp(data, size, target, name);
  } catch (...) {
    // No half-decoded picture is left behind.
    target.SetSize(0, 0);
    throw;
  }
}

void LoadBmpFromFile(const std::string& path, TBitmap32& target) {
  const std::vector<uint8_t> data = ReadPictureFile(path);
  LoadBmpFromMemory(data.data(), data.size(), target, path);
}

}  // namespace ky
