#pragma once
// The authored project as the player sees it: the pictures of the show, the author's settings
// and the name of the stored configuration-window description.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ky {

// The flag of each picture in the file list: whether the show takes it.
constexpr char kPictureShown[] = "TRUE";
constexpr char kPictureHidden[] = "FALSE";

class TKyCFileList {
 public:
  std::vector<std::string> Names;  // picture file names in show order
  std::vector<std::string> Flags;  // kPictureShown or kPictureHidden, index for index with Names

  void LoadFromFile(const std::string& path);  // throws TKyError when the file cannot be read
  void LoadFromText(std::string_view text);
  void Clear();
};

class TUISetting {
 public:
  std::string UIFile;

  void LoadFromFile(const std::string& path);  // a missing file leaves UIFile as it is
  void LoadFromText(std::string_view text);
};

class TKyCSetting {
 public:
  // [General]
  std::string ProductName = "My Screensaver";
  std::string Publisher;
  std::string Website;
  // [Default]
  bool Stretch = true;
  bool Proportional = false;
  bool Sound = true;
  int32_t SoundVolume = 100;
  bool Random = true;
  int32_t Duration = 30;
  bool Transition = true;
  int32_t TransitionTime = 2000;
  std::string TransitionEffects = AllTransitionEffects();
  bool Zoom = false;
  bool LivingZoom = false;
  int32_t ZoomDuration = 5;
  bool AutoWallpaper = false;
  int32_t Speed = 100;
  bool Music = true;
  int32_t MusicVolume = 100;
  bool Animation = true;
  int32_t ShowImageMode = 0;
  bool DirectX = false;
  int32_t DirectXQuality = 0;
  bool ShowClock = false;
  int32_t ClockPos = 1;
  // [Advance]
  std::string MusicFile;
  int32_t MusicMode = 0;
  std::string PreviewFile;
  // [Build]
  int32_t BuildMethod = 2;
  std::string BuildFileName;
  bool BuildSmallThumbs = true;
  std::string BuildIcon;
  std::string BuildInstall;
  bool CustomIcon = false;

  void LoadFromFile(const std::string& path);  // a missing file leaves every default
  void LoadFromText(std::string_view text);

  // "1,2,...,kTransitionEffectCount": every transition effect.
  static std::string AllTransitionEffects();
};

// One key of the settings text: where it lives, its type and the field that holds it.
struct TSettingKey {
  enum class TType { Text, Integer, Boolean };
  const char* Section;
  const char* Key;
  TType Type;
  std::string TKyCSetting::*Text;
  int32_t TKyCSetting::*Integer;
  bool TKyCSetting::*Boolean;
};
// Every key, in the order the settings text is read.
const std::vector<TSettingKey>& SettingKeys();
// The value of a key of `s` as text ("1"/"0" for booleans).
std::string SettingValueText(const TKyCSetting& s, const TSettingKey& key);

// Where the show finds media named by a bare name (each "" or ending in "/"): the working folder
// the package was unpacked into, the shared media folder, and the program's own folder.
struct TMediaFolders {
  std::string Work;
  std::string Common;
  std::string Program;
};

class TKyCProject {
 public:
  TKyCProject();
  ~TKyCProject();

  TKyCFileList& FileList() { return *FFileList; }
  const TKyCFileList& FileList() const { return *FFileList; }
  TKyCSetting& Setting() { return *FSetting; }
  const TKyCSetting& Setting() const { return *FSetting; }
  TUISetting& UISetting() { return *FUISetting; }
  const TUISetting& UISetting() const { return *FUISetting; }
  TMediaFolders& MediaFolders() { return FMediaFolders; }
  const TMediaFolders& MediaFolders() const { return FMediaFolders; }

  // Loads the three parts from the project package "KyC.res". The nested sections are read
  // from memory; nothing is written. A package without the three texts throws TKyError.
  void LoadFromFile(const std::string& path);
  void LoadFromPackage(std::string_view packageBytes, const std::string& nameForErrors);

 private:
  std::unique_ptr<TKyCFileList> FFileList;
  std::unique_ptr<TKyCSetting> FSetting;
  std::unique_ptr<TUISetting> FUISetting;
  TMediaFolders FMediaFolders;
};

}  // namespace ky
