#pragma once
// Every key a scene description may hold, with its type, default and sensible range, in one
// table that the description reader, the checks of "kysaver-tool scene" and the guide's key list
// all follow. Wave-set and weather keys are read through this table, so a key listed here is a
// key the reader takes, and the reverse.
#include <cstdint>
#include <string_view>
#include <vector>

#include "scene/records/uSceneRecords.h"

namespace ky {

class TIniFile;

struct TSceneKey {
  enum class TType { Text, File, Integer, Flag };
  std::string_view Section;  // "Scene", "Wave", "Weather" or "Sound"
  int Count;                 // 1: one section of that name; n: sections Section1 .. Section<n>
  std::string_view Key;
  TType Type;
  int32_t Default;           // of Integer and Flag keys
  int32_t Low, High;         // sensible range of Integer and Flag keys; outside it is a warning
  std::string_view Unit;     // what the number counts, for messages and the guide
};

// In the order the guide lists them.
const std::vector<TSceneKey>& SceneDescriptionKeys();

// The section a written section name stands for: its table name and number (1 for single
// sections), or an empty name when the reader knows no such section ("wave3" -> Wave, 3).
struct TSceneSectionName {
  std::string_view Section;
  int Number = 0;
};
TSceneSectionName SceneSectionOf(std::string_view written);

// The key of a table section by name (any letter case), or nullptr.
const TSceneKey* FindSceneKey(std::string_view section, std::string_view key);

// The wave-set and weather keys of a description, missing keys keeping what the record holds.
void ReadWaveSetKeys(const TIniFile& ini, std::string_view section, TWaveParam& wave);
void ReadWeatherKeys(const TIniFile& ini, TWeatherParam& weather);

}  // namespace ky
