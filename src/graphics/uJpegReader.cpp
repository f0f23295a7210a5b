// JPEG through libjpeg-turbo: a memory source feeds the bytes and scanlines are decoded
// straight into the surface's rows.
#include "graphics/uJpegReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/uJpegLib.h"
#include "graphics/uPictureError.h"
#include "graphics/uPictureFile.h"
#include "graphics/uPictureLimits.h"
#include "graphics/uScopeGuard.h"

namespace ky {

namespace {

// The decoding work so far: every scan decodes the blocks of the components it holds.
struct TJpegBudget {
  jpeg_progress_mgr Manager;  // first, so the library's pointer is also ours
  int CountedScans;
  int64_t Samples;
};

void JpegProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  auto* budget = reinterpret_cast<TJpegBudget*>(cinfo->progress);
  if (d->input_scan_number > kMaxJpegScans) StopJpeg(cinfo, "too many JPEG scans");
  if (d->input_scan_number <= budget->CountedScans) return;
  int64_t perScan = 0;
  for (int i = 0; i < d->comps_in_scan; ++i) {
    const jpeg_component_info* c = d->cur_comp_info[i];
    perScan += int64_t{c->width_in_blocks} * c->height_in_blocks * DCTSIZE2;
  }
  budget->Samples += perScan * (d->input_scan_number - budget->CountedScans);
  budget->CountedScans = d->input_scan_number;
  if (budget->Samples > kMaxJpegDecodedSamples)
    StopJpeg(cinfo, "JPEG too costly to decode (too many scans for its size)");
}

constexpr uint8_t kExifSignature[] = {'E', 'x', 'i', 'f', 0, 0};

// Adobe CMYK JPEGs store inverted ink values.
void CmykRowToColor32(const uint8_t* cmyk, TColor32* out, int width) {
  for (int x = 0; x < width; ++x) {
    const uint32_t c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
    out[x] = MakeColor32(static_cast<int>((c * k + 127) / 255), static_cast<int>((m * k + 127) / 255),
                         static_cast<int>((y * k + 127) / 255), 255);
  }
}

// The output scale n/8 for a wanted minimum size: the smallest n whose output is no smaller.
void ChooseScale(jpeg_decompress_struct& cinfo, int minWidth, int minHeight) {
  cinfo.scale_denom = 8;
  for (unsigned n = 1; n <= 8; ++n) {
    cinfo.scale_num = n;
    jpeg_calc_output_dimensions(&cinfo);
    if (static_cast<int>(cinfo.output_width) >= minWidth && static_cast<int>(cinfo.output_height) >= minHeight) return;
  }
}

// minWidth and minHeight 0 decode at full scale.
void DecodeJpeg(const uint8_t* data, size_t size, TBitmap32& target, std::string_view name, int minWidth = 0,
                int minHeight = 0) {
  jpeg_decompress_struct cinfo;
  TJpegErrors jerr;
  TJpegBudget progress;
  std::memset(&cinfo, 0, sizeof cinfo);
  std::memset(&progress, 0, sizeof progress);
  cinfo.err = InstallJpegErrors(jerr);
  std::vector<uint8_t> cmykRow;
  jpeg_create_decompress(&cinfo);
  TScopeGuard guard([&cinfo] { jpeg_destroy_decompress(&cinfo); });

  if (setjmp(jerr.Jump)) FailPicture(name, jerr.Message);

  progress.Manager.progress_monitor = JpegProgress;
  cinfo.progress = &progress.Manager;
  if (size > 0xFFFFFFFFu) FailPicture(name, "JPEG data too large");
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  CheckPictureSize(name, cinfo.image_width, cinfo.image_height);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  // B, G, R, 0xFF in memory is exactly a TColor32 row, so the library writes the surface rows.
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  cinfo.scale_num = cinfo.scale_denom = 1;
  if (minWidth > 0 || minHeight > 0) ChooseScale(cinfo, minWidth, minHeight);
  jpeg_start_decompress(&cinfo);
  const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
  CheckPictureSize(name, w, h);
  target.SetSize(w, h);
  if (cmyk) cmykRow.resize(static_cast<size_t>(w) * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    JSAMPROW row = cmyk ? cmykRow.data() : reinterpret_cast<JSAMPROW>(target.ScanLine(y));
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) FailPicture(name, "JPEG data ends early");
    if (cmyk) CmykRowToColor32(cmykRow.data(), target.ScanLine(y), w);
  }
  jpeg_finish_decompress(&cinfo);
}

}  // namespace

void LoadJpegFromMemory(const void* data, size_t size, TBitmap32& target, std::string_view name) {
  try {
    DecodeJpeg(static_cast<const uint8_t*>(data), size, target, name);
  } catch (...) {
    // No half-decoded picture is left behind.
    target.SetSize(0, 0);
    throw;
  }
}

void LoadJpegScaledFromMemory(const void* data, size_t size, int minWidth, int minHeight, TBitmap32& target,
                              std::string_view name) {
  try {
    DecodeJpeg(static_cast<const uint8_t*>(data), size, target, name, std::max(minWidth, 1), std::max(minHeight, 1));
  } catch (...) {
    target.SetSize(0, 0);
    throw;
  }
}

void LoadJpegScaledFromFile(const std::string& path, int minWidth, int minHeight, TBitmap32& target) {
  const std::vector<uint8_t> data = ReadPictureFile(path);
  LoadJpegScaledFromMemory(data.data(), data.size(), minWidth, minHeight, target, path);
}

TJpegHeader ReadJpegHeader(const void* data, size_t size, std::string_view name) {
  TJpegHeader header;
  jpeg_decompress_struct cinfo;
  TJpegErrors jerr;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = InstallJpegErrors(jerr);
  jpeg_create_decompress(&cinfo);
  TScopeGuard guard([&cinfo] { jpeg_destroy_decompress(&cinfo); });

  if (setjmp(jerr.Jump)) FailPicture(name, jerr.Message);

  if (size > 0xFFFFFFFFu) FailPicture(name, "JPEG data too large");
  jpeg_mem_src(&cinfo, static_cast<const uint8_t*>(data), static_cast<unsigned long>(size));
  // An APP1 payload is at most 65533 bytes, so none is cut short.
  jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  header.Width = static_cast<int>(cinfo.image_width);
  header.Height = static_cast<int>(cinfo.image_height);
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
    if (m->data_length >= sizeof kExifSignature && std::memcmp(m->data, kExifSignature, sizeof kExifSignature) == 0) {
      header.Exif.assign(m->data, m->data + m->data_length);
      break;
    }
  }
  return header;
}

void LoadJpegFromFile(const std::string& path, TBitmap32& target) {
  const std::vector<uint8_t> data = ReadPictureFile(path);
  LoadJpegFromMemory(data.data(), data.size(), target, path);
}

}  // namespace ky
