#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gfxTestUtil.h"
#include "graphics/uBmpWriter.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uPictureReaders.h"

using namespace ky;

namespace {

// --- fixtures written with the libraries' own encoders ---

struct TJpegOptions {
  int Quality = 95;
  bool Grey = false;
  bool Progressive = false;
  int ExtraScans = 0;  // > 0: a progressive file with one DC scan and this many AC scans
};

// A grey picture's progression: one DC scan, then AC scans of single coefficients, refined bit
// by bit.
std::vector<jpeg_scan_info> GreyScanScript(int extraScans) {
  std::vector<jpeg_scan_info> scans;
  scans.push_back(jpeg_scan_info{1, {0}, 0, 0, 0, 0});
  int k = 1, ah = 0;
  for (int i = 0; i < extraScans; ++i) {
    scans.push_back(jpeg_scan_info{1, {0}, k, k, ah == 0 ? 0 : ah, ah == 0 ? 1 : 0});
    if (ah == 0) {
      ah = 1;
    } else {
      ah = 0;
      ++k;
    }
  }
  return scans;
}

// A grey progressive JPEG whose coefficients are all 0 (flat grey 128), written from the
// coefficients without a pass over pixels, so a large one costs little to make.
std::vector<uint8_t> FlatGreyJpeg(int w, int h, int extraScans) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = 1;
  c.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&c);
  const std::vector<jpeg_scan_info> scans = GreyScanScript(extraScans);
  c.scan_info = scans.data();
  c.num_scans = static_cast<int>(scans.size());
  jvirt_barray_ptr coefficients[1] = {(*c.mem->request_virt_barray)(
      reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE, TRUE, static_cast<JDIMENSION>((w + 7) / 8),
      static_cast<JDIMENSION>((h + 7) / 8), 1)};
  jpeg_write_coefficients(&c, coefficients);
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> out(mem, mem + size);
  std::free(mem);
  return out;
}

std::vector<uint8_t> EncodeJpeg(const TBitmap32& b, const TJpegOptions& o = {}) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = static_cast<JDIMENSION>(b.Width());
  c.image_height = static_cast<JDIMENSION>(b.Height());
  c.input_components = o.Grey ? 1 : 3;
  c.in_color_space = o.Grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, o.Quality, TRUE);
  // No chroma subsampling: flat blocks then decode almost exactly.
  for (int i = 0; i < c.num_components; ++i) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  std::vector<jpeg_scan_info> scans;
  if (o.Progressive) jpeg_simple_progression(&c);
  if (o.ExtraScans > 0) {
    scans = GreyScanScript(o.ExtraScans);
    c.scan_info = scans.data();
    c.num_scans = static_cast<int>(scans.size());
  }
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(b.Width()) * 3);
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < b.Width(); ++x) {
      const TColor32 p = b.Pixel(x, y);
      if (o.Grey) {
        row[x] = static_cast<uint8_t>(GreenComponent(p));
      } else {
        row[3 * x] = static_cast<uint8_t>(RedComponent(p));
        row[3 * x + 1] = static_cast<uint8_t>(GreenComponent(p));
        row[3 * x + 2] = static_cast<uint8_t>(BlueComponent(p));
      }
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> out(mem, mem + size);
  std::free(mem);
  return out;
}

struct TPngOptions {
  int ColourType = PNG_COLOR_TYPE_RGB_ALPHA;
  int Depth = 8;
  std::vector<png_color> Palette;
  std::vector<uint8_t> Trans;  // palette alphas
};

void PngWriteToVector(png_structp png, png_bytep data, png_size_t n) {
  auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  v->insert(v->end(), data, data + n);
}

