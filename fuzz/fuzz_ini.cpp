// libFuzzer target: the INI reader and the readers built on it (project settings, file list,
// UI setting, the build information of a scene) must cope with any text. Every key the reader
// lists must be readable, and a text written back must read back the same.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "package/uCreatorProject.h"
#include "platform/uIniFile.h"
#include "scene/model/uCommaText.h"
#include "scene/model/uKyProject.h"

namespace {

void CheckListedKeysRead(const ky::TIniFile& ini) {
  for (const std::string& section : ini.Sections()) {
    if (!ini.SectionExists(section)) __builtin_trap();
    for (const std::string& key : ini.SectionKeys(section)) {
      if (!ini.ValueExists(section, key)) __builtin_trap();
      ini.ReadString(section, key, "");
      if (ini.ReadBool(section, key, false) != (ini.ReadInteger(section, key, 0) != 0)) __builtin_trap();
    }
  }
}

// What the text says, as the reader sees it: every section with its keys in order and their
// first values. Sections are taken in name order, because writing puts the keys that have no
// section (or the empty name) first, without a header, so an empty one of those is not written.
std::vector<std::string> Contents(const ky::TIniFile& ini) {
  std::vector<std::string> sections = ini.Sections();
  std::sort(sections.begin(), sections.end());
  std::vector<std::string> out;
  for (const std::string& section : sections) {
    if (section.empty() && ini.SectionKeys(section).empty()) continue;
    out.push_back("[" + section + "]");
    for (const std::string& key : ini.SectionKeys(section)) out.push_back(key + "=" + ini.ReadString(section, key, ""));
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ky::TIniFile ini = ky::TIniFile::FromText(text);
  CheckListedKeysRead(ini);
  const ky::TIniFile back = ky::TIniFile::FromText(ini.ToText());
  if (Contents(back) != Contents(ini)) __builtin_trap();

  ky::TKyCSetting setting;
  setting.LoadFromText(text);
  ky::TKyCFileList list;
  list.LoadFromText(text);
  if (list.Names.size() != list.Flags.size()) __builtin_trap();
  ky::TUISetting ui;
  ui.LoadFromText(text);

  // The build information is comma text of INI lines.
  const std::vector<std::string> items = ky::SplitCommaText(text);
  if (ky::SplitCommaText(ky::JoinCommaText(items)) != items) __builtin_trap();
  ky::TExtraInfo::FromBuildText(std::string(text));
  return 0;
}
