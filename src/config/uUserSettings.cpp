#include "uUserSettings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "package/uCreatorProject.h"
#include "platform/uIniFile.h"
#include "platform/uText.h"

namespace ky {

const int kSpeedTable[21] = {10, 20, 30, 45, 50, 60, 70, 75, 80, 90, 100, 120, 140, 160, 180, 200, 220, 240, 360, 480, 500};

namespace {

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string BesideTheSaver(const std::string& exe) {
  // The dot search starts at the second-to-last character, so a trailing "." is kept.
  for (size_t i = exe.size() >= 2 ? exe.size() - 2 : std::string::npos; i != std::string::npos; --i) {
    if (exe[i] == '.') return exe.substr(0, i) + ".ini";
    if (i == 0) break;
  }
  return ".ini";
}

}  // namespace

std::string UserSettingsFileName(const std::string& exeLongName) {
  const std::string beside = BesideTheSaver(exeLongName);
  const size_t slash = exeLongName.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : exeLongName.substr(0, slash == 0 ? 1 : slash);
  if (access(folder.c_str(), W_OK) == 0) return beside;
  // Savers installed system-wide keep their user's settings in the user's own folder.
  std::string config;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) config = x;
  else if (const char* h = std::getenv("HOME"); h && *h) config = std::string(h) + "/.config";
  else return beside;
  return config + "/kysaver/" + FileNamePart(beside);
}

std::vector<std::string> ReadSectionKeys(const std::string& path, const std::string& section) {
  std::vector<std::string> keys;
  std::ifstream in(path, std::ios::binary);
  if (!in) return keys;
  std::ostringstream ss;
  ss << in.rdbuf();
  const std::string header = UpperCaseAscii("[" + section + "]");
  bool inside = false;
  for (const std::string& line : SplitLines(ss.str())) {
    if (UpperCaseAscii(line) == header) {
      inside = true;
      continue;
    }
    if (line.empty()) continue;
    if (!inside) continue;
    if (line.front() == '[' && line.back() == ']') break;
    const size_t eq = line.rfind('=');
    if (eq != std::string::npos && eq >= 1) keys.push_back(line.substr(0, eq));
  }
  return keys;
}

void ApplyUserSettings(TKyCProject& project, const std::string& settingsFile) {
  if (!FileExists(settingsFile)) return;
  const TIniFile ini = TIniFile::FromFile(settingsFile);
  TKyCSetting& s = project.Setting();
  const char* const kSec = "Setting";
  const int imageSize = ini.ReadInteger(kSec, "ImageSize", -1);
  const int imageMode = ini.ReadInteger(kSec, "ImageMode", s.ShowImageMode);
  const int speed = ini.ReadInteger(kSec, "Speed", -1);
  const bool sound = ini.ReadBool(kSec, "Sound", s.Sound);
  const bool music = ini.ReadBool(kSec, "Music", s.Music);
  const bool transition = ini.ReadBool(kSec, "Transition", s.Transition);
  const int duration = ini.ReadInteger(kSec, "Duration", s.Duration);
  int index = ini.ReadInteger(kSec, "Index", 0);
  // These four defaults hold whatever the project says: a file written only by a window close
  // still selects full-screen output at quality 1 and hides the clock.
  const bool directX = ini.ReadBool(kSec, "DirectX", true);
  const int quality = ini.ReadInteger(kSec, "DirectXQuality", 1);
  const bool showClock = ini.ReadBool(kSec, "ShowClock", false);
  const int clockPos = ini.ReadInteger(kSec, "ClockPos", 1);
  const bool customMusic = ini.ReadBool(kSec, "CustomMusic", false);
  const bool shuffle = ini.ReadBool(kSec, "ShuffleMusic", true);

  if (customMusic) {
    std::string list;
    // The playlist is written through the INI functions, so it is read back through them too:
    // keys trimmed, one per file.
    for (const std::string& path : ini.SectionKeys("MusicList")) list += (list.empty() ? "" : ";") + path;
    s.MusicFile = list;
    s.MusicMode = shuffle ? 0 : 1;
  }
  const std::vector<std::string> unchecked = ReadSectionKeys(settingsFile, "Files");
  std::vector<std::string>& flags = project.FileList().Flags;
  const int count = static_cast<int>(flags.size());
  if (imageMode == 3) {
    if (index < 0 || index >= count) index = 0;
    for (int i = 0; i < count; ++i) flags[static_cast<size_t>(i)] = i == index ? kPictureShown : kPictureHidden;
  }
  if (imageMode == 2) {
    for (const std::string& key : unchecked) {
      const auto n = ParseInteger(key);
      if (n && *n >= 0 && *n < count) flags[static_cast<size_t>(*n)] = kPictureHidden;
    }
  }
  s.ShowImageMode = imageMode;
  s.Duration = duration;
  s.Sound = sound;
  s.Music = music;
  s.Transition = transition;
  s.DirectX = directX;
  s.DirectXQuality = quality;
  s.ClockPos = clockPos;
  s.ShowClock = showClock;
  if (speed != -1 && speed >= 0 && speed <= 20) s.Speed = kSpeedTable[speed];
  if (imageSize != -1) {
    s.Stretch = imageSize > 0;
    s.Proportional = imageSize == 2;
  }
}

}  // namespace ky