// rows: already in the file's sample layout.
std::vector<uint8_t> EncodePng(int w, int h, const std::vector<std::vector<uint8_t>>& rows, const TPngOptions& o) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, PngWriteToVector, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), o.Depth, o.ColourType,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!o.Palette.empty()) png_set_PLTE(png, info, o.Palette.data(), static_cast<int>(o.Palette.size()));
  if (!o.Trans.empty()) png_set_tRNS(png, info, o.Trans.data(), static_cast<int>(o.Trans.size()), nullptr);
  png_write_info(png, info);
  for (const auto& r : rows) png_write_row(png, r.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Rewrites the size in a PNG's IHDR and its CRC, so only the size check can refuse it.
void PatchPngSize(std::vector<uint8_t>& png, uint32_t w, uint32_t h) {
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) png[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
  };
  put(16, w);
  put(20, h);
  put(29, static_cast<uint32_t>(crc32(0, png.data() + 12, 17)));
}

// Rewrites the size in a JPEG's frame header.
void PatchJpegSize(std::vector<uint8_t>& jpg, int w, int h) {
  for (size_t i = 2; i + 9 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && (jpg[i + 1] == 0xC0 || jpg[i + 1] == 0xC2)) {
      jpg[i + 5] = static_cast<uint8_t>(h >> 8);
      jpg[i + 6] = static_cast<uint8_t>(h);
      jpg[i + 7] = static_cast<uint8_t>(w >> 8);
      jpg[i + 8] = static_cast<uint8_t>(w);
      return;
    }
}

// A picture of flat 8 x 8 blocks, which JPEG keeps almost exactly.
TBitmap32 BlockPicture(int w, int h) {
  TBitmap32 b(w, h);
  const TColor32 colours[] = {MakeColor32(255, 0, 0), MakeColor32(0, 255, 0), MakeColor32(0, 0, 255),
                              MakeColor32(255, 255, 255), MakeColor32(0, 0, 0), MakeColor32(128, 64, 32)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, colours[((x / 16) + (y / 16) * 3) % 6]);
  return b;
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EPictureError& e) {
    return e.what();
  }
  return "";
}

std::vector<int> JsonNumbers(const std::string& path) {
  std::ifstream f(path);
  std::vector<int> v;
  std::string token;
  char c;
  while (f.get(c)) {
    if (c >= '0' && c <= '9') {
      token += c;
    } else if (!token.empty()) {
      v.push_back(std::stoi(token));
      token.clear();
    }
  }
  return v;
}

}  // namespace

