#pragma once
// The checks "kysaver-tool scene" makes before it writes a scene: the description's lines,
// sections, keys, numbers and sensible ranges, and the mask's colours. Errors stop the tool;
// warnings are printed and the scene is still written.
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

struct TSceneDescription;

struct TSceneFindings {
  std::vector<std::string> Errors;    // "FILE:LINE: problem"
  std::vector<std::string> Warnings;  // "FILE:LINE: [Section] Key ... range ..." and the like
};

// The description text alone (no picture is read). A file that cannot be read is an error.
TSceneFindings CheckSceneDescription(const std::string& iniPath);

// The read description against its mask: near-miss region colours, wave sets without water.
void CheckSceneMask(const std::string& iniPath, const TSceneDescription& scene, TSceneFindings& findings);

// The objects file the description names, line by line: sections, keys, numbers and the
// ranges of the codes. Nothing when the description names none.
void CheckSceneObjectsFile(const std::string& iniPath, TSceneFindings& findings);

// Values that are each in range but together show nothing (rain drops without length, weather
// without flakes) or contradict each other (a shortest interval above the longest).
void CheckSceneValues(const std::string& iniPath, const TSceneDescription& scene, TSceneFindings& findings);

// Mask pixels whose colour is close to a region colour without being equal to it (JPEG noise,
// soft brush edges): the player takes them for dry land.
int64_t CountNearRegionPixels(const TBitmap32& mask);

}  // namespace ky
