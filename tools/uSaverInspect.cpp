#include "uSaverInspect.h"

#include <sstream>

#include "graphics/uPictureKind.h"
#include "package/uCreatorProject.h"
#include "package/uPackage.h"
#include "platform/uError.h"
#include "platform/uText.h"
#include "uInspectSummary.h"
#include "uJson.h"

namespace ky {

namespace {

constexpr uint64_t kMaxTextSection = 64u << 20;

struct TReport {
  std::vector<uint64_t> SectionLengths;
  TKyCProject Project;
  std::vector<std::string> MediaNames;
  std::vector<uint64_t> MediaSizes;
  std::vector<uint64_t> MediaOffsets;
  uint64_t WindowTextLength = 0;
};

std::string SectionText(const std::string& path, const TSectionSpan& s, const char* what) {
  if (s.Length > kMaxTextSection) throw TKyError(path + ": the " + std::string(what) + " is too large");
  return ReadFileRange(path, s.Offset, s.Length);
}

void Read(const std::string& path, TReport& r) {
  const TPackageLayout top = ReadPackageLayout(path);
  if (!top.Info.Found) throw TKyError(path + ": this file holds no saver package");
  if (top.Truncated) throw TKyError(path + ": the saver package is truncated");
  if (top.Sections.size() != 4)
    throw TKyError(path + ": the saver package has " + std::to_string(top.Info.FirstValue) + " sections instead of 4");
  for (const TSectionSpan& s : top.Sections) r.SectionLengths.push_back(s.Length);

  r.Project.LoadFromPackage(SectionText(path, top.Sections[0], "project package"), path);
  r.MediaNames = SplitLines(SectionText(path, top.Sections[1], "name list"));

  const TSectionSpan& bundleSpan = top.Sections[2];
  const TPackageLayout bundle = ReadPackageLayout(path, bundleSpan.Offset, bundleSpan.Offset + bundleSpan.Length);
  if (bundleSpan.Length > 0 && (!bundle.Info.Found || bundle.Info.Offset != bundleSpan.Offset + kMarkerLength))
    throw TKyError(path + ": the media bundle is not a package");
  if (bundle.Truncated) throw TKyError(path + ": the media bundle is truncated");
  for (const TSectionSpan& s : bundle.Sections) {
    r.MediaSizes.push_back(s.Length);
    r.MediaOffsets.push_back(s.Offset);
  }
  r.WindowTextLength = top.Sections[3].Length;
}

enum class TMediaKind { Picture, Music, Preview, Sound, Object, Other };

// What a media file is to the saver: a picture of the file list, a track of the music list,
// the preview picture, or else, by its extension, a sound or an object's picture that a scene
// names.
TMediaKind KindOf(const TReport& r, const std::string& name) {
  for (const std::string& n : r.Project.FileList().Names)
    if (FileNamePart(n) == name) return TMediaKind::Picture;
  const std::string& music = r.Project.Setting().MusicFile;
  size_t at = 0;
  while (at <= music.size()) {
    const size_t end = std::min(music.find(';', at), music.size());
    if (end > at && FileNamePart(music.substr(at, end - at)) == name) return TMediaKind::Music;
    at = end + 1;
  }
  if (!r.Project.Setting().PreviewFile.empty() && FileNamePart(r.Project.Setting().PreviewFile) == name)
    return TMediaKind::Preview;
  const size_t dot = name.rfind('.');
  const std::string ext = dot == std::string::npos ? std::string() : UpperCaseAscii(name.substr(dot));
  if (ext == ".WAV") return TMediaKind::Sound;
  if (ext == ".BMP" || ext == ".JPG" || ext == ".JPEG" || ext == ".GIF" || ext == ".PNG") return TMediaKind::Object;
  return TMediaKind::Other;
}

const char* KindName(TMediaKind k) {
  switch (k) {
    case TMediaKind::Picture: return "picture";
    case TMediaKind::Music: return "music";
    case TMediaKind::Preview: return "preview";
    case TMediaKind::Sound: return "sound";
    case TMediaKind::Object: return "object";
    case TMediaKind::Other: return "other";
  }
  return "";
}

std::vector<std::string> NamesOfKind(const TReport& r, TMediaKind kind) {
  std::vector<std::string> names;
  for (const std::string& n : r.MediaNames)
    if (KindOf(r, n) == kind) names.push_back(n);
  return names;
}

std::string AsJson(const TReport& r) {
  TJsonWriter w;
  w.BeginObject();
  w.Key("SectionCount").Int(static_cast<int64_t>(r.SectionLengths.size()));
  w.Key("Sections").BeginArray();
  for (const uint64_t len : r.SectionLengths) w.Int(static_cast<int64_t>(len));
  w.EndArray();
  w.Key("Names").BeginArray();
  for (const auto& n : r.Project.FileList().Names) w.String(n);
  w.EndArray();
  w.Key("Flags").BeginArray();
  for (const auto& f : r.Project.FileList().Flags) w.String(f);
  w.EndArray();
  const TKyCSetting& s = r.Project.Setting();
  for (const TSettingKey& k : SettingKeys()) {
    w.Key(k.Key);
    switch (k.Type) {
      case TSettingKey::TType::Text: w.String(s.*k.Text); break;
      case TSettingKey::TType::Integer: w.Int(s.*k.Integer); break;
      case TSettingKey::TType::Boolean: w.Bool(s.*k.Boolean); break;
    }
  }
  w.Key("UIFile").String(r.Project.UISetting().UIFile);
  w.Key("WindowTextSize").Int(static_cast<int64_t>(r.WindowTextLength));
  w.Key("Media").BeginArray();
  // A bundle section without a name, or a name without a section, still shows.
  const size_t n = std::max(r.MediaNames.size(), r.MediaSizes.size());
  for (size_t i = 0; i < n; ++i) {
    w.BeginObject();
    w.Key("Name").String(i < r.MediaNames.size() ? r.MediaNames[i] : "");
    if (i < r.MediaNames.size()) w.Key("Kind").String(KindName(KindOf(r, r.MediaNames[i])));
    if (i < r.MediaSizes.size()) w.Key("Size").Int(static_cast<int64_t>(r.MediaSizes[i]));
    else w.Key("Size").Raw("null");
    w.EndObject();
  }
  w.EndArray();
  for (const auto& [key, kind] : {std::pair{"Music", TMediaKind::Music}, std::pair{"Sounds", TMediaKind::Sound}}) {
    w.Key(key).BeginArray();
    for (const std::string& n : NamesOfKind(r, kind)) w.String(n);
    w.EndArray();
  }
  w.EndObject();
  return w.Text() + "\n";
}

std::string AsText(const std::string& path, const TReport& r) {
  std::vector<TSaverMedia> media;
  const size_t n = std::max(r.MediaNames.size(), r.MediaSizes.size());
  for (size_t i = 0; i < n; ++i) {
    TSaverMedia& m = media.emplace_back();
    if (i < r.MediaNames.size()) m.Name = r.MediaNames[i];
    m.HasData = i < r.MediaSizes.size();
    if (i < r.MediaNames.size()) m.Kind = KindName(KindOf(r, r.MediaNames[i]));
    if (m.HasData) {
      m.Size = r.MediaSizes[i];
      m.Offset = r.MediaOffsets[i];
    }
  }
  return SaverSummary(path, r.Project, media, r.WindowTextLength);
}

}  // namespace

std::string InspectSaver(const std::string& path, bool json) {
  TReport r;
  Read(path, r);
  return json ? AsJson(r) : AsText(path, r);
}

}  // namespace ky
