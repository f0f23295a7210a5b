// The EXIF block of a JPEG holds a TIFF structure: a header naming the byte order and the first
// IFD, and a chain of IFDs of 12-byte entries, each IFD ending with the offset of the next. The
// thumbnail is described by the second IFD. Offsets count from the TIFF header. Only the two
// IFDs are visited, each checked whole against the block before any entry is read, so no read
// leaves the block and no chain can loop.
#include "graphics/uExifThumbnail.h"

#include <cstring>

namespace ky {

namespace {

constexpr uint8_t kExifSignature[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr size_t kTiffHeaderSize = 8;
constexpr size_t kEntrySize = 12;
// Cameras write a few dozen entries into the first IFD and fewer than ten into the second.
constexpr unsigned kMaxIfdEntries = 512;

constexpr uint16_t kTiffMagic = 42;
constexpr uint16_t kTagThumbnailOffset = 0x0201;
constexpr uint16_t kTagThumbnailLength = 0x0202;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;

// The TIFF structure's bytes, read in its own byte order; every read is checked by the caller
// through Has.
class TTiff {
 public:
  TTiff(const uint8_t* data, size_t size, bool bigEndian) : FData(data), FSize(size), FBigEndian(bigEndian) {}

  // Whether count bytes at offset lie inside; in 64 bits, so no sum can wrap.
  bool Has(uint64_t offset, uint64_t count) const { return offset <= FSize && count <= FSize - offset; }

  uint16_t U16(size_t at) const {
    const uint8_t* p = FData + at;
    return FBigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
  }
  uint32_t U32(size_t at) const {
    const uint8_t* p = FData + at;
    return FBigEndian ? uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]
                      : uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
  }

 private:
  const uint8_t* FData;
  size_t FSize;
  bool FBigEndian;
};

// An IFD whose count, entries and link to the next IFD all lie inside the structure.
struct TIfd {
  size_t Offset = 0;
  unsigned Count = 0;

  size_t Entry(unsigned i) const { return Offset + 2 + size_t{i} * kEntrySize; }
  size_t Link() const { return Entry(Count); }
};

std::optional<TIfd> IfdAt(const TTiff& tiff, uint32_t offset) {
  if (offset < kTiffHeaderSize || !tiff.Has(offset, 2)) return std::nullopt;
  const unsigned count = tiff.U16(offset);
  if (count > kMaxIfdEntries) return std::nullopt;
  if (!tiff.Has(uint64_t{offset} + 2, uint64_t{count} * kEntrySize + 4)) return std::nullopt;
  return TIfd{offset, count};
}

// The value of an entry that holds one unsigned number, kept in the entry's own value field.
std::optional<uint32_t> SingleNumber(const TTiff& tiff, size_t entry) {
  const uint16_t type = tiff.U16(entry + 2);
  if (tiff.U32(entry + 4) != 1) return std::nullopt;
  if (type == kTypeLong) return tiff.U32(entry + 8);
  if (type == kTypeShort) return tiff.U16(entry + 8);
  return std::nullopt;
}

}  // namespace

std::optional<TByteRange> FindExifThumbnail(const uint8_t* app1, size_t size) {
  if (!app1 || size < sizeof kExifSignature + kTiffHeaderSize) return std::nullopt;
  if (std::memcmp(app1, kExifSignature, sizeof kExifSignature) != 0) return std::nullopt;
  const uint8_t* data = app1 + sizeof kExifSignature;
  const size_t dataSize = size - sizeof kExifSignature;

  bool bigEndian;
  if (data[0] == 'I' && data[1] == 'I') bigEndian = false;
  else if (data[0] == 'M' && data[1] == 'M') bigEndian = true;
  else return std::nullopt;
  const TTiff tiff(data, dataSize, bigEndian);
  if (tiff.U16(2) != kTiffMagic) return std::nullopt;

  const std::optional<TIfd> first = IfdAt(tiff, tiff.U32(4));
  if (!first) return std::nullopt;
  // The chain only goes forward: a link back or to itself would visit an IFD twice.
  const uint32_t secondOffset = tiff.U32(first->Link());
  if (secondOffset <= first->Offset) return std::nullopt;
  const std::optional<TIfd> second = IfdAt(tiff, secondOffset);
  if (!second) return std::nullopt;

  std::optional<uint32_t> offset, length;
  for (unsigned i = 0; i < second->Count; ++i) {
    const size_t entry = second->Entry(i);
    const uint16_t tag = tiff.U16(entry);
    if (tag == kTagThumbnailOffset && !offset) offset = SingleNumber(tiff, entry);
    else if (tag == kTagThumbnailLength && !length) length = SingleNumber(tiff, entry);
  }
  if (!offset || !length || *length < 2 || !tiff.Has(*offset, *length)) return std::nullopt;
  if (data[*offset] != 0xFF || data[*offset + 1] != 0xD8) return std::nullopt;
  return TByteRange{sizeof kExifSignature + *offset, *length};
}

}  // namespace ky
