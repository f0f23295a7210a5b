#pragma once
// The configuration side's reading and writing of the user settings file: the show options the
// settings dialog edits, the picture last selected in a configuration window and the pictures
// unchecked in its thumbnail grid.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ky {

class TKyCProject;

// The values exchanged with the settings dialog.
struct TUserSettings {
  int32_t ImageSize = 0;       // 0 original size, 1 stretched, 2 stretched keeping proportions
  int32_t ImageMode = 0;       // 0 random, 1 sequence, 2 favourites, 3 the selected picture
  int32_t Speed = 10;          // position 0-20 in kSpeedTable, not the percent value
  int32_t Duration = 30;       // seconds
  int32_t DirectXQuality = 1;  // 0-2
  int32_t ClockPos = 1;        // 0-3
  bool Sound = false;
  bool Music = false;
  bool Transition = false;
  bool DirectX = false;
  bool ShowClock = false;
  bool CustomMusic = false;
  bool ShuffleMusic = false;
  std::vector<std::string> MusicList;  // file paths in playlist order

  bool operator==(const TUserSettings& o) const;
  bool operator!=(const TUserSettings& o) const { return !(*this == o); }
};

// Where the file lies and whether the configuration side may use it.
struct TUserSettingsAccess {
  std::string FileName;  // UserSettingsFileName of the saver
  bool Enabled = false;  // UserSettingsEnabled
};

// True when the saver's long path ends in ".scr" (any case) or its first command-line argument
// is exactly "/C"; an empty firstArgument stands for none.
bool UserSettingsEnabled(const std::string& exeLongName, const std::string& firstArgument);
TUserSettingsAccess UserSettingsAccessFor(const std::string& exeLongName, const std::string& firstArgument);

// The project's values, overlaid by the file's when access is enabled and the file exists.
// The caller learns from access.Enabled whether the values may be saved again.
TUserSettings LoadUserSettings(const TKyCProject& project, const TUserSettingsAccess& access);

// Writes the show options to [Setting] ("Index" left alone) and rewrites [MusicList], one line
// per file in list order (a file listed twice keeps one line); nothing when access is disabled.
// Throws TKyError "Unable to write to <file>" when the file cannot be written, and a TKyError
// naming the music file when a path cannot be held by the file (see IsStorableMusicPath); the
// file is unchanged after either.
void SaveUserSettings(const TUserSettings& settings, const TUserSettingsAccess& access);

// Whether a path can be a key of the file and read back unchanged: not empty, no line break,
// no "=", no blank at either end, not starting with "[", ";" or "#".
bool IsStorableMusicPath(const std::string& path);

// The stored "Index" when its text is exactly the decimal text of a position below
// pictureCount; no value otherwise, or when access is disabled.
std::optional<int32_t> ReadPictureIndex(const TUserSettingsAccess& access, int32_t pictureCount);
// Writes "Index"; nothing when access is disabled. Throws TKyError when the file cannot be
// written.
void WritePictureIndex(const TUserSettingsAccess& access, int32_t position);

// The keys of [Files] (empty when disabled or when the file is missing).
std::vector<std::string> ReadUncheckedPictures(const TUserSettingsAccess& access);
// Rewrites [Files]: one line per position whose mark is off, ascending; nothing when disabled.
// Throws TKyError when the file cannot be written.
void WriteUncheckedPictures(const TUserSettingsAccess& access, const std::vector<bool>& checked);

// The check mark of each of pictureCount pictures as a window sets them from the store: all
// on, then off for each position whose decimal text equals one of `unchecked` exactly.
std::vector<bool> CheckMarksFrom(const std::vector<std::string>& unchecked, int32_t pictureCount);

}  // namespace ky