TEST(PictureReaders, KindByExtensionWithoutRegardToCase) {
  const struct {
    const char* path;
    TPictureKind kind;
  } cases[] = {
      {"a.jpg", TPictureKind::Jpeg},      {"A.JPEG", TPictureKind::Jpeg},  {"x.Png", TPictureKind::Png},
      {"b.bMp", TPictureKind::Bmp},       {"c.GIF", TPictureKind::Gif},    {"d.ico", TPictureKind::Icon},
      {"e.wmf", TPictureKind::Metafile},  {"e.EMF", TPictureKind::Metafile}, {"f.txt", TPictureKind::Unknown},
      {"noext", TPictureKind::Unknown},   {"dir.jpg/file", TPictureKind::Unknown},
      {"C:\\pics\\y.JPG", TPictureKind::Jpeg}, {"scene.kyp", TPictureKind::Unknown}, {"a.jpg.", TPictureKind::Unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(PictureKindOf(c.path), c.kind) << c.path;
}

TEST(PictureReaders, OtherExtensionsAndMissingFilesRaiseErrorsNamingTheFile) {
  kytest::TTempDir dir;
  const std::string txt = dir.File("notes.txt");
  kytest::WriteBytes(txt, {1, 2, 3});
  TBitmap32 b;
  EXPECT_EQ(ErrorOf([&] { LoadPictureFromFile(txt, b); }), txt + ": unknown picture file extension");
  const std::string missing = dir.File("missing.jpg");
  EXPECT_EQ(ErrorOf([&] { LoadPictureFromFile(missing, b); }), missing + ": cannot open the file");
  const std::string icon = dir.File("a.ico");
  kytest::WriteBytes(icon, {0, 0, 1, 0});
  EXPECT_NE(ErrorOf([&] { LoadPictureFromFile(icon, b); }).find(icon + ": "), std::string::npos);
}

TEST(JpegReader, DecodesLikeTheLibrarysOwnTool) {
  if (!kytest::HaveProgram("djpeg")) GTEST_SKIP() << "djpeg (libjpeg-turbo-progs) is not installed";
  kytest::TTempDir dir;
  const TBitmap32 pic = kytest::TestPicture(45, 31, 5);
  for (const bool progressive : {false, true}) {
    TJpegOptions o;
    o.Progressive = progressive;
    const std::string file = dir.File(progressive ? "p.jpg" : "b.jpg");
    kytest::WriteBytes(file, EncodeJpeg(pic, o));
    ASSERT_EQ(kytest::Shell("djpeg -ppm -outfile " + dir.File("ref.ppm") + " " + file), 0);
    TBitmap32 reference, decoded;
    ASSERT_TRUE(kytest::ReadPpm(dir.File("ref.ppm"), reference));
    LoadJpegFromFile(file, decoded);
    ASSERT_EQ(decoded.Width(), 45);
    ASSERT_EQ(decoded.Height(), 31);
    for (int y = 0; y < 31; ++y)
      for (int x = 0; x < 45; ++x) ASSERT_EQ(decoded.Pixel(x, y), reference.Pixel(x, y)) << x << "," << y;
  }
}

TEST(JpegReader, FromMemoryAndFileAlikeOpaqueAndCloseToTheOriginal) {
  kytest::TTempDir dir;
  const TBitmap32 pic = BlockPicture(48, 32);
  const std::vector<uint8_t> data = EncodeJpeg(pic);
  TBitmap32 a, b;
  LoadJpegFromMemory(data.data(), data.size(), a);
  const std::string file = dir.File("x.JPEG");
  kytest::WriteBytes(file, data);
  LoadPictureFromFile(file, b);
  ASSERT_EQ(a.Width(), 48);
  ASSERT_EQ(b.Height(), 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 48; ++x) {
      ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y));
      ASSERT_EQ(AlphaComponent(a.Pixel(x, y)), 255);
      for (int s = 0; s < 24; s += 8)
        ASSERT_NEAR(static_cast<int>((a.Pixel(x, y) >> s) & 0xFF), static_cast<int>((pic.Pixel(x, y) >> s) & 0xFF), 3)
            << x << "," << y;
    }
  // A grey JPEG arrives as grey colour.
  TJpegOptions grey;
  grey.Grey = true;
  const std::vector<uint8_t> g = EncodeJpeg(pic, grey);
  LoadJpegFromMemory(g.data(), g.size(), a);
  const TColor32 p = a.Pixel(20, 20);
  EXPECT_EQ(RedComponent(p), GreenComponent(p));
  EXPECT_EQ(BlueComponent(p), GreenComponent(p));
}

TEST(JpegReader, BrokenFilesRaiseErrorsAndLeaveNoPicture) {
  const std::vector<uint8_t> good = EncodeJpeg(kytest::TestPicture(40, 40));
  TBitmap32 b(3, 3);
  const std::vector<uint8_t> cases[] = {
      std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2)),  // truncated
      std::vector<uint8_t>(good.begin(), good.begin() + 20),                                   // header only
      std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xD9},                                             // no frame
      std::vector<uint8_t>{'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'},
      std::vector<uint8_t>{},
  };
  for (const auto& c : cases) {
    b.SetSize(3, 3);
    const std::string e = ErrorOf([&] { LoadJpegFromMemory(c.data(), c.size(), b, "broken.jpg"); });
    EXPECT_EQ(e.rfind("broken.jpg: ", 0), 0u) << e;
    EXPECT_TRUE(b.Empty());
  }
  // Every byte of the entropy-coded data flipped in turn, around the middle: an error or a
  // picture, never a crash or a hang.
  for (size_t i = good.size() / 2; i < good.size() / 2 + 64; ++i) {
    std::vector<uint8_t> bad = good;
    bad[i] ^= 0x5A;
    try {
      LoadJpegFromMemory(bad.data(), bad.size(), b, "bad.jpg");
      EXPECT_EQ(b.Width(), 40);
    } catch (const EPictureError&) {
      EXPECT_TRUE(b.Empty());
    }
  }
}

