#include "uSceneValidate.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "graphics/uPictureKind.h"
#include "platform/uIniFile.h"
#include "platform/uText.h"
#include "scene/file/uSceneKeys.h"
#include "scene/file/uSceneWriter.h"
#include "scene/records/uRegionCodes.h"
#include "uIniLines.h"

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
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    f.Errors.push_back(path + ": cannot read the scene description");
    return f;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  const std::string text = ss.str();
  if (text.size() > kMaxDescription) {
    f.Errors.push_back(path + ": a scene description is a small text; this file is too large");
    return f;
  }
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
