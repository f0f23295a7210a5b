#pragma once
// TFileLoader: reads a scene picture file (".kyp").
//
// Layout, in order: magic "KY060697"; Title; SecondText (strings: int32 length + bytes);
// preview JPEG (int32 length + bytes); one unused int32; wave records 1-4 (32 bytes each);
// region mask (int32 count C, then C int32: width, height, runs); scene JPEG; SoundFile;
// weather record (24 bytes). The optional tail: eight sound slots (268 bytes each), the objects
// text, the build information, an extra wave count n (0-4) and n more wave records.
//
// A read error inside the tail only ends the tail: whatever was read stays, the rest keeps its
// defaults. Structural faults (more than four extra wave records, a mask that does not match
// the picture, runs beyond the picture) reject the file wherever they are.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "graphics/uBitmap32.h"
#include "scene/uMyStream.h"
#include "scene/uSceneRecords.h"

namespace ky {

constexpr char kSceneMagic[] = "KY060697";
constexpr int kMaxExtraWaveRecords = 4;
constexpr int kRegionCodeCount = 7;  // 0 dry land, 1-6 water

// The mask colour of a region code (codes 7-9 and others: dry land, black).
TColor32 RegionColour(int code);
// The region code whose colour the pixel has (its RGB part), or 0 for any other colour.
int RegionCodeOf(TColor32 pixel);
// The end of the run of pixels equal to row[x] that starts at x (at most n). Mask rows are long
// runs of a few colours, so work per run instead of per pixel pays.
int EqualPixelRunEnd(const TColor32* row, int x, int n);

// Decodes mask values (width, height, runs) into target. Throws EMalformedScene for fewer than
// two values, a negative or too large size, a negative run, or runs covering more than
// width x height pixels.
void DecodeRegionMask(const std::vector<int32_t>& values, TBitmap32& target);

class TFileLoader {
 public:
  TFileLoader();

  // The whole file. Throws ESceneFileError (or EPictureError for a picture that does not
  // decode); "Incorrect Project File!" for a wrong magic.
  void LoadFromFile(const std::string& fileName);
  // Magic (not compared), Title, SecondText and the preview picture only.
  void LoadHeader(const std::string& fileName);
  void LoadFromStream(TMyStream& stream);
  void LoadHeaderFromStream(TMyStream& stream);

  const std::string& Title() const { return FTitle; }
  const std::string& SecondText() const { return FSecondText; }
  const std::string& SoundFile() const { return FSoundFile; }
  const std::string& ObjectsText() const { return FObjectsText; }
  const std::string& BuildInfo() const { return FBuildInfo; }
  const std::vector<int32_t>& MaskValues() const { return FMaskValues; }

  void GetPreview(TBitmap32& target) const { target.Assign(FPreview); }
  void GetPicture(TBitmap32& target) const { target.Assign(FPicture); }
  // The scene picture handed over without a copy; the loader is left with an empty one.
  void TakePicture(TBitmap32& target) { target = std::move(FPicture); }
  void GetMask(TBitmap32& target) const { DecodeRegionMask(FMaskValues, target); }
  void GetWaveParams(std::array<TWaveParam, kWaveSetCount>& target) const { target = FWaves; }
  TWeatherParam GetWeather() const { return TWeatherParam::FromRecord(FWeather); }
  void GetSoundSlots(TSoundSlots& target) const;

 private:
  void Reset();
  void ReadJpeg(TMyStream& stream, TBitmap32& target, const char* what);
  void ReadTail(TMyStream& stream);

  std::string FTitle, FSecondText, FSoundFile, FObjectsText, FBuildInfo;
  TBitmap32 FPreview;
  TBitmap32 FPicture;
  std::vector<int32_t> FMaskValues;
  std::array<TWaveParam, kWaveSetCount> FWaves;
  uint8_t FWeather[kWeatherRecordSize] = {};
  uint8_t FSlots[kSoundSlotCount][kSoundSlotSize] = {};
};

}  // namespace ky
