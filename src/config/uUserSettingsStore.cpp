#include "uUserSettingsStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "config/uUserSettings.h"
#include "package/uCreatorProject.h"
#include "platform/uError.h"
#include "platform/uIniFile.h"
#include "platform/uText.h"

namespace ky {

namespace {

constexpr char kSetting[] = "Setting";
constexpr char kMusicList[] = "MusicList";
constexpr char kFiles[] = "Files";

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file as it is before an update. A file that exists but cannot be read is not replaced,
// since what it holds would be lost.
TIniFile ReadForUpdate(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return TIniFile();
  std::ifstream probe(path, std::ios::binary);
  if (!S_ISREG(st.st_mode) || !probe) throw TKyError("Unable to write to " + path);
  return TIniFile::FromFile(path);
}

const char* Bool(bool b) { return b ? "1" : "0"; }

// The extension of a path as the system takes it: from the last "." of the file-name part.
std::string ExtensionOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot);
}

}  // namespace

bool TUserSettings::operator==(const TUserSettings& o) const {
  return ImageSize == o.ImageSize && ImageMode == o.ImageMode && Speed == o.Speed && Duration == o.Duration &&
         DirectXQuality == o.DirectXQuality && ClockPos == o.ClockPos && Sound == o.Sound && Music == o.Music &&
         Transition == o.Transition && DirectX == o.DirectX && ShowClock == o.ShowClock &&
         CustomMusic == o.CustomMusic && ShuffleMusic == o.ShuffleMusic && MusicList == o.MusicList;
}

bool UserSettingsEnabled(const std::string& exeLongName, const std::string& firstArgument) {
  if (UpperCaseAscii(ExtensionOf(exeLongName)) == ".SCR") return true;
  return UpperCaseAscii(firstArgument) == "/C";
}

TUserSettingsAccess UserSettingsAccessFor(const std::string& exeLongName, const std::string& firstArgument) {
  return {UserSettingsFileName(exeLongName), UserSettingsEnabled(exeLongName, firstArgument)};
}

TUserSettings LoadUserSettings(const TKyCProject& project, const TUserSettingsAccess& access) {
  const TKyCSetting& p = project.Setting();
  TUserSettings u;
  u.ImageMode = p.ShowImageMode;
  u.Sound = p.Sound;
  u.Music = p.Music;
  u.Transition = p.Transition;
  u.Duration = p.Duration;
  u.DirectX = p.DirectX;
  u.DirectXQuality = p.DirectXQuality;
  u.ShowClock = p.ShowClock;
  u.ClockPos = p.ClockPos;
  u.ImageSize = !p.Stretch ? 0 : p.Proportional ? 2 : 1;
  u.Speed = 0;
  for (int i = 0; i < 21; ++i)
    if (kSpeedTable[i] == p.Speed) u.Speed = i;  // the last position that matches
  u.CustomMusic = false;
  u.ShuffleMusic = false;
  if (!access.Enabled || !FileExists(access.FileName)) return u;

  const TIniFile ini = TIniFile::FromFile(access.FileName);
  u.ImageSize = ini.ReadInteger(kSetting, "ImageSize", u.ImageSize);
  u.ImageMode = ini.ReadInteger(kSetting, "ImageMode", u.ImageMode);
  u.Speed = ini.ReadInteger(kSetting, "Speed", u.Speed);
  u.Sound = ini.ReadBool(kSetting, "Sound", u.Sound);
  u.Music = ini.ReadBool(kSetting, "Music", u.Music);
  u.Transition = ini.ReadBool(kSetting, "Transition", u.Transition);
  u.Duration = ini.ReadInteger(kSetting, "Duration", u.Duration);
  u.DirectX = ini.ReadBool(kSetting, "DirectX", u.DirectX);
  u.DirectXQuality = ini.ReadInteger(kSetting, "DirectXQuality", u.DirectXQuality);
  // These four take fixed defaults, not the project's.
  u.CustomMusic = ini.ReadBool(kSetting, "CustomMusic", false);
  u.ShuffleMusic = ini.ReadBool(kSetting, "ShuffleMusic", true);
  u.ClockPos = ini.ReadInteger(kSetting, "ClockPos", 1);
  u.ShowClock = ini.ReadBool(kSetting, "ShowClock", false);
  u.MusicList = ini.SectionKeys(kMusicList);
  return u;
}

