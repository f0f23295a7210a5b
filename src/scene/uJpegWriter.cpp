#include "scene/uJpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <jpeglib.h>

namespace ky {

namespace {
struct TErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// jpeg_mem_dest allocates with malloc; this frees it on every path.
struct TMallocBuffer {
  unsigned char* data = nullptr;
  unsigned long size = 0;
  ~TMallocBuffer() { std::free(data); }
};

// Holds the encoder state outside the setjmp frame so longjmp leaves nothing in a register.
struct TEncoder {
  jpeg_compress_struct cinfo{};
  TErrorManager err{};
  TMallocBuffer out;
  std::vector<uint8_t> row;
  bool created = false;
  ~TEncoder() {
    if (created) jpeg_destroy_compress(&cinfo);
  }
};

bool Encode(TEncoder& e, const TBitmap32& picture, int quality) {
  e.cinfo.err = jpeg_std_error(&e.err.pub);
  e.err.pub.error_exit = OnError;
  if (setjmp(e.err.jump)) return false;
  jpeg_create_compress(&e.cinfo);
  e.created = true;
  jpeg_mem_dest(&e.cinfo, &e.out.data, &e.out.size);
  e.cinfo.image_width = static_cast<JDIMENSION>(picture.Width());
  e.cinfo.image_height = static_cast<JDIMENSION>(picture.Height());
  e.cinfo.input_components = 3;
  e.cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&e.cinfo);
  jpeg_set_quality(&e.cinfo, quality, TRUE);
  jpeg_start_compress(&e.cinfo, TRUE);
  while (e.cinfo.next_scanline < e.cinfo.image_height) {
    const TColor32* src = picture.ScanLine(static_cast<int>(e.cinfo.next_scanline));
    for (int x = 0; x < picture.Width(); ++x) {
      e.row[3 * x] = static_cast<uint8_t>(RedComponent(src[x]));
      e.row[3 * x + 1] = static_cast<uint8_t>(GreenComponent(src[x]));
      e.row[3 * x + 2] = static_cast<uint8_t>(BlueComponent(src[x]));
    }
    JSAMPROW rows[1] = {e.row.data()};
    jpeg_write_scanlines(&e.cinfo, rows, 1);
  }
  jpeg_finish_compress(&e.cinfo);
  return true;
}
}  // namespace

std::vector<uint8_t> EncodeJpeg(const TBitmap32& picture, int quality) {
  if (picture.Empty()) throw std::runtime_error("Cannot write an empty picture as JPEG");
  TEncoder e;
  e.row.resize(static_cast<size_t>(picture.Width()) * 3);
  if (!Encode(e, picture, quality < 1 ? 1 : (quality > 100 ? 100 : quality)))
    throw std::runtime_error(std::string("JPEG encoding failed: ") + e.err.message);
  return std::vector<uint8_t>(e.out.data, e.out.data + e.out.size);
}

}  // namespace ky
