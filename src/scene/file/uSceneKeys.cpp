#include "scene/file/uSceneKeys.h"

#include <string>

#include "platform/uIniFile.h"
#include "platform/uText.h"

namespace ky {

namespace {

using T = TSceneKey::TType;

struct TWaveField {
  std::string_view Key;
  int32_t TWaveParam::*Number;
  bool TWaveParam::*Flag;
  int32_t Low, High;
  std::string_view Unit;
};

// Defaults come from TWaveParam::Defaults(), the values a scene file assumes.
const TWaveField kWaveFields[] = {
    {"Amplitude", &TWaveParam::Amplitude, nullptr, 0, 30, "pixels"},
    {"Frequency", &TWaveParam::Frequency, nullptr, 0, 100, "waves over the picture height"},
    {"PhaseSpeed", &TWaveParam::PhaseSpeed, nullptr, 0, 100, "degrees per 50 ms"},
    {"Direction", &TWaveParam::Direction, nullptr, 0, 5, "code"},
    {"HorzShift", nullptr, &TWaveParam::HorzShift, 0, 1, "flag"},
    {"Animated", nullptr, &TWaveParam::Animated, 0, 1, "flag"},
    {"Perspective", nullptr, &TWaveParam::Perspective, 0, 1, "flag"},
    {"Cycle", &TWaveParam::Cycle, nullptr, 1, 1440, "degrees"},
    {"Jitter", &TWaveParam::Jitter, nullptr, 0, 20, "pixels"},
    {"Reflection", nullptr, &TWaveParam::Reflection, 0, 1, "flag"},
};

struct TWeatherField {
  std::string_view Key;
  int32_t TWeatherParam::*Number;
  int32_t Low, High;
  std::string_view Unit;
};

// A missing weather key is 0; the player then picks the opacity and flake size itself.
const TWeatherField kWeatherFields[] = {
    {"Kind", &TWeatherParam::Kind, 0, 2, "code"},
    {"Count", &TWeatherParam::Count, 0, 1000, "flakes or drops"},
    {"SpeedIndex", &TWeatherParam::SpeedIndex, 0, 20, "speed table position"},
    {"SizeOrAngle", &TWeatherParam::SizeOrAngle, 0, 180, "pixels (snow) or degrees (rain)"},
    {"DropLength", &TWeatherParam::DropLength, 0, 50, "tenths"},
    {"Opacity", &TWeatherParam::Opacity, 0, 10, "tenths"},
};

std::vector<TSceneKey> BuildTable() {
  std::vector<TSceneKey> keys = {
      {"Scene", 1, "Title", T::Text, 0, 0, 0, ""},
      {"Scene", 1, "SecondText", T::Text, 0, 0, 0, ""},
      {"Scene", 1, "Photo", T::File, 0, 0, 0, ""},
      {"Scene", 1, "Mask", T::File, 0, 0, 0, ""},
      {"Scene", 1, "PreviewWidth", T::Integer, 160, 16, 1024, "pixels"},
      {"Scene", 1, "Objects", T::File, 0, 0, 0, ""},
      {"Scene", 1, "SoundFile", T::Text, 0, 0, 0, ""},
      {"Scene", 1, "Build", T::Text, 0, 0, 0, ""},
  };
  const TWaveParam d = TWaveParam::Defaults();
  for (const TWaveField& f : kWaveFields)
    keys.push_back({"Wave", kWaveSetCount, f.Key, f.Flag ? T::Flag : T::Integer, f.Flag ? int32_t{d.*f.Flag} : d.*f.Number,
                    f.Low, f.High, f.Unit});
  for (const TWeatherField& f : kWeatherFields) keys.push_back({"Weather", 1, f.Key, T::Integer, 0, f.Low, f.High, f.Unit});
  keys.push_back({"Sound", kSoundSlotCount, "FileName", T::File, 0, 0, 0, ""});
  keys.push_back({"Sound", kSoundSlotCount, "PlayMode", T::Integer, 0, 0, 2, "code"});
  keys.push_back({"Sound", kSoundSlotCount, "MinInterval", T::Integer, 0, 0, 3600, "seconds"});
  keys.push_back({"Sound", kSoundSlotCount, "MaxInterval", T::Integer, 0, 0, 3600, "seconds"});
  return keys;
}

}  // namespace

const std::vector<TSceneKey>& SceneDescriptionKeys() {
  static const std::vector<TSceneKey> keys = BuildTable();
  return keys;
}

TSceneSectionName SceneSectionOf(std::string_view written) {
  const std::string_view name = Trim(written);
  for (const TSceneKey& k : SceneDescriptionKeys()) {
    if (k.Count == 1) {
      if (SameTextAscii(name, k.Section)) return {k.Section, 1};
      continue;
    }
    if (name.size() <= k.Section.size() || !SameTextAscii(name.substr(0, k.Section.size()), k.Section)) continue;
    const std::string_view digits = name.substr(k.Section.size());
    if (digits.size() != 1 || digits[0] < '1' || digits[0] > '9') continue;
    const int n = digits[0] - '0';
    if (n <= k.Count) return {k.Section, n};
  }
  return {};
}

const TSceneKey* FindSceneKey(std::string_view section, std::string_view key) {
  for (const TSceneKey& k : SceneDescriptionKeys())
    if (SameTextAscii(k.Section, section) && SameTextAscii(k.Key, Trim(key))) return &k;
  return nullptr;
}

void ReadWaveSetKeys(const TIniFile& ini, std::string_view section, TWaveParam& wave) {
  for (const TWaveField& f : kWaveFields) {
    if (f.Flag) wave.*f.Flag = ini.ReadBool(section, f.Key, wave.*f.Flag);
    else wave.*f.Number = ini.ReadInteger(section, f.Key, wave.*f.Number);
  }
}

void ReadWeatherKeys(const TIniFile& ini, TWeatherParam& weather) {
  for (const TWeatherField& f : kWeatherFields) weather.*f.Number = ini.ReadInteger("Weather", f.Key, weather.*f.Number);
}

}  // namespace ky
