// The EXIF thumbnail reader over blocks built by hand in both byte orders, whole and damaged
// field by field, and the JPEG header reader that hands it the block.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "exiftestutil.h"
#include "gfxTestUtil.h"
#include "graphics/uExifThumbnail.h"
#include "graphics/uJpegReader.h"
#include "graphics/uJpegWriter.h"
#include "graphics/uPictureError.h"
#include "graphics/uPictureFile.h"

using namespace ky;
using kytest::TExifBlock;

namespace {

// Stands in for the thumbnail: the reader checks only that it starts a JPEG.
const std::vector<uint8_t> kThumbnail = {0xFF, 0xD8, 0xFF, 0xDB, 1, 2, 3, 4, 5, 6, 0xFF, 0xD9};

std::optional<TByteRange> Find(const std::vector<uint8_t>& block) {
  return FindExifThumbnail(block.data(), block.size());
}

TEST(ExifThumbnail, FoundInEitherByteOrder) {
  for (const bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "MM" : "II");
    const TExifBlock block(kThumbnail, bigEndian);
    const std::optional<TByteRange> range = Find(block.Bytes);
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(range->Offset, TExifBlock::kThumbnailAt);
    ASSERT_EQ(range->Size, kThumbnail.size());
    EXPECT_EQ(std::vector<uint8_t>(block.Bytes.begin() + range->Offset, block.Bytes.begin() + range->Offset + range->Size),
              kThumbnail);
  }
}

TEST(ExifThumbnail, OffsetAndLengthAsShortValuesAreRead) {
  TExifBlock block(kThumbnail, true);
  block.PutEntry(TExifBlock::kOffsetEntryAt, 0x0201, 3, TExifBlock::kThumbnail);
  block.PutEntry(TExifBlock::kLengthEntryAt, 0x0202, 3, static_cast<uint32_t>(kThumbnail.size()));
  const std::optional<TByteRange> range = Find(block.Bytes);
  ASSERT_TRUE(range.has_value());
  EXPECT_EQ(range->Offset, TExifBlock::kThumbnailAt);
  EXPECT_EQ(range->Size, kThumbnail.size());
}

// Every way a block may lie gives nothing, in both byte orders; the change is made to a good
// block, so each case differs from a block that is found in that one field only.
TEST(ExifThumbnail, DamagedBlocksGiveNothing) {
  using TChange = std::function<void(TExifBlock&)>;
  const auto NameThumbnailInFirstIfd = [](TExifBlock& b) {
    b.PutEntry(TExifBlock::kFirstIfdCountAt + 2, 0x0201, 4, TExifBlock::kThumbnail);
    b.PutEntry(TExifBlock::kFirstIfdCountAt + 2 + 12, 0x0202, 4, static_cast<uint32_t>(kThumbnail.size()));
  };
  const uint32_t end = TExifBlock::kThumbnail + static_cast<uint32_t>(kThumbnail.size());  // TIFF offsets
  const struct {
    const char* what;
    TChange change;
  } cases[] = {
      {"not EXIF", [](TExifBlock& b) { b.Bytes[0] = 'e'; }},
      {"unknown byte order", [](TExifBlock& b) { b.Bytes[TExifBlock::kByteOrderAt] = 'I', b.Bytes[TExifBlock::kByteOrderAt + 1] = 'M'; }},
      {"not TIFF", [](TExifBlock& b) { b.Put16(TExifBlock::kMagicAt, 43); }},
      {"first IFD past the end", [&](TExifBlock& b) { b.Put32(TExifBlock::kFirstIfdLinkAt, end); }},
      {"first IFD far past the end", [](TExifBlock& b) { b.Put32(TExifBlock::kFirstIfdLinkAt, 0xFFFFFFFFu); }},
      {"first IFD inside the header", [](TExifBlock& b) { b.Put32(TExifBlock::kFirstIfdLinkAt, 2); }},
      {"huge entry count", [](TExifBlock& b) { b.Put16(TExifBlock::kFirstIfdCountAt, 0xFFFF); }},
      {"entries run past the end", [](TExifBlock& b) { b.Put16(TExifBlock::kFirstIfdCountAt, 9); }},
      {"no second IFD", [](TExifBlock& b) { b.Put32(TExifBlock::kSecondIfdLinkAt, 0); }},
      // In the two loops the IFD linked to names a thumbnail that fits, so only the link is wrong.
      {"first IFD links to itself",
       [&](TExifBlock& b) {
         NameThumbnailInFirstIfd(b);
         b.Put32(TExifBlock::kSecondIfdLinkAt, TExifBlock::kFirstIfd);
       }},
      {"second IFD lies before the first",
       [&](TExifBlock& b) {
         NameThumbnailInFirstIfd(b);
         b.Put32(TExifBlock::kFirstIfdLinkAt, TExifBlock::kSecondIfd);
         b.Put32(TExifBlock::kLengthEntryAt + 12, TExifBlock::kFirstIfd);
       }},
      {"second IFD past the end", [&](TExifBlock& b) { b.Put32(TExifBlock::kSecondIfdLinkAt, end - 1); }},
      {"second IFD's huge entry count", [](TExifBlock& b) { b.Put16(TExifBlock::kSecondIfdCountAt, 0xFFFF); }},
      {"thumbnail offset past the end", [&](TExifBlock& b) { b.PutEntry(TExifBlock::kOffsetEntryAt, 0x0201, 4, end); }},
      {"thumbnail offset far past the end",
       [](TExifBlock& b) { b.PutEntry(TExifBlock::kOffsetEntryAt, 0x0201, 4, 0xFFFFFFFFu); }},
      {"thumbnail length one past the end",
       [](TExifBlock& b) { b.PutEntry(TExifBlock::kLengthEntryAt, 0x0202, 4, static_cast<uint32_t>(kThumbnail.size()) + 1); }},
      {"offset plus length wraps",
       [](TExifBlock& b) { b.PutEntry(TExifBlock::kLengthEntryAt, 0x0202, 4, 0xFFFFFFFFu - TExifBlock::kThumbnail + 1); }},
      {"no length", [](TExifBlock& b) { b.Put16(TExifBlock::kLengthEntryAt, 0x0203); }},
      {"no offset", [](TExifBlock& b) { b.Put16(TExifBlock::kOffsetEntryAt, 0x0200); }},
      {"offset of two values", [](TExifBlock& b) { b.Put32(TExifBlock::kOffsetEntryAt + 4, 2); }},
      {"offset as text", [](TExifBlock& b) { b.Put16(TExifBlock::kOffsetEntryAt + 2, 2); }},
      {"empty thumbnail", [](TExifBlock& b) { b.PutEntry(TExifBlock::kLengthEntryAt, 0x0202, 4, 0); }},
      {"thumbnail not a JPEG", [](TExifBlock& b) { b.Bytes[TExifBlock::kThumbnailAt + 1] = 0xD9; }},
  };
  for (const bool bigEndian : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (bigEndian ? " (MM)" : " (II)"));
      TExifBlock block(kThumbnail, bigEndian);
      ASSERT_TRUE(Find(block.Bytes).has_value());
      c.change(block);
      EXPECT_FALSE(Find(block.Bytes).has_value());
    }
  }
}

