#include "graphics/uJpegWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "graphics/uJpegLib.h"
#include "graphics/uPictureError.h"
#include "graphics/uScopeGuard.h"

namespace ky {

namespace {

constexpr std::string_view kName = "JPEG encoding";

// jpeg_mem_dest allocates with malloc; this frees it on every path.
struct TMallocBuffer {
  unsigned char* Data = nullptr;
  unsigned long Size = 0;
  ~TMallocBuffer() { std::free(Data); }
};

void EncodeInto(const TBitmap32& picture, int quality, TMallocBuffer& out) {
  jpeg_compress_struct cinfo;
  TJpegErrors jerr;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = InstallJpegErrors(jerr);
  std::vector<uint8_t> row(static_cast<size_t>(picture.Width()) * 3);
  jpeg_create_compress(&cinfo);
  TScopeGuard guard([&cinfo] { jpeg_destroy_compress(&cinfo); });

  if (setjmp(jerr.Jump)) FailPicture(kName, jerr.Message);

  jpeg_mem_dest(&cinfo, &out.Data, &out.Size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.Width());
  cinfo.image_height = static_cast<JDIMENSION>(picture.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const TColor32* src = picture.ScanLine(static_cast<int>(cinfo.next_scanline));
    for (int x = 0; x < picture.Width(); ++x) {
      row[3 * x] = static_cast<uint8_t>(RedComponent(src[x]));
      row[3 * x + 1] = static_cast<uint8_t>(GreenComponent(src[x]));
      row[3 * x + 2] = static_cast<uint8_t>(BlueComponent(src[x]));
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const TBitmap32& picture, int quality) {
  if (picture.Empty()) FailPicture(kName, "an empty picture cannot be written as JPEG");
  TMallocBuffer out;
  EncodeInto(picture, std::clamp(quality, 1, 100), out);
  return std::vector<uint8_t>(out.Data, out.Data + out.Size);
}

}  // namespace ky