bool IsStorableMusicPath(const std::string& path) {
  if (path.empty() || path.find_first_of("\r\n=") != std::string::npos) return false;
  if (path.front() == ' ' || path.front() == '\t' || path.back() == ' ' || path.back() == '\t') return false;
  return path.front() != '[' && path.front() != ';' && path.front() != '#';
}

void SaveUserSettings(const TUserSettings& u, const TUserSettingsAccess& access) {
  if (!access.Enabled) return;
  for (const std::string& path : u.MusicList)
    if (!IsStorableMusicPath(path))
      throw TKyError("The music file name \"" + DisplayText(path) + "\" cannot be stored in " + access.FileName);
  TIniFile ini = ReadForUpdate(access.FileName);
  const auto integer = [&](const char* key, int32_t v) { ini.WriteString(kSetting, key, std::to_string(v)); };
  const auto boolean = [&](const char* key, bool v) { ini.WriteString(kSetting, key, Bool(v)); };
  integer("ImageSize", u.ImageSize);
  integer("ImageMode", u.ImageMode);
  integer("Speed", u.Speed);
  boolean("Sound", u.Sound);
  boolean("Music", u.Music);
  boolean("Transition", u.Transition);
  integer("Duration", u.Duration);
  boolean("DirectX", u.DirectX);
  integer("DirectXQuality", u.DirectXQuality);
  boolean("CustomMusic", u.CustomMusic);
  boolean("ShuffleMusic", u.ShuffleMusic);
  boolean("ShowClock", u.ShowClock);
  integer("ClockPos", u.ClockPos);
  ini.EraseSection(kMusicList);
  // The path is the key, so a file listed twice is written once, where it first stands and as
  // it is first spelt (keys compare without regard to case).
  for (const std::string& path : u.MusicList)
    if (!ini.ValueExists(kMusicList, path)) ini.WriteString(kMusicList, path, "");
  ini.SaveToFile(access.FileName);
}

std::optional<int32_t> ReadPictureIndex(const TUserSettingsAccess& access, int32_t pictureCount) {
  if (!access.Enabled) return std::nullopt;
  const std::string text = TIniFile::FromFile(access.FileName).ReadString(kSetting, "Index", "0");
  // Only the plain decimal text of a position counts: no sign, no leading zero, no blank.
  const auto n = ParseInteger(text);
  if (!n || *n < 0 || *n >= pictureCount || std::to_string(*n) != text) return std::nullopt;
  return *n;
}

void WritePictureIndex(const TUserSettingsAccess& access, int32_t position) {
  if (!access.Enabled) return;
  TIniFile ini = ReadForUpdate(access.FileName);
  ini.WriteString(kSetting, "Index", std::to_string(position));
  ini.SaveToFile(access.FileName);
}

std::vector<std::string> ReadUncheckedPictures(const TUserSettingsAccess& access) {
  if (!access.Enabled) return {};
  return ReadSectionKeys(access.FileName, kFiles);
}

void WriteUncheckedPictures(const TUserSettingsAccess& access, const std::vector<bool>& checked) {
  if (!access.Enabled) return;
  TIniFile ini = ReadForUpdate(access.FileName);
  ini.EraseSection(kFiles);
  for (size_t i = 0; i < checked.size(); ++i)
    if (!checked[i]) ini.WriteString(kFiles, std::to_string(i), "");
  ini.SaveToFile(access.FileName);
}

std::vector<bool> CheckMarksFrom(const std::vector<std::string>& unchecked, int32_t pictureCount) {
  std::vector<bool> marks(static_cast<size_t>(pictureCount > 0 ? pictureCount : 0), true);
  const std::set<std::string> keys(unchecked.begin(), unchecked.end());
  for (size_t i = 0; i < marks.size(); ++i)
    if (keys.count(std::to_string(i))) marks[i] = false;  // text comparison: "03" is not 3
  return marks;
}

}  // namespace ky
