#pragma once
// TProject: one scene picture file in memory, as the show, the previews and the thumbnails
// use it. Every load starts from fresh members.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "graphics/uBitmap32.h"
#include "scene/model/uSceneObject.h"
#include "scene/records/uSceneRecords.h"

namespace ky {

// The authoring tool's build settings kept in a scene; nothing in the player depends on them.
struct TExtraInfo {
  std::string ExeFileName;
  bool ExeSound = true;
  std::string ExeMusicFile;
  bool ExeMusic = false;
  std::string ScrFileName;
  std::string ScrMusicFile;
  bool ScrMusic = false;
  bool ScrSound = true;

  // From the comma text of INI lines stored in the scene file.
  static TExtraInfo FromBuildText(const std::string& commaText);
};

class TProject {
 public:
  // Builds the scene's objects from its objects text.
  using TObjectsLoader = std::function<TSceneObjectList(const std::string& objectsText)>;
  // Shows an error message to the user (LoadHeader's error box).
  using TMessageHandler = std::function<void(const std::string& text)>;

  TProject();

  // Full load; false on any reading, decoding or parsing error, without a message. The members
  // then keep what the steps before the error had set.
  bool Load(const std::string& fileName);
  // The error text of the last failed Load or LoadHeader (empty after a success).
  const std::string& LoadError() const { return FLoadError; }
  // Title, SecondText and the preview only (the magic is not checked). On an error the message
  // handler gets "File: <name>\r\n<error>" and the result is false.
  bool LoadHeader(const std::string& fileName);

  // Scales the scene to a display size; see the .cpp for the rules. A no-op for an empty
  // picture or a size that is not positive.
  void FitToSize(bool keepAspect, int width, int height);

  void SetSpeed(int percent) { FSpeedPercent = percent; }
  int SpeedPercent() const { return FSpeedPercent; }

  // Index of the first empty sound slot, or 8 when every slot is used.
  int SoundCount() const;

  TWaveParam& WaveSet(int index) { return FWaveSets.at(static_cast<size_t>(index)); }
  const TWaveParam& WaveSet(int index) const { return FWaveSets.at(static_cast<size_t>(index)); }
  std::array<TWaveParam, kWaveSetCount>& WaveSets() { return FWaveSets; }
  const std::array<TWaveParam, kWaveSetCount>& WaveSets() const { return FWaveSets; }
  TWeatherParam& Weather() { return FWeather; }
  const TWeatherParam& Weather() const { return FWeather; }
  TSoundSlots& SoundSlots() { return FSoundSlots; }
  const TSoundSlots& SoundSlots() const { return FSoundSlots; }

  TBitmap32& Picture() { return FPicture; }
  const TBitmap32& Picture() const { return FPicture; }
  TBitmap32& Preview() { return FPreview; }
  const TBitmap32& Preview() const { return FPreview; }
  TBitmap32& Mask() { return FMask; }
  const TBitmap32& Mask() const { return FMask; }

  TSceneObjectList& Objects() { return FObjects; }
  const TSceneObjectList& Objects() const { return FObjects; }
  const std::string& ObjectsText() const { return FObjectsText; }
  const TExtraInfo& ExtraInfo() const { return FExtraInfo; }

  const std::string& FileName() const { return FFileName; }
  const std::string& Title() const { return FTitle; }
  const std::string& SecondText() const { return FSecondText; }
  const std::string& SoundFile() const { return FSoundFile; }
  int DesignWidth() const { return FDesignWidth; }
  int DesignHeight() const { return FDesignHeight; }

  void SetObjectsLoader(TObjectsLoader loader) { FObjectsLoader = std::move(loader); }
  void SetMessageHandler(TMessageHandler handler) { FMessageHandler = std::move(handler); }

 private:
  void FreshMembers();
  void ApplyWeatherDefaults();
  void ApplyLegacySound();

  std::string FFileName;
  TBitmap32 FPicture;
  TBitmap32 FPreview;
  TBitmap32 FMask;
  std::array<TWaveParam, kWaveSetCount> FWaveSets{};
  TWeatherParam FWeather{};
  std::string FTitle, FSecondText;
  int FDesignWidth = 0;
  int FDesignHeight = 0;
  int FSpeedPercent = 100;
  std::string FSoundFile;
  TSoundSlots FSoundSlots{};
  TSceneObjectList FObjects;
  std::string FObjectsText;
  TExtraInfo FExtraInfo;
  TObjectsLoader FObjectsLoader;
  TMessageHandler FMessageHandler;
  std::string FLoadError;
};

// Resamples a region mask to the target's size by nearest pixel (every pixel keeps one of the
// mask colours).
void ScaleMaskNearest(const TBitmap32& source, TBitmap32& target);

}  // namespace ky
