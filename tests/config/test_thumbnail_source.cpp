// Which picture of a JPEG a thumbnail shows: the one a camera embedded in its EXIF block, when
// that is large enough and of the photograph's shape, else the photograph itself. The
// photographs are red and their embedded thumbnails blue, so the colour tells which was used.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "config/ui/thumbnails/uThumbnailSource.h"
#include "bitmaptestutil.h"
#include "exiftestutil.h"
#include "graphics/uJpegWriter.h"
#include "testutil.h"

using kytest::Solid;
using kytest::WriteBytes;

using namespace ky;
using kytest::TExifBlock;

namespace {

constexpr TColor32 kRed = 0xFFFF0000u;
constexpr TColor32 kBlue = 0xFF0000FFu;

// A red photograph of w x h carrying block.
std::vector<uint8_t> Photograph(int w, int h, const TExifBlock& block) {
  return kytest::WithApp1(EncodeJpeg(Solid(w, h, kRed), 90), block.Bytes);
}

std::vector<uint8_t> BlueThumbnail(int w, int h) { return EncodeJpeg(Solid(w, h, kBlue), 90); }

bool Near(TColor32 got, TColor32 want) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF)) > 8) return false;
  return true;
}

// The colour the whole thumbnail has, or 0 when it is not of one colour.
TColor32 OneColour(const TBitmap32& b) {
  const TColor32 first = b.Pixel(0, 0);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (!Near(b.Pixel(x, y), first)) return 0;
  return Near(first, kRed) ? kRed : Near(first, kBlue) ? kBlue : 0;
}

TEST(ThumbnailSource, EmbeddedThumbnailWhenLargeEnoughAndOfThePhotographsShape) {
  kytest::TTempDir dir;
  const struct {
    const char* what;
    int photoW, photoH;  // the photograph
    int thumbW, thumbH;  // its embedded thumbnail
    bool bigEndian;
    int wantW, wantH;    // the thumbnail asked for
    TColor32 shown;
  } cases[] = {
      {"embedded", 640, 480, 160, 120, false, 80, 60, kBlue},
      {"embedded, big-endian block", 640, 480, 160, 120, true, 80, 60, kBlue},
      {"embedded at exactly the size asked for", 640, 480, 160, 120, false, 160, 120, kBlue},
      {"embedded, stretched to another shape", 640, 480, 160, 120, false, 100, 40, kBlue},
      {"too narrow", 640, 480, 160, 120, false, 161, 60, kRed},
      {"too low", 640, 480, 160, 120, true, 80, 121, kRed},
      {"shape 1.7 % off", 640, 480, 160, 118, false, 80, 60, kBlue},
      {"shape 2.6 % off", 640, 480, 160, 117, false, 80, 60, kRed},
      {"wide thumbnail of a 4:3 photograph", 640, 480, 160, 90, false, 80, 60, kRed},
      {"thumbnail turned", 640, 480, 120, 160, false, 80, 60, kRed},
      {"photograph turned", 480, 640, 160, 120, false, 60, 80, kRed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir / "photo.jpg";
    WriteBytes(path, Photograph(c.photoW, c.photoH, TExifBlock(BlueThumbnail(c.thumbW, c.thumbH), c.bigEndian)));
    const TThumbnail t = MakeThumbnail(path, c.wantW, c.wantH);
    EXPECT_EQ(t.Problem, "");
    ASSERT_EQ(t.Picture.Width(), c.wantW);
    ASSERT_EQ(t.Picture.Height(), c.wantH);
    EXPECT_EQ(OneColour(t.Picture), c.shown);
  }
}

// A block that lies gives the photograph, never an error or a crash.
TEST(ThumbnailSource, DamagedExifBlocksFallBackToThePhotograph) {
  kytest::TTempDir dir;
  const std::vector<uint8_t> thumbnail = BlueThumbnail(160, 120);
  const uint32_t end = TExifBlock::kThumbnail + static_cast<uint32_t>(thumbnail.size());
  const struct {
    const char* what;
    std::function<void(TExifBlock&)> change;
  } cases[] = {
      {"thumbnail offset past the end", [&](TExifBlock& b) { b.PutEntry(TExifBlock::kOffsetEntryAt, 0x0201, 4, end); }},
      {"thumbnail length past the end",
       [&](TExifBlock& b) { b.PutEntry(TExifBlock::kLengthEntryAt, 0x0202, 4, static_cast<uint32_t>(thumbnail.size()) + 1); }},
      {"huge entry count", [](TExifBlock& b) { b.Put16(TExifBlock::kSecondIfdCountAt, 0xFFFF); }},
      {"first IFD links to itself", [](TExifBlock& b) { b.Put32(TExifBlock::kSecondIfdLinkAt, TExifBlock::kFirstIfd); }},
      {"second IFD past the end", [&](TExifBlock& b) { b.Put32(TExifBlock::kSecondIfdLinkAt, end); }},
      {"thumbnail cut short", [&](TExifBlock& b) {
         b.PutEntry(TExifBlock::kLengthEntryAt, 0x0202, 4, static_cast<uint32_t>(thumbnail.size()) / 2);
       }},
      {"thumbnail damaged", [](TExifBlock& b) {
         for (size_t i = TExifBlock::kThumbnailAt + 2; i < b.Bytes.size(); i += 3) b.Bytes[i] = 0x55;
       }},
      {"no thumbnail, only the block", [](TExifBlock& b) { b.Put32(TExifBlock::kSecondIfdLinkAt, 0); }},
  };
  for (const bool bigEndian : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (bigEndian ? " (MM)" : " (II)"));
      TExifBlock block(thumbnail, bigEndian);
      c.change(block);
      const std::string path = dir / "photo.jpg";
      WriteBytes(path, Photograph(640, 480, block));
      const TThumbnail t = MakeThumbnail(path, 80, 60);
      EXPECT_EQ(t.Problem, "");
      ASSERT_EQ(t.Picture.Width(), 80);
      EXPECT_EQ(OneColour(t.Picture), kRed);
    }
  }
}

