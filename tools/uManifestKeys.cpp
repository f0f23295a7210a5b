#include "uManifestKeys.h"

#include <string_view>

#include "package/uCreatorProject.h"

namespace ky {

namespace {

struct TRange {
  const char* Key;
  int32_t Low, High;
  const char* Unit;
};

// Flags are 0 or 1; these are the integer keys with a range that makes sense.
const TRange kRanges[] = {
    {"SoundVolume", 0, 100, "percent"},   {"Duration", 1, 3600, "seconds"},      {"TransitionTime", 0, 30000, "ms"},
    {"ZoomDuration", 1, 3600, "seconds"}, {"Speed", 10, 500, "percent"},          {"MusicVolume", 0, 100, "percent"},
    {"ShowImageMode", 0, 3, ""},          {"DirectXQuality", 0, 2, ""},           {"ClockPos", 0, 3, ""},
    {"MusicMode", 0, 1, ""},
};

std::vector<TManifestKey> BuildTable() {
  std::vector<TManifestKey> keys;
  const TKyCSetting defaults;
  for (const TSettingKey& k : SettingKeys()) {
    const char* type = k.Type == TSettingKey::TType::Text ? "text" : k.Type == TSettingKey::TType::Integer ? "integer" : "flag";
    // The builder packs the preview picture it names.
    if (std::string_view(k.Key) == "PreviewFile") type = "file";
    TManifestKey& m = keys.emplace_back(TManifestKey{k.Section, k.Key, type, SettingValueText(defaults, k)});
    if (k.Type == TSettingKey::TType::Boolean) {
      m.Low = 0;
      m.High = 1;
    }
    for (const TRange& r : kRanges)
      if (m.Key == r.Key) {
        m.Low = r.Low;
        m.High = r.High;
        m.Unit = r.Unit;
      }
  }
  // The builder reads it itself: the window description put into the saver.
  keys.push_back({"UI", "File", "file", ""});
  return keys;
}

}  // namespace

const std::vector<TManifestKey>& ManifestKeys() {
  static const std::vector<TManifestKey> keys = BuildTable();
  return keys;
}

const std::vector<std::string>& ManifestListSections() {
  static const std::vector<std::string> sections = {"Pictures", "Music"};
  return sections;
}

}  // namespace ky
