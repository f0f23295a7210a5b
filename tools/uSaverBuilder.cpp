#include "uSaverBuilder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <vector>

#include "package/uCreatorProject.h"
#include "package/uPackage.h"
#include "platform/uError.h"
#include "platform/uIniFile.h"
#include "platform/uText.h"
#include "scene/model/uKyProject.h"
#include "uDefaultWindows.h"
#include "uObjectAuthoring.h"

namespace ky {

namespace {

constexpr size_t kMaxMediaFile = 1u << 30;
constexpr size_t kMaxTextFile = 16u << 20;
constexpr const char* kSettingSections[] = {"General", "Default", "Advance", "Build"};

struct TManifest {
  std::string Path;
  std::string Folder;  // with trailing "/"
  TIniFile Ini;
  std::vector<std::string> Pictures;
  std::vector<std::string> Music;
};

// Lines of a list section: one path each; blank lines and ";" or "#" comments are skipped.
std::vector<std::string> ListSection(const std::vector<std::string>& lines, std::string_view section) {
  std::vector<std::string> items;
  bool inside = false;
  for (const std::string& raw : lines) {
    const std::string_view line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      inside = SameTextAscii(line.substr(1, line.size() - 2), section);
      continue;
    }
    if (inside && !line.empty() && line.front() != ';' && line.front() != '#') items.emplace_back(line);
  }
  return items;
}

TManifest ReadManifest(const std::string& path) {
  TManifest m;
  m.Path = path;
  const size_t slash = path.rfind('/');
  m.Folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string text = ReadWholeFile(path, kMaxTextFile);
  m.Ini = TIniFile::FromText(text);
  const std::vector<std::string> lines = SplitLines(text);
  m.Pictures = ListSection(lines, "Pictures");
  m.Music = ListSection(lines, "Music");
  return m;
}

std::string Resolve(const TManifest& m, const std::string& p) { return (!p.empty() && p[0] == '/') ? p : m.Folder + p; }

const TSettingKey* FindKey(std::string_view section, std::string_view key) {
  for (const TSettingKey& k : SettingKeys())
    if (SameTextAscii(k.Section, section) && SameTextAscii(k.Key, key)) return &k;
  return nullptr;
}

// The settings text: the manifest's settings keys, checked, section by section.
std::string SettingsText(const TManifest& m, const std::string& musicFile, const std::string& previewName) {
  TIniFile out;
  for (const char* section : kSettingSections) {
    for (const std::string& key : m.Ini.SectionKeys(section)) {
      const TSettingKey* k = FindKey(section, key);
      if (!k) throw TKyError(m.Path + ": unknown key \"" + key + "\" in [" + section + "]");
      const std::string value(Trim(m.Ini.ReadString(section, key, "")));
      if (k->Type != TSettingKey::TType::Text && !ParseInteger(value))
        throw TKyError(m.Path + ": [" + section + "] " + key + " = \"" + value + "\" is not a number");
      out.WriteString(k->Section, k->Key, value);
    }
  }
  if (!musicFile.empty()) out.WriteString("Advance", "MusicFile", musicFile);
  if (!previewName.empty()) out.WriteString("Advance", "PreviewFile", previewName);
  return out.ToText();
}

struct TMedia {
  std::string Name;  // the bare name stored in the package
  std::string Bytes;
};

TKyError TooManyMediaFiles(const TManifest& m, size_t count) {
  return TKyError(m.Path + ": the saver would hold " + std::to_string(count) + " media files, more than the " +
                  std::to_string(kMaxMediaFiles) + " a saver may hold");
}

void AddMedia(const TManifest& m, const std::string& entry, std::vector<TMedia>& media, std::set<std::string>& names) {
  // The player refuses a saver of more media files than it may hold, so the tool never writes one.
  if (media.size() >= kMaxMediaFiles) throw TooManyMediaFiles(m, media.size() + 1);
  const std::string path = Resolve(m, entry);
  const std::string name = FileNamePart(entry);
  if (SafeMediaName(name).empty()) throw TKyError(m.Path + ": \"" + entry + "\" is not a usable file name");
  if (!names.insert(name).second) throw TKyError(m.Path + ": two files share the name \"" + name + "\"");
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) throw TKyError(path + ": file not found");
  media.push_back({name, ReadWholeFile(path, kMaxMediaFile)});
}

bool IsPlainPictureName(const std::string& name) {
  const size_t dot = name.rfind('.');
  const std::string ext = dot == std::string::npos ? std::string() : UpperCaseAscii(name.substr(dot));
  return ext == ".JPG" || ext == ".BMP" || ext == ".GIF" || ext == ".PNG";
}

