#include "uSceneValidate.h"

#include <array>
#include <cstdlib>
#include <map>
#include <set>

#include "graphics/uPictureKind.h"
#include "objects/uAnimObject.h"
#include "objects/uObjectInspect.h"
#include "platform/uIniFile.h"
#include "platform/uText.h"
#include "scene/file/uSceneKeys.h"
#include "scene/file/uSceneWriter.h"
#include "scene/records/uRegionCodes.h"
#include "uIniLines.h"
#include "uSmallTextFile.h"

namespace ky {

namespace {

constexpr size_t kMaxDescription = 4u << 20;
// A channel this close to every channel of a region colour reads as "meant to be that colour".
constexpr int kNearTolerance = 64;
constexpr const char* kColourNames[kRegionCodeCount] = {"", "blue", "magenta", "red", "yellow", "green", "cyan"};

std::string Where(const std::string& path, size_t line) { return path + ":" + std::to_string(line) + ": "; }

std::string RangeText(const TSceneKey& k) {
  std::string s = std::to_string(k.Low) + " to " + std::to_string(k.High);
  if (!k.Unit.empty() && k.Unit != "flag" && k.Unit != "code") s += " " + std::string(k.Unit);
  return s;
}

// One "key = value" line of a known section.
void CheckValue(const std::string& path, size_t line, std::string_view writtenSection,
                const TSceneKey& key, std::string_view value, TSceneFindings& f) {
  if (key.Type != TSceneKey::TType::Integer && key.Type != TSceneKey::TType::Flag) return;
  const std::string head = "[" + std::string(writtenSection) + "] " + std::string(key.Key) + " = \"" + std::string(value) + "\"";
  const auto n = ParseInteger(value);
  if (!n) {
    f.Errors.push_back(Where(path, line) + head + " is not a whole number");
    return;
  }
  if (*n < key.Low || *n > key.High) {
    f.Warnings.push_back(Where(path, line) + head + " is outside the sensible range " + RangeText(key) +
                         " (the scene is still written with it)");
  }
}

}  // namespace

TSceneFindings CheckSceneDescription(const std::string& path) {
  TSceneFindings f;
  const TSmallText file = ReadSmallTextFile(path, kMaxDescription);
  if (file.Result == TSmallText::TResult::CannotOpen) {
    f.Errors.push_back(path + ": cannot read the scene description");
    return f;
  }
  if (file.Result == TSmallText::TResult::TooLarge) {
    f.Errors.push_back(path + ": a scene description is a small text; this file is too large");
    return f;
  }
  const std::string& text = file.Text;
  std::map<std::string, size_t> seen;  // "SECTION\nKEY" in upper case -> first line
  for (const TIniLine& l : ReadIniLines(text)) {
    const std::string at = Where(path, l.Number);
    switch (l.Kind) {
      case TIniLine::TKind::BadSection: f.Errors.push_back(at + "a section name must end with \"]\""); continue;
      case TIniLine::TKind::Text:
        f.Errors.push_back(at + "\"" + l.Value + "\" is neither a [Section], a Key=Value line nor a comment");
        continue;
      case TIniLine::TKind::Section: {
        const TSceneSectionName section = SceneSectionOf(l.Section);
        if (section.Section.empty())
          f.Warnings.push_back(at + "[" + l.Section + "] is not a section of a scene description; it is ignored");
        else if (section.Section == "Wave" && section.Number > kRegionWaveSets)
          f.Warnings.push_back(at + "[" + l.Section + "]: no mask colour selects wave sets 7 and 8; they never move water");
        continue;
      }
      case TIniLine::TKind::Key: break;
    }
    if (l.Section.empty()) {
      f.Warnings.push_back(at + l.Key + " stands before any [Section]; it is ignored");
      continue;
    }
    const TSceneSectionName section = SceneSectionOf(l.Section);
    if (section.Section.empty()) continue;
    const TSceneKey* k = FindSceneKey(section.Section, l.Key);
    if (!k) {
      std::string known;
      for (const TSceneKey& c : SceneDescriptionKeys())
        if (c.Section == section.Section) known += (known.empty() ? "" : ", ") + std::string(c.Key);
      f.Warnings.push_back(at + "[" + l.Section + "] " + l.Key + " is not a key of this section; it is ignored (known keys: " +
                           known + ")");
      continue;
    }
    const auto [it, first] = seen.emplace(UpperCaseAscii(l.Section) + "\n" + UpperCaseAscii(l.Key), l.Number);
    if (!first) {
      f.Warnings.push_back(at + "[" + l.Section + "] " + l.Key + " is given again; line " + std::to_string(it->second) +
                           " holds the value that counts");
      continue;
    }
    CheckValue(path, l.Number, l.Section, *k, l.Value, f);
  }
  return f;
}

int64_t CountNearRegionPixels(const TBitmap32& mask) {
  std::array<TColor32, kRegionCodeCount> colours{};
  for (int c = 1; c < kRegionCodeCount; ++c) colours[static_cast<size_t>(c)] = RegionColour(c);
  int64_t near = 0;
  for (int y = 0; y < mask.Height(); ++y) {
    const TColor32* row = mask.ScanLine(y);
    for (int x = 0; x < mask.Width(); ++x) {
      const TColor32 p = row[x];
      if (RegionCodeOf(p) != 0) continue;
      for (int c = 1; c < kRegionCodeCount; ++c) {
        const TColor32 r = colours[static_cast<size_t>(c)];
        if (std::abs(RedComponent(p) - RedComponent(r)) <= kNearTolerance &&
            std::abs(GreenComponent(p) - GreenComponent(r)) <= kNearTolerance &&
            std::abs(BlueComponent(p) - BlueComponent(r)) <= kNearTolerance) {
          ++near;
          break;
        }
      }
    }
  }
  return near;
}

namespace {

// The keys an object takes: those a loaded object keeps, as its inspection lists them.
const std::set<std::string>& ObjectKeys() {
  static const std::set<std::string> keys = [] {
    std::set<std::string> k;
    const std::string json = ObjectsJson("[Obj0]\nObjType=GIF\nFilename=a.gif\n[Obj1]\nObjType=IMG\nFilename=b.png\n");
    for (size_t at = json.find('"'); at != std::string::npos; at = json.find('"', at + 1)) {
      const size_t end = json.find('"', at + 1);
      if (end == std::string::npos) break;
      if (end + 1 < json.size() && json[end + 1] == ':') k.insert(UpperCaseAscii(json.substr(at + 1, end - at - 1)));
      at = end;
    }
    k.erase("INDEX");
    return k;
  }();
  return keys;
}

struct TObjectRange {
  const char* Key;
  int32_t Low, High;
};
// The codes whose other values do nothing or fall back to a default.
const TObjectRange kObjectRanges[] = {{"Opacity", 0, 10},           {"Motion", 0, 9},          {"InitialDir", 0, 8},
                                      {"PosLeftType", 0, 5},        {"PosTopType", 0, 5},      {"DisplayDurationType", 0, 2},
                                      {"TransparentType", 0, 2},    {"AppearEffect", 0, 1},    {"DisappearEffect", 0, 1}};

}  // namespace

void CheckSceneObjectsFile(const std::string& iniPath, TSceneFindings& f) {
  const std::string name(Trim(TIniFile::FromFile(iniPath).ReadString("Scene", "Objects", "")));
  if (name.empty()) return;
  const size_t slash = iniPath.rfind('/');
  const std::string path = name[0] == '/' || slash == std::string::npos ? name : iniPath.substr(0, slash + 1) + name;
  const TSmallText file = ReadSmallTextFile(path, kMaxDescription);
  if (file.Result != TSmallText::TResult::Read) return;  // the reader names a missing objects file
  const std::string& text = file.Text;
  const TIniFile ini = TIniFile::FromText(text);
  for (const TIniLine& l : ReadIniLines(text)) {
    const std::string at = Where(path, l.Number);
    if (l.Kind == TIniLine::TKind::BadSection) {
      f.Errors.push_back(at + "a section name must end with \"]\"");
      continue;
    }
    if (l.Kind == TIniLine::TKind::Text) {
      f.Errors.push_back(at + "\"" + l.Value + "\" is neither a [Section], a Key=Value line nor a comment");
      continue;
    }
    const std::string digits = l.Section.size() > 3 ? l.Section.substr(3) : "";
    const auto number = ParseInteger(digits);
    const bool objectSection = SameTextAscii(l.Section.substr(0, std::min<size_t>(3, l.Section.size())), "Obj") &&
                               !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos && number &&
                               *number <= 100;
    if (l.Kind == TIniLine::TKind::Section) {
      if (!objectSection) f.Warnings.push_back(at + "[" + l.Section + "] is not an object section ([Obj0] to [Obj100]); it is ignored");
      continue;
    }
    if (!objectSection) continue;
    const std::string head = "[" + l.Section + "] " + l.Key;
    if (!ObjectKeys().count(UpperCaseAscii(l.Key))) {
      f.Warnings.push_back(at + head + " is not a key of an object; it is ignored");
      continue;
    }
    if (SameTextAscii(l.Key, "ObjType")) {
      if (l.Value != "GIF" && l.Value != "IMG")
        f.Warnings.push_back(at + head + " = \"" + l.Value + "\": only GIF and IMG, in capitals, make an object; the section is skipped");
      continue;
    }
    if (SameTextAscii(l.Key, "Filename") || SameTextAscii(l.Key, "OffScreenOpt")) continue;
    // The object's own reader decides what a number is ("0x" hexadecimal included).
    const int32_t a = ReadObjectInteger(ini, l.Section, l.Key.c_str(), 0), b = ReadObjectInteger(ini, l.Section, l.Key.c_str(), 1);
    if (a != b) {
      f.Errors.push_back(at + head + " = \"" + l.Value + "\" is not a whole number");
      continue;
    }
    for (const TObjectRange& r : kObjectRanges)
      if (SameTextAscii(r.Key, l.Key) && (a < r.Low || a > r.High))
        f.Warnings.push_back(at + head + " = \"" + l.Value + "\" is outside the sensible range " + std::to_string(r.Low) +
                             " to " + std::to_string(r.High));
  }
}

void CheckSceneValues(const std::string& iniPath, const TSceneDescription& scene, TSceneFindings& f) {
  const TWeatherParam& w = scene.Weather;
  if ((w.Kind == kWeatherSnow || w.Kind == kWeatherRain) && w.Count <= 0)
    f.Warnings.push_back(iniPath + ": [Weather] Kind = " + std::to_string(w.Kind) + " with Count = " + std::to_string(w.Count) +
                         ": no " + (w.Kind == kWeatherSnow ? "flake" : "drop") + " is drawn");
  if (w.Kind == kWeatherRain && w.DropLength <= 0)
    f.Warnings.push_back(iniPath + ": [Weather] rain with DropLength = " + std::to_string(w.DropLength) +
                         ": the drops have no length and are not seen (10 is a normal length)");
  for (size_t i = 0; i < scene.Sounds.size(); ++i) {
    const TSoundSlot& s = scene.Sounds[i];
    if (s.PlayMode == 1 && s.MinInterval > s.MaxInterval)
      f.Warnings.push_back(iniPath + ": [Sound" + std::to_string(i + 1) + "] MinInterval " + std::to_string(s.MinInterval) +
                           " is more than MaxInterval " + std::to_string(s.MaxInterval));
  }
}

void CheckSceneMask(const std::string& iniPath, const TSceneDescription& scene, TSceneFindings& f) {
  const TIniFile ini = TIniFile::FromFile(iniPath);
  const std::string maskName(Trim(ini.ReadString("Scene", "Mask", "")));
  const int64_t near = CountNearRegionPixels(scene.MaskPicture);
  if (near > 0) {
    const bool jpeg = PictureKindOf(maskName) == TPictureKind::Jpeg;
    f.Warnings.push_back(iniPath + ": the mask " + maskName + " has " + std::to_string(near) +
                         " pixels close to a region colour but not equal to it; they count as dry land" +
                         (jpeg ? " (JPEG changes colours as it compresses)" : "") +
                         ". Save masks as PNG and paint them with hard edges (no anti-aliasing, no soft brush).");
  }
  std::array<int64_t, kRegionCodeCount> counts{};
  const TBitmap32& m = scene.MaskPicture;
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) ++counts[static_cast<size_t>(RegionCodeOf(m.ScanLine(y)[x]))];
  for (int c = 1; c < kRegionCodeCount; ++c) {
    const std::string section = "Wave" + std::to_string(c);
    if (counts[static_cast<size_t>(c)] == 0 && ini.SectionExists(section))
      f.Warnings.push_back(iniPath + ": [" + section + "] is set, but the mask has no " + kColourNames[c] +
                           " pixels, so no water moves with it");
  }
}

}  // namespace ky
