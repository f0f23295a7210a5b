#pragma once
// The program body: reads the switch, runs one mode and ends.
#include <string>
#include <vector>

namespace ky {

enum class TMode { None, Password, Show, Configure, Preview, Hack, Help, Version, Install, Uninstall };

struct TCommandLine {
  std::string Switch;  // first argument upper-cased, cut to two characters
  std::string Handle;  // second argument upper-cased
  TMode Mode = TMode::None;
  // The screensaver daemon's hack mode: the window to draw into ("" for a window of our own).
  std::string HackWindow;
};

// The text of --help.
extern const char* const kUsageText;

// args excludes the program name.
TCommandLine ParseArguments(const std::vector<std::string>& args);

class TKyCProject;

// What the modes do once the project is unpacked; the program fills these with its windows,
// tests with their own.
class TModeWindows {
 public:
  virtual ~TModeWindows() = default;
  // The show; settingsFile is the user's settings file, merged into the project first.
  virtual void RunShow(TKyCProject& project, const std::string& settingsFile) = 0;
  virtual void RunConfigure(TKyCProject& project) = 0;
  // The show inside a window of a screensaver daemon (an X11 window id), or, for "", inside a
  // frameless full-screen window of its own; input does not end it.
  virtual void RunHack(TKyCProject& project, const std::string& settingsFile, const std::string& window) = 0;
  // Draws the preview picture into the window named by the handle text.
  virtual void DrawPreview(const std::string& handle, const std::string& picture) = 0;
  // Shows an error that ends the process where a user can see it (stderr has it already).
  virtual void ShowFatalError(const std::string& message) = 0;
};

// Runs the whole life of the process for the executable at exePath; returns the exit status.
// An error that escapes a mode is printed as one line "kysaver: <message>" on stderr (status 1).
int RunMain(const std::vector<std::string>& args, const std::string& exePath, TModeWindows& windows);

}  // namespace ky