// The thumbnail is the block's last part, so every shorter block has lost some of it.
TEST(ExifThumbnail, EveryTruncatedBlockGivesNothing) {
  for (const bool bigEndian : {false, true}) {
    const TExifBlock block(kThumbnail, bigEndian);
    for (size_t n = 0; n < block.Bytes.size(); ++n) {
      const std::vector<uint8_t> cut(block.Bytes.begin(), block.Bytes.begin() + n);
      EXPECT_FALSE(FindExifThumbnail(cut.data(), cut.size()).has_value()) << n << " bytes";
    }
  }
  EXPECT_FALSE(FindExifThumbnail(nullptr, 0).has_value());
}

TEST(JpegHeader, SizeAndTheExifBlockBehindOtherApp1Markers) {
  const std::vector<uint8_t> plain = EncodeJpeg(kytest::TestPicture(40, 30), 80);
  const TExifBlock exif(kThumbnail);
  const std::string xmpText = "http://ns.adobe.com/xap/1.0/";
  const std::vector<uint8_t> xmp(xmpText.begin(), xmpText.end() + 1);
  // The camera's block first, then another program's, as an editor leaves a file.
  const std::vector<uint8_t> file = kytest::WithApp1(kytest::WithApp1(plain, exif.Bytes), xmp);

  const TJpegHeader header = ReadJpegHeader(file.data(), file.size());
  EXPECT_EQ(header.Width, 40);
  EXPECT_EQ(header.Height, 30);
  EXPECT_EQ(header.Exif, exif.Bytes);

  const TJpegHeader none = ReadJpegHeader(plain.data(), plain.size());
  EXPECT_EQ(none.Width, 40);
  EXPECT_TRUE(none.Exif.empty());
}

TEST(JpegHeader, NeedsOnlyTheBytesUpToTheFirstScan) {
  const std::vector<uint8_t> file = kytest::WithApp1(EncodeJpeg(kytest::TestPicture(64, 48), 90), TExifBlock(kThumbnail).Bytes);
  // The start-of-scan marker and its header; the compressed data follows.
  size_t sos = 0;
  for (size_t i = 2; i + 3 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xDA) {
      sos = i;
      break;
    }
  ASSERT_GT(sos, 0u);
  const size_t headerEnd = sos + 2 + (size_t{file[sos + 2]} << 8 | file[sos + 3]);
  const TJpegHeader header = ReadJpegHeader(file.data(), headerEnd);
  EXPECT_EQ(header.Width, 64);
  EXPECT_EQ(header.Height, 48);
  EXPECT_FALSE(header.Exif.empty());
  // Cut inside the block or the tables, the header cannot be read.
  for (const size_t n : {size_t{0}, size_t{1}, size_t{20}, TExifBlock::kThumbnailAt, sos})
    EXPECT_THROW(ReadJpegHeader(file.data(), n), EPictureError) << n << " bytes";
  const std::string text = "not a picture";
  EXPECT_THROW(ReadJpegHeader(text.data(), text.size()), EPictureError);
}

TEST(PictureFile, TheHeadOfAFileIsItsFirstBytesOrAllOfAShortOne) {
  kytest::TTempDir dir;
  std::vector<uint8_t> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  kytest::WriteBytes(dir / "f.bin", bytes);
  EXPECT_EQ(ReadPictureFileHead(dir / "f.bin", 100), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100));
  EXPECT_EQ(ReadPictureFileHead(dir / "f.bin", 5000), bytes);
  EXPECT_THROW(ReadPictureFileHead(dir / "missing.bin", 100), EPictureError);
}

}  // namespace
