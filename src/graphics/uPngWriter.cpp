#include "graphics/uPngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include "graphics/uPictureError.h"

namespace ky {

namespace {

struct TFileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

[[noreturn]] void PngWriteError(png_structp png, png_const_charp) { longjmp(png_jmpbuf(png), 1); }
void PngWriteWarning(png_structp, png_const_charp) {}

}  // namespace

void SavePngFile(const TBitmap32& bitmap, const std::string& path) {
  std::unique_ptr<FILE, TFileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) throw EPictureError(path + ": cannot write the file");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &PngWriteError, &PngWriteWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  // Rows are converted before the jump point, so nothing owned is live across a longjmp.
  const int w = bitmap.Width(), h = bitmap.Height();
  std::vector<png_byte> rows(static_cast<size_t>(w) * 3 * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    const TColor32* src = bitmap.ScanLine(y);
    png_byte* dst = rows.data() + static_cast<size_t>(y) * w * 3;
    for (int x = 0; x < w; ++x) {
      dst[3 * x] = static_cast<png_byte>(RedComponent(src[x]));
      dst[3 * x + 1] = static_cast<png_byte>(GreenComponent(src[x]));
      dst[3 * x + 2] = static_cast<png_byte>(BlueComponent(src[x]));
    }
  }
  std::vector<png_bytep> rowPointers(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) rowPointers[static_cast<size_t>(y)] = rows.data() + static_cast<size_t>(y) * w * 3;
  // Changed after setjmp, so it must live in memory, not in a register the jump restores.
  volatile bool ok = png && info && w > 0 && h > 0;
  if (ok) {
    if (setjmp(png_jmpbuf(png))) {
      ok = false;
    } else {
      png_init_io(png, file.get());
      png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB,
                   PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
      // Frames are written many at a time; fast compression keeps that cheap.
      png_set_compression_level(png, 3);
      png_write_info(png, info);
      png_write_image(png, rowPointers.data());
      png_write_end(png, nullptr);
    }
  }
  png_destroy_write_struct(&png, &info);
  if (!ok || std::fflush(file.get()) != 0) throw EPictureError(path + ": cannot write the file");
}

}  // namespace ky
