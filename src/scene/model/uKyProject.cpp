#include "scene/model/uKyProject.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include "graphics/uGraphicUtil.h"
#include "platform/uIniFile.h"
#include "platform/uNumbers.h"
#include "platform/uText.h"
#include "scene/model/uCommaText.h"
#include "scene/file/uFileIO.h"
#include "scene/records/uRegionCodes.h"

namespace ky {

TExtraInfo TExtraInfo::FromBuildText(const std::string& commaText) {
  std::string text;
  for (const std::string& line : SplitCommaText(commaText)) {
    text += line;
    text += '\n';
  }
  const TIniFile ini = TIniFile::FromText(text);
  TExtraInfo e;
  e.ExeFileName = ini.ReadString("BuildExe", "Filename", "");
  e.ExeSound = ini.ReadBool("BuildExe", "Sound", true);
  e.ExeMusicFile = ini.ReadString("BuildExe", "MusicFile", "");
  e.ExeMusic = ini.ReadBool("BuildExe", "Music", false);
  e.ScrFileName = ini.ReadString("BuildScr", "Filename", "");
  e.ScrMusicFile = ini.ReadString("BuildScr", "MusicFile", "");
  e.ScrMusic = ini.ReadBool("BuildScr", "Music", false);
  e.ScrSound = ini.ReadBool("BuildScr", "Sound", true);
  return e;
}

TProject::TProject() { FreshMembers(); }

void TProject::FreshMembers() {
  FPreview.SetSize(0, 0);
  FPicture.SetSize(0, 0);
  FMask.SetSize(0, 0);
  FWaveSets.fill(TWaveParam{});
  FWeather = TWeatherParam{};
  FObjects.clear();
  FObjectsText.clear();
  // A new load discards everything of the previous one, the texts and slots included.
  FFileName.clear();
  FTitle.clear();
  FSecondText.clear();
  FSoundFile.clear();
  FSoundSlots.fill(TSoundSlot{});
  FDesignWidth = FDesignHeight = 0;
  FExtraInfo = TExtraInfo{};
  FLoadError.clear();
}

int TProject::SoundCount() const {
  for (int i = 0; i < kSoundSlotCount; ++i)
    if (FSoundSlots[i].Empty()) return i;
  return kSoundSlotCount;
}

void TProject::ApplyWeatherDefaults() {
  if (FWeather.Opacity == 0) {
    if (FWeather.Kind == 1) FWeather.Opacity = 9;
    else if (FWeather.Kind == 2) FWeather.Opacity = 6;
  }
  if (FWeather.SizeOrAngle == 0 && FWeather.Kind == 1) FWeather.SizeOrAngle = 4;
}

void TProject::ApplyLegacySound() {
  // Older files name one sound outside the slots; it becomes a looping slot after the used ones.
  if (!FSoundFile.empty() && UpperCaseAscii(FSoundFile) != "<NO SOUND>") {
    const int n = SoundCount();
    if (n < kSoundSlotCount) {
      FSoundSlots[n].SetFileName(FSoundFile);
      FSoundSlots[n].PlayMode = 0;
    }
  }
  FSoundFile.clear();
}

bool TProject::Load(const std::string& fileName) {
  FreshMembers();
  try {
    TFileLoader loader;
    loader.LoadFromFile(fileName);
    loader.GetMask(FMask);
    loader.TakePicture(FPicture);
    loader.GetPreview(FPreview);
    loader.GetWaveParams(FWaveSets);
    FWeather = loader.GetWeather();
    loader.GetSoundSlots(FSoundSlots);
    FFileName = fileName;
    FTitle = loader.Title();
    FSecondText = loader.SecondText();
    FSoundFile = loader.SoundFile();
    FDesignWidth = FPicture.Width();
    FDesignHeight = FPicture.Height();
    ApplyWeatherDefaults();
    ApplyLegacySound();
    FObjectsText = loader.ObjectsText();
    if (FObjectsLoader) FObjects = FObjectsLoader(FObjectsText);
    FExtraInfo = TExtraInfo::FromBuildText(loader.BuildInfo());
  } catch (const std::exception& e) {
    FLoadError = e.what();
    return false;
  }
  return true;
}

bool TProject::LoadHeader(const std::string& fileName) {
  FreshMembers();
  try {
    TFileLoader loader;
    loader.LoadHeader(fileName);
    loader.GetPreview(FPreview);
    FFileName = fileName;
    FTitle = loader.Title();
    FSecondText = loader.SecondText();
  } catch (const std::exception& e) {
    FLoadError = e.what();
    if (FMessageHandler) FMessageHandler("File: " + fileName + "\r\n" + e.what());
    return false;
  }
  return true;
}

void ScaleMaskNearest(const TBitmap32& source, TBitmap32& target) {
  const int sw = source.Width(), sh = source.Height();
  const int tw = target.Width(), th = target.Height();
  if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) return;
  // Each target pixel takes the source pixel its centre falls on. That column rises with x, so
  // the target columns of source columns a .. b - 1 are firstX[a] .. firstX[b] - 1, and a run of
  // one colour in the source is one run in the target.
  std::vector<int> firstX(static_cast<size_t>(sw) + 1, tw);
  for (int x = tw - 1; x >= 0; --x)
    firstX[static_cast<size_t>((int64_t{2} * x + 1) * sw / (int64_t{2} * tw))] = x;
  for (int sx = sw - 1; sx >= 0; --sx) firstX[sx] = std::min(firstX[sx], firstX[sx + 1]);
  int lastSy = -1;
  for (int y = 0; y < th; ++y) {
    const int sy = static_cast<int>((int64_t{2} * y + 1) * sh / (int64_t{2} * th));
    TColor32* dst = target.ScanLine(y);
    if (sy == lastSy) {
      // An enlarged mask repeats rows: the row above is this one already.
      std::memcpy(dst, target.ScanLine(y - 1), sizeof(TColor32) * static_cast<size_t>(tw));
      continue;
    }
    lastSy = sy;
    const TColor32* src = source.ScanLine(sy);
    for (int a = 0; a < sw;) {
      const int b = EqualPixelRunEnd(src, a, sw);
      std::fill(dst + firstX[a], dst + firstX[b], src[a]);
      a = b;
    }
  }
}

void TProject::FitToSize(bool keepAspect, int width, int height) {
  const int w = FPicture.Width(), h = FPicture.Height();
  if (w <= 0 || h <= 0 || width <= 0 || height <= 0) return;
  if (keepAspect) {
    const double r = static_cast<double>(w) / h;
    if (int64_t{w} <= int64_t{h} * width / height)
      width = Round(height * r);
    else
      height = Round(width / r);
    if (width <= 0 || height <= 0) return;
  }
  for (TWaveParam& wave : FWaveSets) {
    wave.Amplitude = Round(static_cast<double>(width) / w * wave.Amplitude);
    wave.Jitter = Round(static_cast<double>(height) / h * wave.Jitter);
  }
  TBitmap32 resized(width, height);
  ResizeBilinear(FPicture, resized);
  FPicture = std::move(resized);
  TBitmap32 mask(width, height);
  ScaleMaskNearest(FMask, mask);
  FMask = std::move(mask);
}

}  // namespace ky
