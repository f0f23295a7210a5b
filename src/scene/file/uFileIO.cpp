#include "scene/file/uFileIO.h"

#include <algorithm>
#include <cstring>

#include "graphics/uPictureReaders.h"
#include "scene/records/uRegionCodes.h"

namespace ky {

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
    // Only eight wave sets exist; a larger count is not a short file but a broken one. A count
    // below zero names no records: none is read, and what the tail held before it stays.
    if (n > kMaxExtraWaveRecords) throw EMalformedScene("more than four extra wave records");
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