// Every sound a scene's slots name, found by its file-name part beside the manifest or beside
// the scene file. A file that is not a scene (it fails to load as one) names no sounds.
void AddSceneSounds(const TManifest& m, const std::string& entry, std::vector<TMedia>& media, std::set<std::string>& names) {
  const std::string scenePath = Resolve(m, entry);
  if (IsPlainPictureName(FileNamePart(entry))) return;
  TProject scene;
  if (!scene.Load(scenePath)) return;
  // Entries are relative to the manifest, as the pictures are.
  const size_t slash = entry.rfind('/');
  const std::string sceneFolder = slash == std::string::npos ? std::string() : entry.substr(0, slash + 1);
  for (int i = 0; i < scene.SoundCount(); ++i) {
    const std::string stored = scene.SoundSlots()[static_cast<size_t>(i)].FileName();
    const std::string name = FileNamePart(stored);
    if (names.count(name)) continue;  // packed already: scenes may share a sound
    std::string found;
    for (const std::string& candidate : {name, sceneFolder + name}) {
      struct stat st {};
      if (!name.empty() && stat(Resolve(m, candidate).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        found = candidate;
        break;
      }
    }
    if (found.empty())
      throw TKyError(m.Path + ": scene " + entry + ", sound slot " + std::to_string(i + 1) + ": \"" + stored +
                     "\" is found neither beside the manifest nor beside the scene");
    AddMedia(m, found, media, names);
  }
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += "\r\n";
    out += lines[i];
  }
  return out;
}

void WriteExecutable(const std::string& path, const std::string& a, const std::string& b, const std::string& c) {
  const std::string tmp = path + ".part";
  const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
  if (fd < 0) throw TKyError(path + ": cannot write the file (" + std::strerror(errno) + ")");
  bool ok = true;
  for (const std::string* part : {&a, &b, &c}) {
    size_t done = 0;
    while (ok && done < part->size()) {
      const ssize_t w = write(fd, part->data() + done, part->size() - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) ok = false;
      else done += static_cast<size_t>(w);
    }
  }
  ok = fchmod(fd, 0755) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (!ok || rename(tmp.c_str(), path.c_str()) != 0) {
    unlink(tmp.c_str());
    throw TKyError(path + ": cannot write the file");
  }
}

}  // namespace

std::string BuildSaverPackage(const std::string& manifestPath) {
  const TManifest m = ReadManifest(manifestPath);
  if (m.Pictures.empty()) throw TKyError(m.Path + ": [Pictures] lists no picture");
  // Said before any file is read, so a long list fails at once.
  if (m.Pictures.size() + m.Music.size() > kMaxMediaFiles) throw TooManyMediaFiles(m, m.Pictures.size() + m.Music.size());

  std::vector<TMedia> media;
  std::set<std::string> names;
  std::string fileList = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n";
  for (const std::string& p : m.Pictures) {
    AddMedia(m, p, media, names);
    fileList += media.back().Name + "=1\r\n";
  }
  for (const std::string& p : m.Pictures) AddSceneSounds(m, p, media, names);
  // The pictures of scene objects go in under their bare names, where the show looks for them.
  for (const std::string& p : m.Pictures)
    for (const std::string& pic : ObjectPicturesOfPicture(Resolve(m, p), m.Folder)) {
      // Found paths begin with the manifest's folder, which AddMedia puts in front itself.
      const bool prefixed = !m.Folder.empty() && pic.compare(0, m.Folder.size(), m.Folder) == 0;
      if (names.count(FileNamePart(pic)) == 0) AddMedia(m, prefixed ? pic.substr(m.Folder.size()) : pic, media, names);
    }
  std::string musicFile;
  for (const std::string& p : m.Music) {
    AddMedia(m, p, media, names);
    musicFile += media.back().Name + ";";
  }
  std::string previewName;
  const std::string preview(Trim(m.Ini.ReadString("Advance", "PreviewFile", "")));
  if (!preview.empty()) {
    const std::string name = FileNamePart(preview);
    if (names.count(name) == 0) AddMedia(m, preview, media, names);
    previewName = name;
  }

  std::string windowText;
  const std::string ui(Trim(m.Ini.ReadString("UI", "File", "")));
  // Without a description of its own the saver gets the default windows, drawn for its name.
  if (!ui.empty()) windowText = ReadWholeFile(Resolve(m, ui), kMaxTextFile);
  else windowText = DefaultDescriptionFile(std::string(Trim(m.Ini.ReadString("General", "ProductName", "Screensaver"))));
  const std::string uiText = "[UI]\r\nUIFile=" + (ui.empty() ? std::string("KyGUI.kyu") : FileNamePart(ui)) + "\r\n";

  const std::string project = BuildPackage({fileList, SettingsText(m, musicFile, previewName), uiText});
  std::vector<std::string> nameLines, bundle;
  for (TMedia& x : media) {
    nameLines.push_back(x.Name);
    bundle.push_back(std::move(x.Bytes));
  }
  return BuildPackage({project, JoinLines(nameLines), BuildPackage(bundle), windowText});
}

void BuildSaver(const TBuildRequest& r) {
  const std::string package = BuildSaverPackage(r.Manifest);
  const std::string player = ReadWholeFile(r.Player, kMaxMediaFile);
  TMarkerScanner scan;
  if (scan.Feed(reinterpret_cast<const unsigned char*>(player.data()), player.size()) != TMarkerScanner::npos)
    throw TKyError(r.Player + ": this file already holds a saver package; use the plain player");
  const std::string padding = PaddingBeforePackage(scan);
  WriteExecutable(r.Output, player, padding, package);
  // The scan of the finished saver must land exactly on the package just written.
  const TPackageInfo found = FindPackage(r.Output);
  if (!found.Found || found.Offset != player.size() + padding.size() + kMarkerLength)
    throw TKyError(r.Output + ": the package cannot be found again in the written saver");
}

}  // namespace ky
