// Picture data of window texts: the kind name, the count and the file, through the readers.
#include <gtest/gtest.h>
#include <zlib.h>

#include "config/uFormPicture.h"
#include "graphics/uBmpWriter.h"
#include "graphics/uJpegWriter.h"
#include "graphics/uPictureError.h"
#include "graphics/uPngWriter.h"
#include "testutil.h"

using namespace ky;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// 3 x 2 pixels of six distinct colours.
TBitmap32 Sample() {
  TBitmap32 b(3, 2);
  const TColor32 colours[6] = {MakeColor32(255, 0, 0), MakeColor32(0, 255, 0), MakeColor32(0, 0, 255),
                               MakeColor32(10, 20, 30), MakeColor32(200, 100, 50), MakeColor32(255, 255, 255)};
  for (int i = 0; i < 6; ++i) b.SetPixel(i % 3, i / 3, colours[i]);
  return b;
}

void ExpectSample(const TBitmap32& b, const std::string& what) {
  ASSERT_EQ(b.Width(), 3) << what;
  ASSERT_EQ(b.Height(), 2) << what;
  const TBitmap32 s = Sample();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(b.Pixel(x, y), s.Pixel(x, y)) << what << " at " << x << "," << y;
}

std::vector<uint8_t> FileOf(const kytest::TTempDir& dir, const std::string& name) {
  return Bytes(kytest::ReadFile(dir / name));
}

