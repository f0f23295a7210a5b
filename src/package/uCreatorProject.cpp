#include "uCreatorProject.h"

#include <fstream>
#include <sstream>

#include "platform/uError.h"
#include "platform/uIniFile.h"
#include "platform/uText.h"
#include "uPackage.h"
#include "uTransitionEffects.h"

namespace ky {

namespace {

// Project texts are small INI files; anything near this size is not a project.
constexpr size_t kMaxProjectPackage = 64u << 20;

bool ReadTextFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return true;
}

}  // namespace

void TKyCFileList::Clear() {
  Names.clear();
  Flags.clear();
}

void TKyCFileList::LoadFromFile(const std::string& path) {
  std::string text;
  if (!ReadTextFile(path, text)) throw TKyError(path + ": cannot open the file list");
  LoadFromText(text);
}

void TKyCFileList::LoadFromText(std::string_view text) {
  Clear();
  const std::vector<std::string> lines = SplitLines(text);
  size_t i = 0;
  while (i < lines.size() && !SameTextAscii(lines[i], "[FileList]")) ++i;
  if (i == lines.size()) return;
  for (++i; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') break;
    // The name is what stands before the last "=", so a name holding "=" stays whole.
    const size_t eq = line.rfind('=');
    if (eq == std::string::npos || eq == 0) continue;
    Names.push_back(line.substr(0, eq));
  }
  // The flags are read back through the INI rules, as the profile functions would.
  const TIniFile ini = TIniFile::FromText(text);
  for (const auto& name : Names) Flags.emplace_back(ini.ReadBool("FileList", name, false) ? kPictureShown : kPictureHidden);
}

void TUISetting::LoadFromFile(const std::string& path) {
  std::string text;
  if (ReadTextFile(path, text)) LoadFromText(text);
}

void TUISetting::LoadFromText(std::string_view text) {
  UIFile = TIniFile::FromText(text).ReadString("UI", "UIFile", "");
}

std::string TKyCSetting::AllTransitionEffects() {
  std::string s;
  for (int k = 1; k <= kTransitionEffectCount; ++k) {
    if (k > 1) s += ',';
    s += std::to_string(k);
  }
  return s;
}

void TKyCSetting::LoadFromFile(const std::string& path) {
  std::string text;
  if (ReadTextFile(path, text)) LoadFromText(text);
}

void TKyCSetting::LoadFromText(std::string_view text) {
  const TIniFile ini = TIniFile::FromText(text);
  for (const TSettingKey& k : SettingKeys()) {
    switch (k.Type) {
      case TSettingKey::TType::Text: this->*k.Text = ini.ReadString(k.Section, k.Key, this->*k.Text); break;
      case TSettingKey::TType::Integer: this->*k.Integer = ini.ReadInteger(k.Section, k.Key, this->*k.Integer); break;
      case TSettingKey::TType::Boolean: this->*k.Boolean = ini.ReadBool(k.Section, k.Key, this->*k.Boolean); break;
    }
  }
}

const std::vector<TSettingKey>& SettingKeys() {
  using T = TSettingKey::TType;
  using S = TKyCSetting;
  auto text = [](const char* sec, const char* key, std::string S::*f) { return TSettingKey{sec, key, T::Text, f, nullptr, nullptr}; };
  auto integer = [](const char* sec, const char* key, int32_t S::*f) { return TSettingKey{sec, key, T::Integer, nullptr, f, nullptr}; };
  auto boolean = [](const char* sec, const char* key, bool S::*f) { return TSettingKey{sec, key, T::Boolean, nullptr, nullptr, f}; };
  static const std::vector<TSettingKey> keys = {
      text("General", "ProductName", &S::ProductName),
      text("General", "Publisher", &S::Publisher),
      text("General", "Website", &S::Website),
      boolean("Default", "Stretch", &S::Stretch),
      boolean("Default", "Proportional", &S::Proportional),
      boolean("Default", "Sound", &S::Sound),
      integer("Default", "SoundVolume", &S::SoundVolume),
      boolean("Default", "Random", &S::Random),
      integer("Default", "Duration", &S::Duration),
      boolean("Default", "Transition", &S::Transition),
      integer("Default", "TransitionTime", &S::TransitionTime),
      text("Default", "TransitionEffects", &S::TransitionEffects),
      boolean("Default", "Zoom", &S::Zoom),
      boolean("Default", "LivingZoom", &S::LivingZoom),
      integer("Default", "ZoomDuration", &S::ZoomDuration),
      boolean("Default", "AutoWallpaper", &S::AutoWallpaper),
      integer("Default", "Speed", &S::Speed),
      boolean("Default", "Music", &S::Music),
      integer("Default", "MusicVolume", &S::MusicVolume),
      boolean("Default", "Animation", &S::Animation),
      integer("Default", "ShowImageMode", &S::ShowImageMode),
      boolean("Default", "DirectX", &S::DirectX),
      integer("Default", "DirectXQuality", &S::DirectXQuality),
      boolean("Default", "ShowClock", &S::ShowClock),
      integer("Default", "ClockPos", &S::ClockPos),
      text("Advance", "MusicFile", &S::MusicFile),
      integer("Advance", "MusicMode", &S::MusicMode),
      text("Advance", "PreviewFile", &S::PreviewFile),
      integer("Build", "BuildMethod", &S::BuildMethod),
      text("Build", "BuildFileName", &S::BuildFileName),
      boolean("Build", "BuildSmallThumbs", &S::BuildSmallThumbs),
      text("Build", "BuildIcon", &S::BuildIcon),
      text("Build", "BuildInstall", &S::BuildInstall),
      boolean("Build", "CustomIcon", &S::CustomIcon),
  };
  return keys;
}

std::string SettingValueText(const TKyCSetting& s, const TSettingKey& key) {
  switch (key.Type) {
    case TSettingKey::TType::Text: return s.*key.Text;
    case TSettingKey::TType::Integer: return std::to_string(s.*key.Integer);
    case TSettingKey::TType::Boolean: return s.*key.Boolean ? "1" : "0";
  }
  return {};
}

TKyCProject::TKyCProject()
    : FFileList(std::make_unique<TKyCFileList>()),
      FSetting(std::make_unique<TKyCSetting>()),
      FUISetting(std::make_unique<TUISetting>()) {}

TKyCProject::~TKyCProject() {
  // Freed in the reverse order of creation.
  FUISetting.reset();
  FSetting.reset();
  FFileList.reset();
}

void TKyCProject::LoadFromFile(const std::string& path) {
  LoadFromPackage(ReadWholeFile(path, kMaxProjectPackage), path);
}

void TKyCProject::LoadFromPackage(std::string_view packageBytes, const std::string& nameForErrors) {
  const TPackageInfo info = FindPackageInMemory(packageBytes);
  // Three texts, or four when the authoring side added its own nested package, which the player
  // does not read.
  if (!info.Found || (info.FirstValue != 3 && info.FirstValue != 4))
    throw TKyError(nameForErrors + ": the project package holds no file list");
  const std::vector<std::string> sections = ReadSectionsInMemory(packageBytes);
  if (sections.size() < 3) throw TKyError(nameForErrors + ": the project package is truncated");
  FFileList->LoadFromText(sections[0]);
  FSetting->LoadFromText(sections[1]);
  FUISetting->LoadFromText(sections[2]);
}

}  // namespace ky
