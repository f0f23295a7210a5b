#pragma once
// Every key a saver manifest may hold, as "kysaver-tool build" reads it: the settings keys of
// [General], [Default], [Advance] and [Build] (the player's own settings table), [UI] File, and
// the two list sections [Pictures] and [Music], whose lines are file names rather than keys.
#include <cstdint>
#include <string>
#include <vector>

namespace ky {

struct TManifestKey {
  std::string Section;
  std::string Key;
  std::string Type;     // "text", "integer", "flag" or "file"
  std::string Default;  // as the manifest would write it
  // Sensible range of integer and flag keys; outside it "build" warns. Low > High: no range.
  int32_t Low = 1, High = 0;
  std::string Unit;
};

const std::vector<TManifestKey>& ManifestKeys();
const std::vector<std::string>& ManifestListSections();

}  // namespace ky
