#pragma once
// The list of hacks in a user's XScreenSaver settings file (the "programs:" resource), edited as
// text: a saver's entry is added as a line of its own at the end of the list and removed
// byte for byte, so that adding and then removing gives back exactly the file there was.
//
// The resource's value runs over lines that end in a backslash; entries inside it end in the
// two characters "\n". An entry reads: [-] [visual:] ["Pretty name"] command.
#include <string>

namespace ky {

enum class THackChange { Added, Replaced, Unchanged, Removed, Absent };

struct THackEdit {
  std::string Text;
  THackChange Change = THackChange::Unchanged;
  // Nothing is left that the daemon would not read from the system's defaults anyway: the file
  // was made by AddHack and can go.
  bool FileNotNeeded = false;
};

// The command the daemon runs for the saver: its path, quoted for the shell when it needs
// to be, and "-root". Throws TKyError for a path with a line break or another control character.
std::string HackCommand(const std::string& saverPath);

// The settings file a user without one starts with: a comment and the list of hacks of the
// system's defaults (an app-defaults file; its "*programs:" resource). Every other setting is
// left out, so the daemon keeps reading it from the system's defaults.
std::string UserFileFromDefaults(const std::string& defaultsText);

// Adds the saver as ["prettyName" command] or replaces the entry whose command runs saverPath.
// A file without a list of hacks gets the system's list first (the daemon would otherwise
// forget it).
THackEdit AddHack(const std::string& text, const std::string& defaultsText, const std::string& prettyName,
                  const std::string& saverPath);

// Removes the entry whose command runs saverPath, undoing what AddHack did. A list AddHack
// brought from the system's defaults goes with it when nothing else changed.
THackEdit RemoveHack(const std::string& text, const std::string& defaultsText, const std::string& saverPath);

// The place of the saver's entry in the list, counted from 1 as xscreensaver-command -select
// counts (disabled entries too); 0 when it has none.
size_t HackPosition(const std::string& text, const std::string& saverPath);

}  // namespace ky
