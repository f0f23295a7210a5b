#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

#include "EffectFixture.h"
#include "saver/effects/PSEffect.h"
#include "saver/effects/uEffectGallery.h"
#include "testutil.h"

using namespace ky;

namespace {

// Reads a PNG back as 8-bit RGB with libpng's own reader; empty on failure.
std::vector<uint8_t> ReadPngRgb(const std::string& path, int& w, int& h) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  w = static_cast<int>(image.width);
  h = static_cast<int>(image.height);
  return pixels;
}

}  // namespace

TEST(Gallery, OneFrameAsPng) {
  kytest::TTempDir dir;
  TBitmap32 from, to;
  kytest::FillBlack(from, 8, 6);
  kytest::FillPattern(to, 8, 6);
  TRandom random(0);
  // Reveal from left at 50 %: columns 0 .. 3 new.
  WriteTransitionFrame(dir / "f.png", from, to, 8, 50, random);
  int w = 0, h = 0;
  const std::vector<uint8_t> p = ReadPngRgb(dir / "f.png", w, h);
  ASSERT_EQ(w, 8);
  ASSERT_EQ(h, 6);
  const size_t at35 = (5 * 8 + 3) * 3, at45 = (5 * 8 + 4) * 3;
  EXPECT_EQ(p[at35], RedComponent(kytest::PatternPixel(3, 5)));
  EXPECT_EQ(p[at35 + 1], GreenComponent(kytest::PatternPixel(3, 5)));
  EXPECT_EQ(p[at45], 0);
  EXPECT_THROW(WriteTransitionFrame(dir / "g.png", from, to, 300, 50, random), std::invalid_argument);
}

TEST(Gallery, SheetsForEveryEffectAndAnIndex) {
  kytest::TTempDir dir;
  const std::vector<std::string> files = WriteTransitionGallery(dir / "gallery", 40, 30);
  ASSERT_EQ(files.size(), 170u);
  EXPECT_EQ(files.front(), dir / "gallery/effect-001.png");
  EXPECT_EQ(files[168], dir / "gallery/effect-169.png");
  EXPECT_EQ(files.back(), dir / "gallery/index.png");
  int w = 0, h = 0;
  // A sheet holds three 40 x 30 frames side by side with 8-pixel gaps.
  ASSERT_FALSE(ReadPngRgb(files[0], w, h).empty());
  EXPECT_EQ(w, 3 * 40 + 4 * 8);
  // The index: 13 columns of 160-pixel thumbnails with 8-pixel gaps.
  ASSERT_FALSE(ReadPngRgb(files.back(), w, h).empty());
  EXPECT_EQ(w, 13 * 168 + 8);
  for (const std::string& f : files) EXPECT_TRUE(kytest::Exists(f)) << f;
}

TEST(Gallery, TextUsesTheSmallFont) {
  TBitmap32 b(12, 7);
  b.Clear(0);
  DrawGalleryText(b, 0, 0, "1-", 0xFFFFFFFFu);
  // "1": ..#.. on the top row; "-": ##### on the middle row, from x = 6.
  EXPECT_EQ(b.Pixel(2, 0), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(1, 0), 0u);
  for (int x = 6; x < 11; ++x) EXPECT_EQ(b.Pixel(x, 3), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(6, 2), 0u);
  EXPECT_EQ(GalleryTextWidth("1-"), 11);
  EXPECT_EQ(GalleryTextWidth("ab", 2), 22);
}
