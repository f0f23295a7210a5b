// The picture readers. Each library adapter follows the same discipline: the library's fatal
// error callback jumps back to the one setjmp of its decode function, which turns it into an
// EPictureError; a guard created before that point releases the library's structures on every
// path (normal end, jump or exception). No object with a destructor is created after setjmp,
// so the jump never skips one.
#include "graphics/uPictureReaders.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <utility>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

#include "graphics/uGifImage.h"
#include "platform/uText.h"

namespace ky {

namespace {

template <typename F>
class TScopeGuard {
 public:
  explicit TScopeGuard(F f) : FFunc(std::move(f)) {}
  ~TScopeGuard() { FFunc(); }
  TScopeGuard(const TScopeGuard&) = delete;
  TScopeGuard& operator=(const TScopeGuard&) = delete;

 private:
  F FFunc;
};

[[noreturn]] void Fail(std::string_view name, std::string_view what) {
  std::string m(name);
  m += ": ";
  m += what;
  throw EPictureError(m);
}

// Whole files above this are refused before reading (a 64-megapixel BMP is 256 MiB).
constexpr std::streamoff kMaxPictureFileBytes = std::streamoff{512} * 1024 * 1024;

// Pixels only: the target keeps its own drawing properties and callbacks.
void AssignPixels(TBitmap32& target, const TBitmap32& source) {
  target.SetSize(source.Width(), source.Height());
  if (!source.Empty())
    std::memcpy(target.Bits(), source.Bits(),
                static_cast<size_t>(source.Width()) * static_cast<size_t>(source.Height()) * sizeof(TColor32));
}

void ForceOpaque(TBitmap32& b) {
  TColor32* p = b.Bits();
  const size_t n = static_cast<size_t>(b.Width()) * static_cast<size_t>(b.Height());
  for (size_t i = 0; i < n; ++i) p[i] |= 0xFF000000u;
}

// ---------------- JPEG ----------------

struct TJpegError {
  jpeg_error_mgr Manager;  // first, so the library's pointer is also ours
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<TJpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->Message);
  std::longjmp(e->Jump, 1);
}

void JpegEmitMessage(j_common_ptr cinfo, int level) {
  // A file that ends early is an error here; other warnings (stray bytes between markers and
  // the like) are tolerated as every viewer does.
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JpegErrorExit(cinfo);
  if (level < 0) cinfo->err->num_warnings++;
}

void JpegOutputMessage(j_common_ptr) {}

struct TJpegProgress {
  jpeg_progress_mgr Manager;
};

void JpegProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  // A progressive file can hold any number of scans, each a pass over the whole picture.
  if (d->input_scan_number > kMaxJpegScans) {
    auto* e = reinterpret_cast<TJpegError*>(cinfo->err);
    std::snprintf(e->Message, sizeof e->Message, "too many JPEG scans");
    std::longjmp(e->Jump, 1);
  }
}

// Adobe CMYK JPEGs store inverted ink values.
void CmykRowToColor32(const uint8_t* cmyk, TColor32* out, int width) {
  for (int x = 0; x < width; ++x) {
    const uint32_t c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
    out[x] = MakeColor32(static_cast<int>((c * k + 127) / 255), static_cast<int>((m * k + 127) / 255),
                         static_cast<int>((y * k + 127) / 255), 255);
  }
}

void DecodeJpeg(const uint8_t* data, size_t size, TBitmap32& target, std::string_view name) {
  jpeg_decompress_struct cinfo;
  TJpegError jerr;
  TJpegProgress progress;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&jerr.Manager);
  jerr.Manager.error_exit = JpegErrorExit;
  jerr.Manager.emit_message = JpegEmitMessage;
  jerr.Manager.output_message = JpegOutputMessage;
  jerr.Message[0] = '\0';
  std::vector<uint8_t> cmykRow;
  jpeg_create_decompress(&cinfo);
  TScopeGuard guard([&cinfo] { jpeg_destroy_decompress(&cinfo); });

  if (setjmp(jerr.Jump)) Fail(name, jerr.Message);

  progress.Manager.progress_monitor = JpegProgress;
  cinfo.progress = &progress.Manager;
  if (size > 0xFFFFFFFFu) Fail(name, "JPEG data too large");
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  CheckPictureSize(name, cinfo.image_width, cinfo.image_height);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  // B, G, R, 0xFF in memory is exactly a TColor32 row, so the library writes the surface rows.
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  cinfo.scale_num = cinfo.scale_denom = 1;
  jpeg_start_decompress(&cinfo);
  const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
  CheckPictureSize(name, w, h);
  target.SetSize(w, h);
  if (cmyk) cmykRow.resize(static_cast<size_t>(w) * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    JSAMPROW row = cmyk ? cmykRow.data() : reinterpret_cast<JSAMPROW>(target.ScanLine(y));
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) Fail(name, "JPEG data ends early");
    if (cmyk) CmykRowToColor32(cmykRow.data(), target.ScanLine(y), w);
  }
  jpeg_finish_decompress(&cinfo);
}

