// PNG through libpng. libpng's fatal-error callback jumps back to the one setjmp of the decode
// function, which turns it into an EPictureError; a guard created before that point releases
// the library's structures on every path, and no object with a destructor is created after the
// setjmp, so the jump never skips one.
#include "graphics/uPngReader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

#include "graphics/uPictureError.h"
#include "graphics/uPictureFile.h"
#include "graphics/uPictureLimits.h"
#include "graphics/uScopeGuard.h"

namespace ky {

namespace {

struct TPngSource {
  const uint8_t* Data;
  size_t Size;
  size_t Pos;
};

struct TPngErrorState {
  char Message[200];
};

void PngRead(png_structp png, png_bytep out, png_size_t n) {
  auto* s = static_cast<TPngSource*>(png_get_io_ptr(png));
  if (n > s->Size - s->Pos) png_error(png, "PNG data ends early");
  std::memcpy(out, s->Data + s->Pos, n);
  s->Pos += n;
}

void PngError(png_structp png, png_const_charp message) {
  auto* e = static_cast<TPngErrorState*>(png_get_error_ptr(png));
  std::snprintf(e->Message, sizeof e->Message, "%s", message != nullptr ? message : "PNG error");
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void DecodePng(const uint8_t* data, size_t size, TPngPicture& out, std::string_view name) {
  TPngSource source{data, size, 0};
  TPngErrorState err{};
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) FailPicture(name, "not a PNG file");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &err, PngError, PngWarning);
  if (png == nullptr) FailPicture(name, "out of memory");
  png_infop info = png_create_info_struct(png);
  TScopeGuard guard([&png, &info] { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); });
  if (info == nullptr) FailPicture(name, "out of memory");
  std::vector<png_bytep> rows;

  if (setjmp(png_jmpbuf(png))) FailPicture(name, err.Message);

  png_set_read_fn(png, &source, PngRead);
  png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
  png_set_chunk_cache_max(png, 128);
  png_set_chunk_malloc_max(png, 8 * 1024 * 1024);
  png_read_info(png, info);
  png_uint_32 w = 0, h = 0;
  int depth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &w, &h, &depth, &colourType, &interlace, nullptr, nullptr);
  CheckPictureSize(name, w, h);
  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  out.HasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;

  // Every PNG arrives as B, G, R, A bytes: one TColor32 per pixel.
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (hasTrns) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_scale_16(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (!out.HasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4) FailPicture(name, "unexpected PNG row layout");

  out.Picture.SetSize(static_cast<int>(w), static_cast<int>(h));
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = reinterpret_cast<png_bytep>(out.Picture.ScanLine(static_cast<int>(y)));
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
}

// The alpha bytes move to AlphaMap (when the file has any) and the picture becomes opaque.
void SplitAlpha(TPngPicture& p) {
  const size_t n = static_cast<size_t>(p.Picture.Width()) * static_cast<size_t>(p.Picture.Height());
  if (p.HasAlpha) p.AlphaMap.resize(n);
  TColor32* px = p.Picture.Bits();
  for (size_t i = 0; i < n; ++i) {
    if (p.HasAlpha) p.AlphaMap[i] = static_cast<uint8_t>(px[i] >> 24);
    px[i] |= 0xFF000000u;
  }
}

}  // namespace

TPngPicture ReadPngFromMemory(const void* data, size_t size, std::string_view name) {
  TPngPicture p;
  DecodePng(static_cast<const uint8_t*>(data), size, p, name);
  SplitAlpha(p);
  return p;
}

TPngPicture ReadPngFile(const std::string& path) {
  const std::vector<uint8_t> data = ReadPictureFile(path);
  return ReadPngFromMemory(data.data(), data.size(), path);
}

}  // namespace ky