TEST(JpegReader, SizeAndScanLimits) {
  std::vector<uint8_t> data = EncodeJpeg(kytest::TestPicture(16, 16));
  TBitmap32 b;
  PatchJpegSize(data, 20000, 10);
  EXPECT_EQ(ErrorOf([&] { LoadJpegFromMemory(data.data(), data.size(), b, "big.jpg"); }),
            "big.jpg: picture too large (20000 \u00d7 10)");
  PatchJpegSize(data, 9000, 9000);  // 81 megapixels
  EXPECT_EQ(ErrorOf([&] { LoadJpegFromMemory(data.data(), data.size(), b, "big.jpg"); }),
            "big.jpg: picture too large (9000 \u00d7 9000)");
  TJpegOptions many;
  many.Grey = true;
  many.ExtraScans = 110;  // 111 scans in all
  const std::vector<uint8_t> scans = EncodeJpeg(kytest::TestPicture(16, 16), many);
  EXPECT_EQ(ErrorOf([&] { LoadJpegFromMemory(scans.data(), scans.size(), b, "scans.jpg"); }),
            "scans.jpg: too many JPEG scans");
  many.ExtraScans = 90;  // within the limit
  const std::vector<uint8_t> fewer = EncodeJpeg(kytest::TestPicture(16, 16), many);
  LoadJpegFromMemory(fewer.data(), fewer.size(), b, "fewer.jpg");
  EXPECT_EQ(b.Width(), 16);
}

TEST(JpegReader, TheSamplesAllScansDecodeTogetherAreBounded) {
  // Every scan of these files decodes the whole grey channel: w × h samples (a multiple of 8).
  TBitmap32 b;
  const std::vector<uint8_t> small = FlatGreyJpeg(256, 256, 64);
  LoadJpegFromMemory(small.data(), small.size(), b, "small.jpg");
  ASSERT_EQ(b.Width(), 256);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF808080u);
  EXPECT_EQ(b.Pixel(255, 255), 0xFF808080u);
  // 16 megapixels pass alone, but 65 scans of them are 65 × 2^24 samples, above 2^30; as many
  // scans of a quarter of the area are inside.
  const std::vector<uint8_t> costly = FlatGreyJpeg(4096, 4096, 64);
  EXPECT_LT(costly.size(), 200000u);
  EXPECT_EQ(ErrorOf([&] { LoadJpegFromMemory(costly.data(), costly.size(), b, "costly.jpg"); }),
            "costly.jpg: JPEG too costly to decode (too many scans for its size)");
  EXPECT_TRUE(b.Empty());
  const std::vector<uint8_t> inside = FlatGreyJpeg(2048, 2048, 64);
  LoadJpegFromMemory(inside.data(), inside.size(), b, "inside.jpg");
  ASSERT_EQ(b.Width(), 2048);
  EXPECT_EQ(b.Pixel(2047, 2047), 0xFF808080u);
}

