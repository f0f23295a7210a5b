#pragma once
// The user's own choices, stored apart from the authored project in a small INI file, and their
// merge into the project before every show.
#include <string>
#include <vector>

namespace ky {

class TKyCProject;

// The speed positions 0-20 and the animation speed in percent each stands for.
extern const int kSpeedTable[21];

// The settings file of the saver whose long path is exeLongName: the path cut before its last
// "." (searched from the second-to-last character) with ".ini" appended. When the saver's folder
// is not writable, the same file name under $XDG_CONFIG_HOME/kysaver/ (default ~/.config), for
// reading and writing alike.
std::string UserSettingsFileName(const std::string& exeLongName);

// The keys of one section, read line by line: the text before the last "=" of each line (an
// "=" in the first place, or none, adds nothing); keys are not trimmed. For [Files] only: the
// music list is read through the INI functions.
std::vector<std::string> ReadSectionKeys(const std::string& path, const std::string& section);

// Copies the file's values over the project's settings and picture flags; a missing file
// changes nothing.
void ApplyUserSettings(TKyCProject& project, const std::string& settingsFile);

}  // namespace ky
