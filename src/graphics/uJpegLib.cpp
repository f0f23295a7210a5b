#include "graphics/uJpegLib.h"

#include <cstring>

#include <jerror.h>

namespace ky {

namespace {

TJpegErrors& ErrorsOf(j_common_ptr cinfo) { return *reinterpret_cast<TJpegErrors*>(cinfo->err); }

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->format_message)(cinfo, ErrorsOf(cinfo).Message);
  std::longjmp(ErrorsOf(cinfo).Jump, 1);
}

void JpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JpegErrorExit(cinfo);
  if (level < 0) cinfo->err->num_warnings++;
}

void JpegOutputMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InstallJpegErrors(TJpegErrors& errors) {
  jpeg_error_mgr* m = jpeg_std_error(&errors.Manager);
  m->error_exit = JpegErrorExit;
  m->emit_message = JpegEmitMessage;
  m->output_message = JpegOutputMessage;
  errors.Message[0] = '\0';
  return m;
}

void StopJpeg(j_common_ptr cinfo, const char* message) {
  TJpegErrors& e = ErrorsOf(cinfo);
  std::snprintf(e.Message, sizeof e.Message, "%s", message);
  std::longjmp(e.Jump, 1);
}

}  // namespace ky
