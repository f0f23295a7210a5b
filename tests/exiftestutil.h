#pragma once
// EXIF blocks built byte by byte, laid out as cameras write them: "Exif\0\0", the TIFF header, a
// first IFD of two entries, a second IFD naming the thumbnail, and the thumbnail behind it. The
// positions of the fields a hostile file could lie in are kept, so a test can change them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kytest {

class TExifBlock {
 public:
  // Offsets inside the TIFF structure, which starts after the six signature bytes.
  static constexpr size_t kTiffStart = 6;
  static constexpr uint32_t kFirstIfd = 8;
  static constexpr uint32_t kSecondIfd = kFirstIfd + 2 + 2 * 12 + 4;
  static constexpr uint32_t kThumbnail = kSecondIfd + 2 + 3 * 12 + 4;

  // Positions in Bytes of the fields tests change.
  static constexpr size_t kByteOrderAt = kTiffStart;
  static constexpr size_t kMagicAt = kTiffStart + 2;
  static constexpr size_t kFirstIfdLinkAt = kTiffStart + 4;
  static constexpr size_t kFirstIfdCountAt = kTiffStart + kFirstIfd;
  static constexpr size_t kSecondIfdLinkAt = kFirstIfdCountAt + 2 + 2 * 12;
  static constexpr size_t kSecondIfdCountAt = kTiffStart + kSecondIfd;
  static constexpr size_t kOffsetEntryAt = kSecondIfdCountAt + 2 + 12;  // JPEGInterchangeFormat
  static constexpr size_t kLengthEntryAt = kOffsetEntryAt + 12;         // JPEGInterchangeFormatLength
  static constexpr size_t kThumbnailAt = kTiffStart + kThumbnail;

  explicit TExifBlock(const std::vector<uint8_t>& thumbnail, bool bigEndian = false) : FBigEndian(bigEndian) {
    Bytes = {'E', 'x', 'i', 'f', 0, 0};
    Bytes.resize(kThumbnailAt);
    Bytes[kByteOrderAt] = Bytes[kByteOrderAt + 1] = bigEndian ? 'M' : 'I';
    Put16(kMagicAt, 42);
    Put32(kFirstIfdLinkAt, kFirstIfd);
    Put16(kFirstIfdCountAt, 2);
    PutEntry(kFirstIfdCountAt + 2, 0x0112, 3, 1);       // orientation: upright
    PutEntry(kFirstIfdCountAt + 2 + 12, 0x0128, 3, 2);  // resolution unit: inch
    Put32(kSecondIfdLinkAt, kSecondIfd);
    Put16(kSecondIfdCountAt, 3);
    PutEntry(kSecondIfdCountAt + 2, 0x0103, 3, 6);  // compression: JPEG
    PutEntry(kOffsetEntryAt, 0x0201, 4, kThumbnail);
    PutEntry(kLengthEntryAt, 0x0202, 4, static_cast<uint32_t>(thumbnail.size()));
    Put32(kLengthEntryAt + 12, 0);  // no third IFD
    Bytes.insert(Bytes.end(), thumbnail.begin(), thumbnail.end());
  }

  std::vector<uint8_t> Bytes;  // the APP1 marker's payload

  void Put16(size_t at, uint32_t v) {
    Bytes[at + (FBigEndian ? 1 : 0)] = static_cast<uint8_t>(v);
    Bytes[at + (FBigEndian ? 0 : 1)] = static_cast<uint8_t>(v >> 8);
  }
  void Put32(size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) Bytes[at + (FBigEndian ? 3 - k : k)] = static_cast<uint8_t>(v >> (8 * k));
  }
  // A tag of one value, SHORT (3) or LONG (4), kept in the entry itself.
  void PutEntry(size_t at, uint16_t tag, uint16_t type, uint32_t value) {
    Put16(at, tag);
    Put16(at + 2, type);
    Put32(at + 4, 1);
    Put32(at + 8, 0);
    if (type == 3) Put16(at + 8, value);
    else Put32(at + 8, value);
  }

 private:
  bool FBigEndian;
};

// A JPEG file with payload as an APP1 marker right after its start-of-image marker, where
// cameras put it.
inline std::vector<uint8_t> WithApp1(const std::vector<uint8_t>& jpeg, const std::vector<uint8_t>& payload) {
  const size_t length = payload.size() + 2;
  std::vector<uint8_t> out(jpeg.size() + 4 + payload.size());
  std::copy(jpeg.begin(), jpeg.begin() + 2, out.begin());
  out[2] = 0xFF;
  out[3] = 0xE1;
  out[4] = static_cast<uint8_t>(length >> 8);
  out[5] = static_cast<uint8_t>(length);
  std::copy(payload.begin(), payload.end(), out.begin() + 6);
  std::copy(jpeg.begin() + 2, jpeg.end(), out.begin() + 6 + static_cast<long>(payload.size()));
  return out;
}

}  // namespace kytest