TEST(PngReader, WithAndWithoutAlpha) {
  // RGBA: the alpha channel comes separately, the picture is opaque.
  const std::vector<std::vector<uint8_t>> rgba = {{10, 20, 30, 0, 40, 50, 60, 128}, {70, 80, 90, 255, 1, 2, 3, 7}};
  const std::vector<uint8_t> a = EncodePng(2, 2, rgba, TPngOptions{});
  const TPngPicture p = ReadPngFromMemory(a.data(), a.size());
  ASSERT_EQ(p.Picture.Width(), 2);
  ASSERT_EQ(p.Picture.Height(), 2);
  EXPECT_TRUE(p.HasAlpha);
  EXPECT_EQ(p.AlphaMap, (std::vector<uint8_t>{0, 128, 255, 7}));
  EXPECT_EQ(p.Picture.Pixel(0, 0), MakeColor32(10, 20, 30, 255));
  EXPECT_EQ(p.Picture.Pixel(1, 0), MakeColor32(40, 50, 60, 255));
  EXPECT_EQ(p.Picture.Pixel(0, 1), MakeColor32(70, 80, 90, 255));
  EXPECT_EQ(p.Picture.Pixel(1, 1), MakeColor32(1, 2, 3, 255));
  // RGB: no alpha channel.
  TPngOptions rgb;
  rgb.ColourType = PNG_COLOR_TYPE_RGB;
  const std::vector<uint8_t> b = EncodePng(3, 1, {{1, 2, 3, 4, 5, 6, 7, 8, 9}}, rgb);
  const TPngPicture q = ReadPngFromMemory(b.data(), b.size());
  EXPECT_FALSE(q.HasAlpha);
  EXPECT_TRUE(q.AlphaMap.empty());
  EXPECT_EQ(q.Picture.Pixel(2, 0), MakeColor32(7, 8, 9, 255));
  // A palette with a transparency chunk: its alphas count as an alpha channel.
  TPngOptions pal;
  pal.ColourType = PNG_COLOR_TYPE_PALETTE;
  pal.Palette = {{255, 0, 0}, {0, 0, 255}};
  pal.Trans = {0, 200};
  const std::vector<uint8_t> c = EncodePng(2, 1, {{1, 0}}, pal);
  const TPngPicture r = ReadPngFromMemory(c.data(), c.size());
  EXPECT_TRUE(r.HasAlpha);
  EXPECT_EQ(r.AlphaMap, (std::vector<uint8_t>{200, 0}));
  EXPECT_EQ(r.Picture.Pixel(0, 0), MakeColor32(0, 0, 255, 255));
  // Through the extension table a PNG becomes an opaque picture.
  kytest::TTempDir dir;
  kytest::WriteBytes(dir.File("a.png"), a);
  TBitmap32 s;
  s.SetDrawMode(dmCustom);
  LoadPictureFromFile(dir.File("a.png"), s);
  EXPECT_EQ(s.Pixel(1, 0), MakeColor32(40, 50, 60, 255));
  EXPECT_EQ(s.DrawMode(), dmCustom);  // the surface keeps its own drawing properties
}

TEST(PngReader, ConformsToPngSuite) {
  const std::string root = KY_SOURCE_DIR "/tests/data/pngsuite";
  ASSERT_TRUE(std::filesystem::is_directory(root + "/png")) << root << "/png is missing";
  int good = 0, broken = 0;
  for (const auto& entry : std::filesystem::directory_iterator(root + "/png")) {
    const std::string name = entry.path().stem().string();
    if (entry.path().extension() != ".png") continue;
    if (name[0] == 'x') {
      // The suite's broken files.
      EXPECT_THROW(ReadPngFile(entry.path().string()), EPictureError) << name;
      ++broken;
      continue;
    }
    const bool sixteen = name.size() >= 2 && name.substr(name.size() - 2) == "16";
    const std::string json = root + "/json/" + name + (sixteen ? "_to8" : "") + ".json";
    if (!std::filesystem::exists(json)) continue;
    const TPngPicture p = ReadPngFile(entry.path().string());
    const std::vector<int> expected = JsonNumbers(json);
    ASSERT_EQ(expected.size(), static_cast<size_t>(p.Picture.Width()) * p.Picture.Height() * 4) << name;
    int worst = 0;
    for (int y = 0; y < p.Picture.Height(); ++y)
      for (int x = 0; x < p.Picture.Width(); ++x) {
        const size_t i = static_cast<size_t>(y) * p.Picture.Width() + x;
        const TColor32 c = p.Picture.Pixel(x, y);
        const int alpha = p.HasAlpha ? p.AlphaMap[i] : 255;
        const int got[4] = {RedComponent(c), GreenComponent(c), BlueComponent(c), alpha};
        for (int k = 0; k < 4; ++k) worst = std::max(worst, std::abs(got[k] - expected[4 * i + k]));
      }
    // 16-bit samples may round either way to 8 bits.
    EXPECT_LE(worst, sixteen ? 1 : 0) << name;
    ++good;
  }
  EXPECT_GT(good, 150);
  EXPECT_GE(broken, 14);
}

