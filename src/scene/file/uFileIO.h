#pragma once
// TFileLoader: reads a scene picture file (".kyp").
//
// Layout, in order: magic "KY060697"; Title; SecondText (strings: int32 length + bytes);
// preview JPEG (int32 length + bytes); one unused int32; wave records 1-4 (32 bytes each);
// region mask (int32 count C, then C int32: width, height, runs); scene JPEG; SoundFile;
// weather record (24 bytes). The optional tail: eight sound slots (268 bytes each), the objects
// text, the build information, an extra wave count n (0-4) and n more wave records (none for a
// negative n).
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
#include "scene/file/uMyStream.h"
#include "scene/records/uSceneRecords.h"

namespace ky {

constexpr char kSceneMagic[] = "KY060697";
constexpr int kMaxExtraWaveRecords = 4;
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
