#pragma once
// What a scene file holds, as "kysaver-tool inspect" shows it: as text for people or as one
// JSON object with the keys Title, SecondText, Width, Height, WaveSets, Weather, SoundSlots,
// SoundCount, ObjectsText and RegionPixels (mask pixels of each region code 0-6). Values are
// those a full load leaves (weather defaults and the legacy sound applied).
#include <array>
#include <cstdint>
#include <string>

namespace ky {

class TProject;

// True when the file name ends in ".kyp" (any case) or the file starts with the scene magic.
bool LooksLikeSceneFile(const std::string& path);

// Throws ESceneFileError carrying the loader's message ("Incorrect Project File!" for a wrong
// magic) when the file does not load.
std::string InspectScene(const std::string& path, bool json);

// Mask pixels of each region code of a loaded project.
std::array<int64_t, 7> CountRegionPixels(const TProject& project);


}  // namespace ky