TEST(PngReader, SizeLimitsAndBrokenFiles) {
  TPngOptions grey;
  grey.ColourType = PNG_COLOR_TYPE_GRAY;
  std::vector<uint8_t> png = EncodePng(2, 1, {{0, 255}}, grey);
  std::vector<uint8_t> wide = png;
  PatchPngSize(wide, 20000, 1);
  EXPECT_NE(ErrorOf([&] { ReadPngFromMemory(wide.data(), wide.size(), "wide.png"); }).rfind("wide.png: ", 0),
            std::string::npos);
  std::vector<uint8_t> big = png;
  PatchPngSize(big, 9000, 9000);
  EXPECT_EQ(ErrorOf([&] { ReadPngFromMemory(big.data(), big.size(), "big.png"); }),
            "big.png: picture too large (9000 \u00d7 9000)");
  const std::vector<uint8_t> cut(png.begin(), png.end() - 20);
  EXPECT_EQ(ErrorOf([&] { ReadPngFromMemory(cut.data(), cut.size(), "cut.png"); }).rfind("cut.png: ", 0), 0u);
  EXPECT_EQ(ErrorOf([&] { ReadPngFromMemory("PNG", 3, "tiny.png"); }), "tiny.png: not a PNG file");
}

TEST(BmpReader, ReadsWhatTheWallpaperWriterWrites) {
  kytest::TTempDir dir;
  const TBitmap32 pic = kytest::TestPicture(13, 7);  // 13 * 3 bytes: rows need padding
  const std::string file = dir.File("w.bmp");
  SaveBitmapToBmpFile(pic, file);
  TBitmap32 back;
  LoadPictureFromFile(file, back);
  ASSERT_EQ(back.Width(), 13);
  ASSERT_EQ(back.Height(), 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(back.Pixel(x, y), pic.Pixel(x, y) | 0xFF000000u) << x << "," << y;
  // ImageMagick reads the file the same way.
  if (kytest::HaveProgram("convert")) {
    ASSERT_EQ(kytest::Shell("convert " + file + " " + dir.File("w.ppm")), 0);
    TBitmap32 im;
    ASSERT_TRUE(kytest::ReadPpm(dir.File("w.ppm"), im));
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x) ASSERT_EQ(im.Pixel(x, y), back.Pixel(x, y));
  }
}

TEST(BmpReader, HandMadeFileIsReadBottomUp) {
  // 2 x 2, 24 bits: the first row in the file is the bottom row.
  std::vector<uint8_t> f = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                            1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const uint8_t rows[] = {/* bottom */ 1, 2, 3, 4, 5, 6, 0, 0, /* top */ 7, 8, 9, 10, 11, 12, 0, 0};
  f.insert(f.end(), std::begin(rows), std::end(rows));
  TBitmap32 b;
  LoadBmpFromMemory(f.data(), f.size(), b, "hand.bmp");
  EXPECT_EQ(b.Pixel(0, 0), MakeColor32(9, 8, 7, 255));
  EXPECT_EQ(b.Pixel(1, 0), MakeColor32(12, 11, 10, 255));
  EXPECT_EQ(b.Pixel(0, 1), MakeColor32(3, 2, 1, 255));
  // The same header claiming 20000 columns.
  std::vector<uint8_t> wide = f;
  wide[18] = 0x20;
  wide[19] = 0x4E;
  EXPECT_EQ(ErrorOf([&] { LoadBmpFromMemory(wide.data(), wide.size(), b, "wide.bmp"); }),
            "wide.bmp: picture too large (20000 \u00d7 2)");
  EXPECT_TRUE(b.Empty());
  const std::vector<uint8_t> cut(f.begin(), f.begin() + 30);
  EXPECT_EQ(ErrorOf([&] { LoadBmpFromMemory(cut.data(), cut.size(), b, "cut.bmp"); }).rfind("cut.bmp: ", 0), 0u);
}

