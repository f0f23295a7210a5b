#include "uManifestKeys.h"

#include <string_view>

#include "package/uCreatorProject.h"

namespace ky {

namespace {

std::vector<TManifestKey> BuildTable() {
  std::vector<TManifestKey> keys;
  const TKyCSetting defaults;
  for (const TSettingKey& k : SettingKeys()) {
    const char* type = k.Type == TSettingKey::TType::Text ? "text" : k.Type == TSettingKey::TType::Integer ? "integer" : "flag";
    // The builder packs the preview picture it names.
    if (std::string_view(k.Key) == "PreviewFile") type = "file";
    keys.push_back({k.Section, k.Key, type, SettingValueText(defaults, k)});
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
