#include "app/uSaverInstaller.h"

#include <dirent.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "app/uDesktopEntry.h"
#include "app/uHackList.h"
#include "platform/uAtomicFile.h"
#include "platform/uError.h"

namespace ky {

namespace {

constexpr size_t kMaxEntryBytes = 64 * 1024;

std::string SettingsFile(const TInstallPlaces& p) { return p.Home + "/.xscreensaver"; }
std::string ApplicationsFolder(const TInstallPlaces& p) { return p.DataHome + "/applications"; }

struct TDefaults {
  std::string Path;  // empty when the system has none
  std::string Text;
};

TDefaults ReadDefaults(const TInstallPlaces& p) {
  TDefaults d;
  for (const std::string& path : p.DefaultsFiles)
    if (ReadWholeFile(path, d.Text)) {
      d.Path = path;
      break;
    }
  return d;
}

// The desktop entries of this saver in the folder (names only).
std::vector<std::string> EntriesOf(const std::string& folder, const std::string& saverPath) {
  std::vector<std::string> found;
  struct TCloseDir {
    void operator()(DIR* d) const { closedir(d); }
  };
  std::unique_ptr<DIR, TCloseDir> dir(opendir(folder.c_str()));
  if (!dir) return found;
  while (const dirent* e = readdir(dir.get())) {
    const std::string name = e->d_name;
    if (name.rfind("kysaver-", 0) != 0 || name.size() < 8 + 8 || name.compare(name.size() - 8, 8, ".desktop") != 0) continue;
    std::string text;
    try {
      if (ReadWholeFile(folder + "/" + name, text, kMaxEntryBytes) && IsDesktopEntryOf(text, saverPath))
        found.push_back(name);
    } catch (const TKyError&) {
      // Not a file of ours to read: someone else's entry stays as it is.
    }
  }
  return found;
}

// The name the saver's entry gets: its own file when it has one under the name the product
// gives, else the first name no other saver holds.
std::string EntryNameFor(const std::string& folder, const std::string& displayName, const std::string& saverPath) {
  for (int suffix = 1;; ++suffix) {
    const std::string name = DesktopEntryFileName(displayName, saverPath, suffix);
    std::string text;
    bool exists = false;
    try {
      exists = ReadWholeFile(folder + "/" + name, text, kMaxEntryBytes);
    } catch (const TKyError&) {
      exists = true;
    }
    if (!exists || IsDesktopEntryOf(text, saverPath)) return name;
  }
}

}  // namespace

TInstallPlaces InstallPlacesFromEnvironment() {
  TInstallPlaces p;
  const char* home = std::getenv("HOME");
  if (home && *home == '/') {
    p.Home = home;
  } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir == '/') {
    p.Home = pw->pw_dir;
  } else {
    throw TKyError("no home folder: set HOME to the folder that holds .xscreensaver");
  }
  while (p.Home.size() > 1 && p.Home.back() == '/') p.Home.pop_back();
  const char* data = std::getenv("XDG_DATA_HOME");
  // The base directory rules ignore a relative path.
  if (data && *data == '/') {
    p.DataHome = data;
    p.DataHomeIsDefault = false;
  } else {
    p.DataHome = p.Home + "/.local/share";
  }
  p.DefaultsFiles = {"/etc/X11/app-defaults/XScreenSaver", "/usr/share/X11/app-defaults/XScreenSaver",
                     "/usr/lib/X11/app-defaults/XScreenSaver"};
  return p;
}

std::string InstallSaver(const TInstallPlaces& places, const std::string& saverPath, const std::string& displayName) {
  const std::string settings = SettingsFile(places);
  std::string original;
  const bool existed = ReadWholeFile(settings, original);
  const TDefaults defaults = ReadDefaults(places);
  const std::string start = existed ? original : UserFileFromDefaults(defaults.Text);
  const THackEdit edit = AddHack(start, defaults.Text, displayName, saverPath);
  const std::string entryText = DesktopEntryText(displayName, saverPath);

  if (!existed || edit.Text != original) WriteFileAtomically(settings, edit.Text, 0644);
  std::string line = displayName + ": ";
  switch (edit.Change) {
    case THackChange::Added: line += "added to " + settings; break;
    case THackChange::Replaced: line += "entry replaced in " + settings; break;
    default: line += "already in " + settings; break;
  }
  // The number xscreensaver-command -select takes.
  line += " as hack " + std::to_string(HackPosition(edit.Text, saverPath));
  if (!existed)
    line += defaults.Path.empty() ? " (made; XScreenSaver's own list of hacks was not found: is it installed?)" : " (made with the hacks of " + defaults.Path + ")";

  const std::string folder = ApplicationsFolder(places);
  MakeFolders(folder);
  const std::string name = EntryNameFor(folder, displayName, saverPath);
  // An entry under an older product name goes: one saver, one entry.
  for (const std::string& old : EntriesOf(folder, saverPath))
    if (old != name) RemoveFileIfPresent(folder + "/" + old);
  WriteFileAtomically(folder + "/" + name, entryText, 0644);
  return line + "; desktop entry " + folder + "/" + name + " written";
}

std::string UninstallSaver(const TInstallPlaces& places, const std::string& saverPath, const std::string& displayName) {
  const std::string settings = SettingsFile(places);
  std::string line = displayName + ": ";
  std::string original;
  if (!ReadWholeFile(settings, original)) {
    line += "no " + settings;
  } else {
    const THackEdit edit = RemoveHack(original, ReadDefaults(places).Text, saverPath);
    if (edit.Change != THackChange::Removed) {
      line += "not in " + settings;
    } else if (edit.FileNotNeeded) {
      RemoveFileIfPresent(settings);
      line += "removed " + settings + " (made at install, nothing else was in it)";
    } else {
      WriteFileAtomically(settings, edit.Text);
      line += "removed from " + settings;
    }
  }
  const std::string folder = ApplicationsFolder(places);
  const std::vector<std::string> entries = EntriesOf(folder, saverPath);
  for (const std::string& name : entries) RemoveFileIfPresent(folder + "/" + name);
  if (entries.empty()) line += "; no desktop entry";
  else line += "; desktop entry " + folder + "/" + entries.front() + " removed";
  // Folders left empty go; one that holds anything stays (rmdir refuses it).
  rmdir(folder.c_str());
  if (places.DataHomeIsDefault) {
    rmdir(places.DataHome.c_str());
    rmdir((places.Home + "/.local").c_str());
  }
  return line;
}

}  // namespace ky