// ---------------- PNG ----------------

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
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) Fail(name, "not a PNG file");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &err, PngError, PngWarning);
  if (png == nullptr) Fail(name, "out of memory");
  png_infop info = png_create_info_struct(png);
  TScopeGuard guard([&png, &info] { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); });
  if (info == nullptr) Fail(name, "out of memory");
  std::vector<png_bytep> rows;

  if (setjmp(png_jmpbuf(png))) Fail(name, err.Message);

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
  if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4) Fail(name, "unexpected PNG row layout");

  out.Picture.SetSize(static_cast<int>(w), static_cast<int>(h));
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = reinterpret_cast<png_bytep>(out.Picture.ScanLine(static_cast<int>(y)));
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
}

}  // namespace

// ---------------- table of readers ----------------

TPictureKind PictureKindOf(std::string_view path) {
  const std::string file = FileNamePart(path);
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos) return TPictureKind::Unknown;
  const std::string ext = UpperCaseAscii(std::string_view(file).substr(dot + 1));
  static constexpr std::pair<std::string_view, TPictureKind> kTable[] = {
      {"BMP", TPictureKind::Bmp},      {"ICO", TPictureKind::Icon},  {"EMF", TPictureKind::Metafile},
      {"WMF", TPictureKind::Metafile}, {"JPG", TPictureKind::Jpeg},  {"JPEG", TPictureKind::Jpeg},
      {"GIF", TPictureKind::Gif},      {"PNG", TPictureKind::Png},
  };
  for (const auto& [e, kind] : kTable)
    if (ext == e) return kind;
  return TPictureKind::Unknown;
}

void CheckPictureSize(std::string_view name, int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) Fail(name, "picture has no pixels");
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
    Fail(name, "picture too large (" + std::to_string(width) + " \u00d7 " + std::to_string(height) + ")");
}

std::vector<uint8_t> ReadPictureFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary | std::ios::ate);
  if (!f) Fail(path, "cannot open the file");
  const std::streamoff size = f.tellg();
  if (size < 0) Fail(path, "cannot read the file");
  if (size > kMaxPictureFileBytes) Fail(path, "file too large");
  std::vector<uint8_t> data(static_cast<size_t>(size));
  f.seekg(0);
  if (size > 0 && !f.read(reinterpret_cast<char*>(data.data()), size)) Fail(path, "cannot read the file");
  return data;
}

void LoadJpegFromMemory(const void* data, size_t size, TBitmap32& target, std::string_view name) {
  try {
    DecodeJpeg(static_cast<const uint8_t*>(data), size, target, name);
  } catch (...) {
    // No half-decoded picture is left behind.
    target.SetSize(0, 0);
    throw;
  }
}

void LoadJpegFromFile(const std::string& path, TBitmap32& target) {
  const std::vector<uint8_t> data = ReadPictureFile(path);
  LoadJpegFromMemory(data.data(), data.size(), target, path);
}

TPngPicture ReadPngFromMemory(const void* data, size_t size, std::string_view name) {
  TPngPicture p;
  DecodePng(static_cast<const uint8_t*>(data), size, p, name);
  const size_t n = static_cast<size_t>(p.Picture.Width()) * static_cast<size_t>(p.Picture.Height());
  if (p.HasAlpha) {
    p.AlphaMap.resize(n);
    const TColor32* px = p.Picture.Bits();
    for (size_t i = 0; i < n; ++i) p.AlphaMap[i] = static_cast<uint8_t>(px[i] >> 24);
  }
  ForceOpaque(p.Picture);
  return p;
}

TPngPicture ReadPngFile(const std::string& path) {
  const std::vector<uint8_t> data = ReadPictureFile(path);
  return ReadPngFromMemory(data.data(), data.size(), path);
}

void LoadBmpFromFile(const std::string& path, TBitmap32& target) {
  const std::vector<uint8_t> data = ReadPictureFile(path);
  LoadBmpFromMemory(data.data(), data.size(), target, path);
}

void LoadPictureFromFile(const std::string& path, TBitmap32& target) {
  switch (PictureKindOf(path)) {
    case TPictureKind::Jpeg:
      LoadJpegFromFile(path, target);
      return;
    case TPictureKind::Png: {
      const TPngPicture p = ReadPngFile(path);
      AssignPixels(target, p.Picture);
      return;
    }
    case TPictureKind::Bmp:
      LoadBmpFromFile(path, target);
      return;
    case TPictureKind::Gif: {
      const TGifImage gif = ReadGifFile(path);
      if (gif.Frames.empty()) Fail(path, "GIF has no frames");
      TBitmap32 frame;
      TGifRenderer renderer(gif);
      renderer.Reset(frame);
      renderer.PaintFrame(0, frame, true);
      ForceOpaque(frame);
      AssignPixels(target, frame);
      return;
    }
    case TPictureKind::Icon:
    case TPictureKind::Metafile:
      Fail(path, "icons and metafiles cannot be loaded as pictures here");
    case TPictureKind::Unknown:
      break;
  }
  Fail(path, "unknown picture file extension");
}

void TBitmap32::LoadFromFile(const std::string& path) { LoadPictureFromFile(path, *this); }

}  // namespace ky