TEST(BmpReader, PixelDataShorterThanTheHeaderSaysIsRefused) {
  // The 2 x 2 file above: rows of 6 bytes padded to 8. The reader would fill what is missing
  // with zeros, so a 37-byte header could decode as 60 megapixels.
  std::vector<uint8_t> f = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                            1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  std::vector<uint8_t> negativeCompression = f;
  negativeCompression[33] = 0x8A;
  // A fuzzer's find: 6400 x 9472 at 4 bits, data offset far past the end, compression 0x8A000000.
  const std::vector<uint8_t> tiny = {0x42, 0x4d, 0xc6, 0x02, 0xef, 0x00, 0x00, 0x00, 0x00, 0x25, 0x07, 0x00, 0x00,
                                     0x00, 0x7c, 0x00, 0x00, 0x00, 0x00, 0x19, 0x00, 0x00, 0x00, 0x25, 0x00, 0x00,
                                     0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x8a, 0x00, 0x40, 0x01};
  std::vector<uint8_t> tallHeader = f;
  tallHeader[22] = 0x00;
  tallHeader[23] = 0x25;
  const std::string truncated = "t.bmp: truncated BMP file: the pixel data is shorter than its header says";
  struct TCase {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string error;  // empty: read
  };
  const TCase cases[] = {
      {"whole", f, ""},
      {"without the last row's padding", std::vector<uint8_t>(f.begin(), f.end() - 2), ""},
      {"one byte of the last row missing", std::vector<uint8_t>(f.begin(), f.end() - 3), truncated},
      {"the last row missing", std::vector<uint8_t>(f.begin(), f.end() - 8), truncated},
      {"compression with the top bit set", negativeCompression, "t.bmp: unsupported BMP compression"},
      {"a 37-byte header of 60 megapixels", tiny, "t.bmp: truncated BMP file: the header is incomplete"},
      {"a whole header declaring 9472 rows", tallHeader, truncated},
      // Another find: a 124-byte header cut after the bit count, declaring 7693 x 7681.
      {"a header cut short", {0x42, 0x4d, 0xc6, 0x02, 0xff, 0x00, 0x00, 0x00, 0x00, 0x26, 0x8a, 0x01, 0x00, 0x00, 0x7c,
                              0x00, 0x00, 0x00, 0x0d, 0x1e, 0x00, 0x00, 0x01, 0x1e, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00},
       "t.bmp: truncated BMP file: the header is incomplete"},
      {"the whole file's header cut short", std::vector<uint8_t>(f.begin(), f.begin() + 40),
       "t.bmp: truncated BMP file: the header is incomplete"},
  };
  for (const TCase& c : cases) {
    TBitmap32 b;
    EXPECT_EQ(ErrorOf([&] { LoadBmpFromMemory(c.bytes.data(), c.bytes.size(), b, "t.bmp"); }), c.error) << c.what;
    EXPECT_EQ(b.Empty(), !c.error.empty()) << c.what;
  }
}

TEST(JpegReader, CmykFilesDecodeAsImageMagickShowsThem) {
  if (!kytest::HaveProgram("convert")) GTEST_SKIP() << "ImageMagick is not installed";
  kytest::TTempDir dir;
  const TBitmap32 pic = kytest::TestPicture(40, 30, 2);
  kytest::WritePpm(pic, dir.File("a.ppm"));
  ASSERT_EQ(kytest::Shell("convert " + dir.File("a.ppm") + " -colorspace CMYK -quality 100 " + dir.File("c.jpg") +
                          " && convert " + dir.File("c.jpg") + " -colorspace sRGB " + dir.File("r.ppm")),
            0);
  TBitmap32 decoded, reference;
  LoadJpegFromFile(dir.File("c.jpg"), decoded);
  ASSERT_TRUE(kytest::ReadPpm(dir.File("r.ppm"), reference));
  ASSERT_EQ(decoded.Width(), 40);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      for (int s = 0; s < 24; s += 8)
        ASSERT_NEAR(static_cast<int>((decoded.Pixel(x, y) >> s) & 0xFF),
                    static_cast<int>((reference.Pixel(x, y) >> s) & 0xFF), 1)
            << x << "," << y;
}

