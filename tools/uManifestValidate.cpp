#include "uManifestValidate.h"

#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "graphics/uPictureKind.h"
#include "platform/uText.h"
#include "uIniLines.h"
#include "uManifestKeys.h"
#include "uSaverBuilder.h"
#include "uSmallTextFile.h"

namespace ky {

namespace {

constexpr size_t kMaxManifest = 16u << 20;
constexpr int kTransitionEffects = 169;
constexpr size_t kMaxPrinted = 20;  // lines of each kind; a list of thousands of missing files says the rest in one line

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

const TManifestKey* FindKey(const std::string& section, const std::string& key) {
  for (const TManifestKey& k : ManifestKeys())
    if (SameTextAscii(k.Section, section) && SameTextAscii(k.Key, key)) return &k;
  return nullptr;
}

bool IsListSection(const std::string& section) {
  for (const std::string& s : ManifestListSections())
    if (SameTextAscii(s, section)) return true;
  return false;
}

bool IsKnownSection(const std::string& section) {
  if (IsListSection(section)) return true;
  for (const TManifestKey& k : ManifestKeys())
    if (SameTextAscii(k.Section, section)) return true;
  return false;
}

bool IsShownPicture(const std::string& name) {
  if (name.size() >= 4 && UpperCaseAscii(name.substr(name.size() - 4)) == ".KYP") return true;
  const TPictureKind kind = PictureKindOf(name);
  return kind == TPictureKind::Jpeg || kind == TPictureKind::Bmp || kind == TPictureKind::Gif || kind == TPictureKind::Png;
}

void CheckListLine(const std::string& at, const std::string& folder, const TIniLine& l, TManifestFindings& f) {
  // A list line is a file name as a whole, "=" and all.
  const std::string name = l.Kind == TIniLine::TKind::Key ? l.Key + "=" + l.Value : l.Value;
  const std::string path = !name.empty() && name[0] == '/' ? name : folder + name;
  if (!IsFile(path)) {
    f.Errors.push_back(at + name + ": file not found");
    return;
  }
  if (!SameTextAscii(l.Section, "Pictures") || IsShownPicture(name)) return;
  const bool description = name.size() >= 4 && UpperCaseAscii(name.substr(name.size() - 4)) == ".INI";
  f.Warnings.push_back(at + name + (description ? " is a scene description: write the scene with \"kysaver-tool scene " + name +
                                                      " -o NAME.kyp\" and list NAME.kyp"
                                                : " is not a picture the player shows (scene files .kyp, JPEG, BMP, GIF, PNG)"));
}

void CheckValue(const std::string& at, const TIniLine& l, const TManifestKey& k, TManifestFindings& f) {
  const std::string head = "[" + l.Section + "] " + l.Key + " = \"" + l.Value + "\"";
  if (k.Type == "integer" || k.Type == "flag") {
    const auto n = ParseInteger(l.Value);
    if (!n) {
      f.Errors.push_back(at + head + " is not a whole number");
      return;
    }
    if (k.Low <= k.High && (*n < k.Low || *n > k.High))
      f.Warnings.push_back(at + head + " is outside the sensible range " + std::to_string(k.Low) + " to " +
                           std::to_string(k.High) + (k.Unit.empty() ? "" : " " + k.Unit) + " (the saver is still built with it)");
    return;
  }
  if (k.Key == "TransitionEffects") {
    std::istringstream items(l.Value);
    for (std::string item; std::getline(items, item, ',');) {
      const auto n = ParseInteger(Trim(item));
      if (!n || *n < 1 || *n > kTransitionEffects) {
        f.Warnings.push_back(at + head + ": \"" + std::string(Trim(item)) + "\" is not an effect number from 1 to " +
                             std::to_string(kTransitionEffects));
        return;
      }
    }
  }
}

}  // namespace

TManifestFindings CheckManifest(const std::string& path) {
  TManifestFindings f;
  const TSmallText file = ReadSmallTextFile(path, kMaxManifest);
  if (file.Result == TSmallText::TResult::CannotOpen) {
    f.Errors.push_back(path + ": cannot read the manifest");
    return f;
  }
  if (file.Result == TSmallText::TResult::TooLarge) {
    f.Errors.push_back(path + ": a manifest is a small text; this file is too large");
    return f;
  }
  const std::string& text = file.Text;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::map<std::string, size_t> seen;
  for (const TIniLine& l : ReadIniLines(text)) {
    const std::string at = path + ":" + std::to_string(l.Number) + ": ";
    if (l.Kind == TIniLine::TKind::BadSection) {
      f.Errors.push_back(at + "a section name must end with \"]\"");
      continue;
    }
    if (l.Kind == TIniLine::TKind::Section) {
      if (!IsKnownSection(l.Section)) f.Warnings.push_back(at + "[" + l.Section + "] is not a section of a manifest; it is ignored");
      continue;
    }
    if (IsListSection(l.Section)) {
      CheckListLine(at, folder, l, f);
      continue;
    }
    if (l.Kind == TIniLine::TKind::Text) {
      f.Errors.push_back(at + "\"" + l.Value + "\" is neither a [Section], a Key=Value line nor a comment");
      continue;
    }
    if (l.Section.empty()) {
      f.Warnings.push_back(at + l.Key + " stands before any [Section]; it is ignored");
      continue;
    }
    if (!IsKnownSection(l.Section)) continue;
    const TManifestKey* k = FindKey(l.Section, l.Key);
    if (!k) {
      // The builder refuses unknown settings keys; [UI] takes only File.
      (SameTextAscii(l.Section, "UI") ? f.Warnings : f.Errors)
          .push_back(at + "[" + l.Section + "] " + l.Key + " is not a key of this section");
      continue;
    }
    const auto [it, first] = seen.emplace(UpperCaseAscii(l.Section) + "\n" + UpperCaseAscii(l.Key), l.Number);
    if (!first) {
      f.Warnings.push_back(at + "[" + l.Section + "] " + l.Key + " is given again; line " + std::to_string(it->second) +
                           " holds the value that counts");
      continue;
    }
    if (k->Type == "file" && !l.Value.empty() && !IsFile(!l.Value.empty() && l.Value[0] == '/' ? l.Value : folder + l.Value))
      f.Errors.push_back(at + "[" + l.Section + "] " + l.Key + " = \"" + l.Value + "\": file not found");
    else
      CheckValue(at, l, *k, f);
  }
  return f;
}

bool ReportManifestFindings(const TManifestFindings& f, const std::string& manifestPath) {
  auto print = [](const std::vector<std::string>& lines, const char* kind) {
    for (size_t i = 0; i < lines.size() && i < kMaxPrinted; ++i)
      std::fprintf(stderr, "kysaver-tool: %s: %s\n", kind, TerminalText(lines[i]).c_str());
    if (lines.size() > kMaxPrinted) std::fprintf(stderr, "kysaver-tool: ... and %zu more\n", lines.size() - kMaxPrinted);
  };
  print(f.Warnings, "warning");
  print(f.Errors, "error");
  if (f.Errors.empty()) return true;
  // The builder's own word on the manifest too, when it has one; nothing is written.
  try {
    BuildSaverPackage(manifestPath);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kysaver-tool: %s\n", e.what());
  }
  return false;
}

}  // namespace ky
