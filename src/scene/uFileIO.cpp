#include "scene/uFileIO.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE4_1__)
#include <immintrin.h>
#endif

#include "graphics/uPictureReaders.h"

namespace ky {

namespace {
constexpr TColor32 kRegionColours[kRegionCodeCount] = {0x000000, 0x0000FF, 0xFF00FF, 0xFF0000,
                                                       0xFFFF00, 0x00FF00, 0x00FFFF};
}  // namespace

TColor32 RegionColour(int code) {
  return code > 0 && code < kRegionCodeCount ? kRegionColours[code] : kRegionColours[0];
}

namespace {
// The six region colours have every channel 0 or 0xFF, each a different choice of the three.
// So a pixel's code is decided by which channels are 0xFF, once every channel is 0 or 0xFF:
// entry r * 4 + g * 2 + b (one bit per full channel) of this table.
struct TCodeByChannels {
  uint8_t Code[8] = {};
  constexpr TCodeByChannels() {
    for (int code = 1; code < kRegionCodeCount; ++code) {
      const TColor32 c = kRegionColours[code];
      Code[((c >> 21) & 4) | ((c >> 14) & 2) | ((c >> 7) & 1)] = static_cast<uint8_t>(code);
    }
  }
};
constexpr TCodeByChannels kCodeByChannels;

constexpr bool ColoursAreDistinctChoicesOfFullChannels() {
  bool used[8] = {};
  for (int code = 0; code < kRegionCodeCount; ++code) {
    const TColor32 c = kRegionColours[code];
    for (int s = 0; s < 24; s += 8)
      if (((c >> s) & 0xFF) != 0 && ((c >> s) & 0xFF) != 0xFF) return false;
    const uint32_t index = ((c >> 21) & 4) | ((c >> 14) & 2) | ((c >> 7) & 1);
    if (used[index] || index == 7) return false;
    used[index] = true;
  }
  return true;
}
static_assert(ColoursAreDistinctChoicesOfFullChannels(), "the code table needs 0/0xFF channels, one pattern a code");
}  // namespace

int RegionCodeOf(TColor32 pixel) {
  const TColor32 rgb = pixel & 0x00FFFFFFu;
  const TColor32 top = rgb & 0x00808080u;
  // Each channel becomes 0xFF where its top bit is set; a pixel equal to that has only 0 and
  // 0xFF channels.
  const TColor32 full = (top >> 7) * 0xFFu;
  const uint32_t index = ((rgb >> 21) & 4) | ((rgb >> 14) & 2) | ((rgb >> 7) & 1);
  return full == rgb ? kCodeByChannels.Code[index] : 0;
}

int EqualPixelRunEnd(const TColor32* row, int x, int n) {
  const TColor32 v = row[x];
  int e = x + 1;
#if defined(__SSE4_1__)
  const __m128i vv = _mm_set1_epi32(static_cast<int>(v));
  auto same4 = [&](int at) {
    return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + at)), vv);
  };
  // Sixteen at a time while all match, then four at a time to find where the run ends.
  for (; e + 16 <= n; e += 16) {
    const __m128i all = _mm_and_si128(_mm_and_si128(same4(e), same4(e + 4)), _mm_and_si128(same4(e + 8), same4(e + 12)));
    if (_mm_movemask_ps(_mm_castsi128_ps(all)) != 0xF) break;
  }
  for (; e + 4 <= n; e += 4) {
    const int same = _mm_movemask_ps(_mm_castsi128_ps(same4(e)));
    if (same != 0xF) return e + __builtin_ctz(static_cast<unsigned>(~same));
  }
#endif
  while (e < n && row[e] == v) ++e;
  return e;
}

void DecodeRegionMask(const std::vector<int32_t>& values, TBitmap32& target) {
  if (values.size() < 2) throw EMalformedScene("region mask has fewer than two values");
  const int32_t w = values[0], h = values[1];
  if (w < 0 || h < 0) throw EMalformedScene("negative region mask size");
  if (w > kMaxPictureSide || h > kMaxPictureSide || int64_t{w} * h > kMaxPicturePixels)
    throw EMalformedScene("region mask too large (" + std::to_string(w) + " x " + std::to_string(h) + ")");
  const int64_t total = int64_t{w} * h;
  // Check the runs before touching the target, so a bad mask leaves it as it was.
  int64_t covered = 0;
  for (size_t i = 2; i < values.size(); ++i) {
    if (values[i] < 0) throw EMalformedScene("negative region mask run");
    covered += values[i] / 10;
    if (covered > total) throw EMalformedScene("region mask runs cover more than the picture");
  }
  target.SetSize(w, h);
  TColor32* p = target.Bits();
  for (size_t i = 2; i < values.size(); ++i) {
    // Pixels are row-major without padding, so runs that cross a row simply continue.
    const int32_t n = values[i] / 10;
    std::fill_n(p, n, RegionColour(values[i] % 10));
    p += n;
  }
  // Pixels no run reaches are dry land.
  std::fill(p, target.Bits() + total, RegionColour(0));
}