TEST(PictureReaders, RandomDamageGivesAnErrorOrAPictureNeverACrash) {
  std::mt19937 rng(5);
  const TBitmap32 pic = kytest::TestPicture(24, 17, 4);
  kytest::TTempDir dir;
  SaveBitmapToBmpFile(pic, dir.File("a.bmp"));
  std::vector<std::vector<uint8_t>> rgba;
  for (int y = 0; y < 17; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < 24; ++x)
      for (int s : {16, 8, 0, 24}) row.push_back(static_cast<uint8_t>(pic.Pixel(x, y) >> s));
    rgba.push_back(row);
  }
  const std::vector<uint8_t> files[] = {EncodePng(24, 17, rgba, TPngOptions{}), kytest::ReadBytes(dir.File("a.bmp")),
                                        EncodeJpeg(pic)};
  for (int kind = 0; kind < 3; ++kind) {
    for (int i = 0; i < 300; ++i) {
      std::vector<uint8_t> bad = files[kind];
      for (int k = 0; k < 4; ++k) bad[8 + rng() % (bad.size() - 8)] = static_cast<uint8_t>(rng());
      if (i % 3 == 0) bad.resize(rng() % bad.size());
      TBitmap32 b;
      try {
        if (kind == 0) ReadPngFromMemory(bad.data(), bad.size());
        else if (kind == 1) LoadBmpFromMemory(bad.data(), bad.size(), b);
        else LoadJpegFromMemory(bad.data(), bad.size(), b);
      } catch (const EPictureError&) {
        EXPECT_TRUE(b.Empty());
      }
    }
  }
}

// A thumbnail's decode: the smallest DCT scale that is not below the wanted size, pixel for
// pixel what the library's own tool gives at that scale.
TEST(JpegReader, ScaledDecodeTakesTheSmallestScaleNotBelowTheWantedSize) {
  if (!kytest::HaveProgram("djpeg")) GTEST_SKIP() << "djpeg (libjpeg-turbo-progs) is not installed";
  kytest::TTempDir dir;
  const std::string file = dir.File("p.jpg");
  kytest::WriteBytes(file, EncodeJpeg(kytest::TestPicture(400, 300, 7)));
  const struct { int minW, minH; const char* scale; int w, h; } cases[] = {
      {80, 60, "2/8", 100, 75},   // 1/8 gives 50 x 38
      {50, 38, "1/8", 50, 38},    {1, 1, "1/8", 50, 38},      {51, 10, "2/8", 100, 75},
      {300, 200, "6/8", 300, 225}, {401, 1, "8/8", 400, 300},  // nothing is large enough: full scale
  };
  for (const auto& c : cases) {
    ASSERT_EQ(kytest::Shell(std::string("djpeg -scale ") + c.scale + " -ppm -outfile " + dir.File("ref.ppm") + " " + file), 0);
    TBitmap32 reference, decoded;
    ASSERT_TRUE(kytest::ReadPpm(dir.File("ref.ppm"), reference));
    LoadJpegScaledFromFile(file, c.minW, c.minH, decoded);
    ASSERT_EQ(decoded.Width(), c.w) << c.scale;
    ASSERT_EQ(decoded.Height(), c.h) << c.scale;
    ASSERT_EQ(reference.Width(), c.w) << c.scale;
    int differing = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) differing += decoded.Pixel(x, y) != reference.Pixel(x, y);
    EXPECT_EQ(differing, 0) << c.scale;
  }
  TBitmap32 b;
  EXPECT_THROW(LoadJpegScaledFromFile(dir.File("missing.jpg"), 8, 8, b), EPictureError);
  EXPECT_EQ(b.Width(), 0);
}
