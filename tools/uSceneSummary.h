#pragma once
// A loaded scene in a few lines an author reads: the water regions in use with their wave sets,
// the weather, the sounds with their schedule, the objects.
#include <string>

namespace ky {

class TProject;

// Each line starts with indent. With a soundFolder, each sound says whether its file is there
// (by its name as stored, relative to that folder).
std::string SceneSummary(const TProject& project, const std::string& soundFolder, const std::string& indent);

// When a sound slot plays, in words ("loops for the whole scene", ...).
std::string SoundScheduleText(int playMode, int minInterval, int maxInterval);

}  // namespace ky