TFileLoader::TFileLoader() { Reset(); }

void TFileLoader::Reset() {
  FTitle.clear();
  FSecondText.clear();
  FSoundFile.clear();
  FObjectsText.clear();
  FBuildInfo.clear();
  FPreview.SetSize(0, 0);
  FPicture.SetSize(0, 0);
  FMaskValues.clear();
  FWaves.fill(TWaveParam::Defaults());
  std::memset(FWeather, 0, sizeof FWeather);
  std::memset(FSlots, 0, sizeof FSlots);
}

void TFileLoader::GetSoundSlots(TSoundSlots& target) const {
  for (int i = 0; i < kSoundSlotCount; ++i) target[i] = TSoundSlot::FromRecord(FSlots[i]);
}

void TFileLoader::ReadJpeg(TMyStream& stream, TBitmap32& target, const char* what) {
  const std::vector<uint8_t> block = stream.ReadBlock(stream.ReadInt32());
  LoadJpegFromMemory(block.data(), block.size(), target, what);
}

void TFileLoader::LoadFromFile(const std::string& fileName) {
  Reset();
  TMyStream stream(fileName);
  LoadFromStream(stream);
}

void TFileLoader::LoadHeader(const std::string& fileName) {
  Reset();
  TMyStream stream(fileName);
  LoadHeaderFromStream(stream);
}

void TFileLoader::LoadHeaderFromStream(TMyStream& stream) {
  Reset();
  stream.ReadMagic();
  FTitle = stream.ReadString();
  FSecondText = stream.ReadString();
  ReadJpeg(stream, FPreview, "preview picture");
}

void TFileLoader::LoadFromStream(TMyStream& stream) {
  Reset();
  if (stream.ReadMagic() != kSceneMagic) throw ESceneFileError("Incorrect Project File!");
  FTitle = stream.ReadString();
  FSecondText = stream.ReadString();
  ReadJpeg(stream, FPreview, "preview picture");
  stream.ReadInt32();  // wave block count, not used
  for (int i = 0; i < 4; ++i) {
    uint8_t rec[kWaveRecordSize];
    stream.Read(rec, sizeof rec);
    FWaves[i] = TWaveParam::FromRecord(rec);
  }
  const int32_t count = stream.ReadInt32();
  if (count < 2) throw EMalformedScene("region mask has fewer than two values");
  if (static_cast<uint64_t>(count) * 4 > stream.Remaining())
    throw EMalformedScene("region mask longer than the rest of the file");
  FMaskValues.resize(static_cast<size_t>(count));
  for (int32_t& v : FMaskValues) v = stream.ReadInt32();
  ReadJpeg(stream, FPicture, "scene picture");
  if (FMaskValues[0] != FPicture.Width() || FMaskValues[1] != FPicture.Height())
    throw EMalformedScene("region mask size differs from the picture");
  FSoundFile = stream.ReadString();
  stream.Read(FWeather, sizeof FWeather);
  ReadTail(stream);
}

void TFileLoader::ReadTail(TMyStream& stream) {
  if (stream.AtEnd()) return;
  try {
    for (auto& slot : FSlots) stream.Read(slot, sizeof slot);
    FObjectsText = stream.ReadString();
    FBuildInfo = stream.ReadString();
    const int32_t n = stream.ReadInt32();
    // Only eight wave sets exist; a larger count is not a short file but a broken one.
    if (n < 0 || n > kMaxExtraWaveRecords) throw EMalformedScene("more than four extra wave records");
    for (int i = 0; i < n; ++i) {
      uint8_t rec[kWaveRecordSize];
      stream.Read(rec, sizeof rec);
      FWaves[4 + i] = TWaveParam::FromRecord(rec);
    }
  } catch (const EInOutError&) {
    // A tail that breaks off keeps what was read before it.
  }
}

}  // namespace ky