// A 2 x 1 RGBA PNG made by hand: a red pixel of alpha 0x80 and a green one of alpha 0xFF.
std::vector<uint8_t> RgbaPng() {
  auto be32 = [](std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 3; i >= 0; --i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
  };
  auto chunk = [&](std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& body) {
    be32(png, static_cast<uint32_t>(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    png.insert(png.end(), typed.begin(), typed.end());
    be32(png, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
  };
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> ihdr;
  be32(ihdr, 2);
  be32(ihdr, 1);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  chunk(png, "IHDR", ihdr);
  const uint8_t raw[9] = {0, 255, 0, 0, 0x80, 0, 255, 0, 0xFF};
  uLongf size = compressBound(sizeof raw);
  std::vector<uint8_t> z(size);
  compress(z.data(), &size, raw, sizeof raw);
  z.resize(size);
  chunk(png, "IDAT", z);
  chunk(png, "IEND", {});
  return png;
}

}  // namespace

TEST(FormPicture, BitmapJpegAndPngKinds) {
  kytest::TTempDir dir;
  SaveBitmapToBmpFile(Sample(), dir / "s.bmp");
  SavePngFile(Sample(), dir / "s.png");
  const std::vector<uint8_t> bmp = FileOf(dir, "s.bmp"), png = FileOf(dir, "s.png");

  ExpectSample(DecodeFormPicture(EncodeFormPicture("TBitmap", bmp)), "BMP file");
  // A bare DIB: the file without its 14-byte file header.
  ExpectSample(DecodeFormPicture(EncodeFormPicture("TBitmap", std::vector<uint8_t>(bmp.begin() + 14, bmp.end()))),
               "DIB");
  ExpectSample(DecodeFormPicture(EncodeFormPicture("TPortableNetworkGraphic", png)), "Lazarus PNG");
  // Delphi's PNG kinds: the file right after the name, no count.
  std::vector<uint8_t> delphiPng = Bytes(std::string("\x09TPngImage") + kytest::ReadFile(dir / "s.png"));
  ExpectSample(DecodeFormPicture(delphiPng), "Delphi PNG");

  // JPEG is lossy: the size and roughly the colours of a flat picture.
  TBitmap32 flat(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) flat.SetPixel(x, y, MakeColor32(40, 120, 200));
  const TBitmap32 j = DecodeFormPicture(EncodeFormPicture("TJPEGImage", EncodeJpeg(flat, 95)));
  ASSERT_EQ(j.Width(), 16);
  ASSERT_EQ(j.Height(), 8);
  const TColor32 c = j.Pixel(7, 3);
  EXPECT_NEAR(static_cast<int>((c >> 16) & 255), 40, 4);
  EXPECT_NEAR(static_cast<int>((c >> 8) & 255), 120, 4);
  EXPECT_NEAR(static_cast<int>(c & 255), 200, 4);
  EXPECT_EQ(c >> 24, 255u);

  // PNG transparency reaches the surface's alpha.
  const TBitmap32 a = DecodeFormPicture(EncodeFormPicture("TPngImage", RgbaPng()));
  ASSERT_EQ(a.Width(), 2);
  EXPECT_EQ(a.Pixel(0, 0), MakeColor32(255, 0, 0, 0x80));
  EXPECT_EQ(a.Pixel(1, 0), MakeColor32(0, 255, 0, 0xFF));

  // A button's glyph: a bitmap's own data, the count and the BMP file without a kind name.
  std::vector<uint8_t> glyph = EncodeFormPicture("TBitmap", bmp);
  glyph.erase(glyph.begin(), glyph.begin() + 8);
  ExpectSample(DecodeFormPicture(glyph), "glyph");
  EXPECT_EQ(SplitFormPicture(glyph).ClassName, "TBitmap");
  EXPECT_TRUE(DecodeFormPicture({0, 0, 0, 0}).Empty());

  // A count of 0 is an empty picture, whatever the kind.
  EXPECT_TRUE(DecodeFormPicture(EncodeFormPicture("TBitmap", {})).Empty());
  EXPECT_TRUE(DecodeFormPicture(EncodeFormPicture("TJPEGImage", {})).Empty());
}

TEST(FormPicture, BrokenDataIsNamed) {
  const struct {
    std::vector<uint8_t> Data;
    const char* Error;
  } cases[] = {
      {{}, "picture data: empty, the picture kind is missing"},
      {{0, 0, 0, 0, 0, 0}, "picture data: the picture kind's name is empty"},
      {{7, 'T', 'B', 'i', 't'}, "picture data: the picture kind's name runs past the end"},
      {{3, 'T', '-', 'x', 0, 0, 0, 0}, "picture data: the picture kind's name is not a class name"},
      {{7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 1, 0}, "picture data: the byte count of \"TBitmap\" is missing"},
      {{7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 9, 0, 0, 0, 'B', 'M'}, "picture data: \"TBitmap\" counts 9 bytes but 2 follow"},
      {{7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 0xFF, 0xFF, 0xFF, 0xFF}, "picture data: \"TBitmap\" counts 4294967295 bytes but 0 follow"},
      {EncodeFormPicture("TIcon", {1, 2, 3}), "picture data: picture kind \"TIcon\" cannot be read"},
      {{0, 0, 1, 0, 1, 0, 16, 16}, "picture data: an icon file, which is not a picture that can be shown"},
      {EncodeFormPicture("TBitmap", {1, 2, 3}), "picture data: bitmap too short for a header"},
      {EncodeFormPicture("TBitmap", std::vector<uint8_t>(20, 0)), "picture data: a bitmap that is neither a BMP file nor a DIB"},
  };
  for (const auto& c : cases) {
    try {
      DecodeFormPicture(c.Data);
      ADD_FAILURE() << "no error, expected " << c.Error;
    } catch (const EPictureError& e) {
      EXPECT_EQ(std::string(e.what()), c.Error);
    }
  }
  EXPECT_THROW(EncodeFormPicture(std::string(256, 'T'), {}), EPictureError);
  EXPECT_THROW(EncodeFormPicture("", {}), EPictureError);
  // A reader's own error names the kind.
  try {
    DecodeFormPicture(EncodeFormPicture("TJPEGImage", {0xFF, 0xD8, 0xFF, 0xE0, 1, 2}));
    ADD_FAILURE();
  } catch (const EPictureError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("picture data (TJPEGImage): ", 0), 0u) << e.what();
  }
}

TEST(FormPicture, PictureDataProperties) {
  for (const char* yes : {"Picture.Data", "Glyph.Data", "ButtonUp.data", "A.B.Data"}) EXPECT_TRUE(IsPictureDataProperty(yes)) << yes;
  for (const char* no : {"Data", ".Data", "Picture.DataX", "Picture", "Lines.Strings"}) EXPECT_FALSE(IsPictureDataProperty(no)) << no;
}
