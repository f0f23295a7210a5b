#pragma once
// Registering a saver for its user: an entry in XScreenSaver's list of hacks and a desktop
// entry that opens its configuration window; and taking both away again.
#include <string>
#include <vector>

namespace ky {

struct TInstallPlaces {
  std::string Home;      // the user's XScreenSaver settings file is Home/.xscreensaver
  std::string DataHome;  // desktop entries go to DataHome/applications
  bool DataHomeIsDefault = true;  // DataHome is Home/.local/share
  // App-defaults files with the system's list of hacks; the first that exists is used.
  std::vector<std::string> DefaultsFiles;
};

// $HOME (else the account's home folder), $XDG_DATA_HOME (else ~/.local/share) and the places
// where Debian and other systems keep XScreenSaver's defaults. Throws TKyError when there is
// no home folder.
TInstallPlaces InstallPlacesFromEnvironment();

// Adds or replaces the saver's entry and writes its desktop entry. displayName: the product
// name as UTF-8. Returns one line saying what changed. Throws TKyError naming the file that
// could not be read or written.
std::string InstallSaver(const TInstallPlaces& places, const std::string& saverPath, const std::string& displayName);

// Undoes InstallSaver: the entry and the desktop entry go, a settings file that InstallSaver made
// goes, and so do the folders it made once empty. Returns one line saying what changed.
std::string UninstallSaver(const TInstallPlaces& places, const std::string& saverPath, const std::string& displayName);

}  // namespace ky