// Only the head of the file is read for the thumbnail: a photograph whose frame header lies
// further in shows itself, and a photograph damaged past its header still shows its thumbnail.
TEST(ThumbnailSource, OnlyTheHeadOfTheFileIsReadForTheEmbeddedThumbnail) {
  kytest::TTempDir dir;
  const std::vector<uint8_t> good = Photograph(640, 480, TExifBlock(BlueThumbnail(160, 120)));

  std::vector<uint8_t> farHeader = good;
  const std::vector<uint8_t> filler(65000, 0x20);
  for (int i = 0; i < 3; ++i) {
    // An application marker of another program, after the EXIF block.
    std::vector<uint8_t> app2 = {0xFF, 0xE2, static_cast<uint8_t>((filler.size() + 2) >> 8),
                                 static_cast<uint8_t>(filler.size() + 2)};
    app2.insert(app2.end(), filler.begin(), filler.end());
    const size_t afterExif = 2 + 4 + TExifBlock::kThumbnailAt + BlueThumbnail(160, 120).size();
    farHeader.insert(farHeader.begin() + static_cast<long>(afterExif), app2.begin(), app2.end());
  }
  WriteBytes(dir / "far.jpg", farHeader);
  TThumbnail t = MakeThumbnail(dir / "far.jpg", 80, 60);
  EXPECT_EQ(t.Problem, "");
  EXPECT_EQ(OneColour(t.Picture), kRed);

  // Cut a few bytes into the photograph's compressed data, behind the last start-of-scan.
  std::vector<uint8_t> damaged = good;
  size_t sos = 0;
  for (size_t i = 0; i + 1 < damaged.size(); ++i)
    if (damaged[i] == 0xFF && damaged[i + 1] == 0xDA) sos = i;
  ASSERT_GT(sos, TExifBlock::kThumbnailAt);
  damaged.resize(sos + 20);
  WriteBytes(dir / "damaged.jpg", damaged);
  t = MakeThumbnail(dir / "damaged.jpg", 80, 60);
  EXPECT_EQ(t.Problem, "");
  EXPECT_EQ(OneColour(t.Picture), kBlue);
}

}  // namespace
