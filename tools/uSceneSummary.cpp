#include "uSceneSummary.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/uIniFile.h"
#include "platform/uText.h"
#include "scene/model/uKyProject.h"
#include "scene/records/uRegionCodes.h"

namespace ky {

namespace {

constexpr const char* kWaveColours[kRegionCodeCount] = {"", "blue", "magenta", "red", "yellow", "green", "cyan"};

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string SoundScheduleText(int playMode, int minInterval, int maxInterval) {
  switch (playMode) {
    case 0: return "loops for the whole scene";
    case 1:
      return "plays at random intervals of " + std::to_string(minInterval) + " to " + std::to_string(maxInterval) + " s";
    case 2: return "plays every " + std::to_string(minInterval) + " s";
    default: return "play mode " + std::to_string(playMode) + " is not one of 0, 1, 2";
  }
}

std::string SceneSummary(const TProject& p, const std::string& soundFolder, const std::string& indent) {
  std::string o;
  std::array<int64_t, kRegionCodeCount> counts{};
  const TBitmap32& m = p.Mask();
  for (int y = 0; y < m.Height(); ++y) {
    const TColor32* row = m.ScanLine(y);
    for (int x = 0; x < m.Width(); ++x) ++counts[static_cast<size_t>(RegionCodeOf(row[x]))];
  }
  bool anyWater = false;
  for (int c = 1; c < kRegionCodeCount; ++c) {
    if (counts[static_cast<size_t>(c)] == 0) continue;
    anyWater = true;
    const TWaveParam& w = p.WaveSet(c - 1);
    o += indent + "wave set " + std::to_string(c) + " (" + kWaveColours[c] + "): " + std::to_string(counts[static_cast<size_t>(c)]) +
         " pixels, amplitude " + std::to_string(w.Amplitude) + ", frequency " + std::to_string(w.Frequency) +
         ", phase speed " + std::to_string(w.PhaseSpeed) + ", direction " + std::to_string(w.Direction) +
         (w.Animated ? "" : ", still") + (w.Perspective ? ", perspective" : "") + (w.Reflection ? ", reflection" : "") +
         (w.HorzShift ? ", sideways" : "") + (w.Jitter > 0 ? ", jitter " + std::to_string(w.Jitter) : "") + "\n";
  }
  if (!anyWater) o += indent + "no water: the mask marks every pixel as dry land\n";
  const TWeatherParam& w = p.Weather();
  if (w.Kind == kWeatherSnow || w.Kind == kWeatherRain)
    o += indent + "weather: " + (w.Kind == kWeatherSnow ? "snow, " : "rain, ") + std::to_string(std::min(w.Count, 1000)) +
         (w.Kind == kWeatherSnow ? " flakes" : " drops") + ", opacity " + std::to_string(w.Opacity) + "/10\n";
  else
    o += indent + "weather: none\n";
  const int sounds = p.SoundCount();
  if (sounds == 0) o += indent + "sounds: none\n";
  for (int i = 0; i < sounds; ++i) {
    const TSoundSlot& s = p.SoundSlots()[static_cast<size_t>(i)];
    const std::string name = s.FileName();
    std::string where;
    if (!soundFolder.empty() && !FileExists(!name.empty() && name[0] == '/' ? name : soundFolder + name))
      where = " (not found beside the description)";
    o += indent + "sound " + std::to_string(i + 1) + ": " + TerminalText(name) + ", " +
         SoundScheduleText(s.PlayMode, s.MinInterval, s.MaxInterval) + where + "\n";
  }
  // Objects are listed from their text: each section's kind, picture and motion.
  const TIniFile objects = TIniFile::FromText(p.ObjectsText());
  for (const std::string& section : objects.Sections()) {
    static const char* const kMotions[] = {"stays",       "wanders",           "bounces",      "bounces left and right",
                                           "bounces up and down", "crosses sideways", "crosses up or down", "circles",
                                           "stays",       "jitters"};
    const int motion = objects.ReadInteger(section, "Motion", 0) & 0xFF;
    o += indent + "object [" + TerminalText(section) + "]: " + TerminalText(objects.ReadString(section, "ObjType", "")) + " " +
         TerminalText(FileNamePart(objects.ReadString(section, "Filename", ""))) + ", " +
         (motion <= 9 ? kMotions[motion] : "stays") + "\n";
  }
  return o;
}

}  // namespace ky
