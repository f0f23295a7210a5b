#pragma once
// A saver as its author reads it: what it shows and how, each picture with its kind and size,
// each scene with its water, weather, sounds and objects, the other files, and the settings
// that differ from the player's defaults.
#include <cstdint>
#include <string>
#include <vector>

namespace ky {

class TKyCProject;

struct TSaverMedia {
  std::string Name;
  std::string Kind;  // "picture", "music", "preview", "sound", "object" or "other"; empty when unknown
  uint64_t Offset = 0;  // of its bytes in the saver file
  uint64_t Size = 0;
  bool HasData = false;
};

std::string SaverSummary(const std::string& path, const TKyCProject& project, const std::vector<TSaverMedia>& media,
                         uint64_t windowTextSize);

}  // namespace ky
