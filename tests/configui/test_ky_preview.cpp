// The preview control renders a picture once at its own size with the bilinear rule.
#include <gtest/gtest.h>

#include "config/ui/uKyPreview.h"
#include "graphics/uJpegWriter.h"
#include "graphics/uPictureReaders.h"
#include "scene/file/uSceneWriter.h"
#include "ui_test_util.h"

namespace {

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  kytest::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

ky::TBitmap32 Gradient(int w, int h) {
  ky::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.Bits()[y * w + x] = ky::MakeColor32(x * 255 / (w - 1), y * 255 / (h - 1), 128);
  return b;
}

// Destination pixel (j, i) of the bilinear rule in 15-bit fixed point, computed here from the
// rule itself: it samples the source at (j (W-1) / W', i (H-1) / H').
uint32_t BilinearByRule(const ky::TBitmap32& s, int dw, int dh, int j, int i) {
  const int W = s.Width(), H = s.Height();
  const int64_t xstep = (int64_t(W - 1) * 32768) / dw, ystep = (int64_t(H - 1) * 32768) / dh;
  const int64_t fy = (i * ystep) & 32767, fx = (j * xstep) & 32767;
  const int y0 = int((i * ystep) >> 15), x0 = int((j * xstep) >> 15);
  const int64_t h = (fx * (32768 - fy)) >> 15, m = (fx * fy) >> 15;
  auto px = [&](int x, int y) { return s.Bits()[std::min(y, H - 1) * W + std::min(x, W - 1)]; };
  uint32_t out = 0;
  for (int shift : {16, 8, 0}) {
    auto ch = [&](uint32_t c) { return int64_t((c >> shift) & 0xFF); };
    const int64_t v = (ch(px(x0, y0)) * (32768 - fy - h) + ch(px(x0 + 1, y0)) * h + ch(px(x0, y0 + 1)) * (fy - m) +
                       ch(px(x0 + 1, y0 + 1)) * m) >> 15;
    out |= uint32_t(v) << shift;
  }
  return out;
}

TEST(KyPreview, A1024x768JpegIsSqueezedInto200x100) {
  kytest::TTempDir dir;
  const std::string path = dir / "wide.jpg";
  WriteBytes(path, ky::EncodeJpeg(Gradient(1024, 768), 95));
  ky::TBitmap32 decoded;
  ky::LoadPictureFromFile(path, decoded);

  ky::TKyPreview preview;
  preview.resize(200, 100);
  preview.ShowPicture(path);
  const QImage& shown = preview.Picture();
  ASSERT_EQ(shown.size(), QSize(200, 100));
  for (int i = 0; i < 100; i += 7)
    for (int j = 0; j < 200; j += 13)
      ASSERT_EQ(shown.pixel(j, i) & 0xFFFFFFu, BilinearByRule(decoded, 200, 100, j, i)) << j << "," << i;
  EXPECT_EQ(preview.FileName(), path);
  // A later resize stretches the rendering; it is not rendered again.
  preview.resize(400, 200);
  EXPECT_EQ(preview.Picture().size(), QSize(200, 100));
}

TEST(KyPreview, ASceneShowsItsFullPhotographNotItsSmallPreview) {
  kytest::TTempDir dir;
  ky::TBitmap32 photo(64, 48), small(16, 12);
  photo.Clear(ky::MakeColor32(220, 30, 30));
  small.Clear(ky::MakeColor32(30, 30, 220));
  ky::TSceneDescription scene;
  scene.Title = "Lake";
  scene.PictureJpeg = ky::EncodeJpeg(photo, 95);
  scene.PreviewJpeg = ky::EncodeJpeg(small, 95);
  scene.Width = 64;
  scene.Height = 48;
  scene.MaskPicture = ky::TBitmap32(64, 48);
  scene.MaskPicture.Clear(ky::MakeColor32(0, 0, 0));
  WriteBytes(dir / "lake.KYP", ky::EncodeSceneFile(scene));

  ky::TKyPreview preview;
  preview.resize(32, 24);
  preview.ShowPicture(dir / "lake.KYP");
  const QRgb c = preview.Picture().pixel(16, 12);
  EXPECT_NEAR(qRed(c), 220, 4);
  EXPECT_NEAR(qBlue(c), 30, 4);
  EXPECT_EQ(preview.Picture().size(), QSize(32, 24));
}

TEST(KyPreview, OtherExtensionsShowAnEmptyPictureAndUnreadablePicturesKeepThePreviousOne) {
  kytest::TTempDir dir;
  kytest::WriteBmp24(dir / "red.bmp", 4, 4, [](int, int) { return 0xFF0000u; });
  ky::TKyPreview preview;
  preview.resize(8, 8);
  preview.ShowPicture(dir / "red.bmp");
  EXPECT_EQ(preview.Picture().pixel(3, 3) & 0xFFFFFFu, 0xFF0000u);
  kytest::WriteFile(dir / "broken.jpg", "not a picture");
  EXPECT_ANY_THROW(preview.ShowPicture(dir / "broken.jpg"));
  EXPECT_EQ(preview.Picture().pixel(3, 3) & 0xFFFFFFu, 0xFF0000u);
  // ".JPEG" is not one of the preview's extensions, even though it is a picture.
  WriteBytes(dir / "red.JPEG", ky::EncodeJpeg(ky::TBitmap32(4, 4), 90));
  preview.ShowPicture(dir / "red.JPEG");
  EXPECT_EQ(preview.Picture().size(), QSize(8, 8));
  EXPECT_EQ(preview.Picture().pixel(3, 3) & 0xFFFFFFu, 0u);
}

}  // namespace
