#include "uKySaverApp.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

#include "app/uCommonUtil.h"
#include "app/uExtractPackage.h"
#include "app/uSaverInstaller.h"
#include "config/uUserSettings.h"
#include "package/uCreatorProject.h"
#include "platform/uText.h"

namespace ky {

namespace {

bool IsSpelling(const std::string& sw, char letter) {
  const char lone[2] = {letter, '\0'};
  return sw == std::string("/") + letter || sw == std::string("-") + letter || sw == lone;
}

// Everything a mode works on, created once by the body.
struct TSession {
  explicit TSession(TModeWindows& w) : Windows(w) {}
  TModeWindows& Windows;
  std::string ExePath;
  TCommandLine Command;
  TKyCProject Project;
  std::optional<TWorkFolder> Work;
  std::string PreviewPicture;

  TWorkFolder& WorkFolder() {
    if (!Work) Work.emplace(TWorkFolder::ForSaver(LongFileName(ExePath)));
    return *Work;
  }
};

void ExtractProject(TSession& s) {
  ExtractPackage(s.Project, LongFileName(s.ExePath), s.WorkFolder());
  // The window descriptions load from UIFile once the configuration window exists.
}

// Runs a mode body, then removes the extracted files whatever happened.
template <typename Body>
void WithExtractedProject(TSession& s, Body&& body) {
  struct TRemover {
    TSession& s;
    ~TRemover() { RemoveExtractedFiles(s.WorkFolder()); }
  } remover{s};
  ExtractProject(s);
  body();
}

void RunSaver(TSession& s) {
  WithExtractedProject(s, [&s] { s.Windows.RunShow(s.Project, UserSettingsFileName(LongFileName(s.ExePath))); });
}

void RunConfigure(TSession& s) {
  WithExtractedProject(s, [&s] { s.Windows.RunConfigure(s.Project); });
}

// Returns true when the preview was drawn: its extracted files then stay, and the next start of
// any mode removes them. Without a preview picture there is nothing to draw and nothing is kept.
bool RunPreview(TSession& s) {
  if (s.PreviewPicture.empty()) {
    ExtractProject(s);
    s.PreviewPicture = s.Project.Setting().PreviewFile;
  }
  if (s.PreviewPicture.empty()) {
    RemoveExtractedFiles(s.WorkFolder());
    return false;
  }
  s.Windows.DrawPreview(s.Command.Handle, s.PreviewPicture);
  return true;
}

// Registers the saver for this user (or takes it away) under its product name.
void RunInstall(TSession& s, bool install) {
  std::string line;
  WithExtractedProject(s, [&] {
    const TInstallPlaces places = InstallPlacesFromEnvironment();
    const std::string saver = LongFileName(s.ExePath);
    const std::string name = DisplayText(s.Project.Setting().ProductName);
    line = install ? InstallSaver(places, saver, name) : UninstallSaver(places, saver, name);
  });
  std::printf("%s\n", line.c_str());
}

// There is no screensaver password on Linux: the mode does nothing and ends.
void ChangePassword(TSession&) {}

}  // namespace

const char* const kUsageText =
    "usage: SAVER [/S | /C | /P WINDOW | /A WINDOW]\n"
    "       SAVER -root | -window-id WINDOW\n"
    "\n"
    "  /S                the show, full screen\n"
    "  /C                the configuration window (also with no argument)\n"
    "  /P WINDOW         the preview picture, drawn into the X11 window WINDOW\n"
    "  /A WINDOW         password change (there is none on Linux: does nothing)\n"
    "  -root             as an XScreenSaver hack: the show in $XSCREENSAVER_WINDOW, else full screen\n"
    "  -window-id ID     as an XScreenSaver hack: the show in the window ID (decimal or 0x hex)\n"
    "  --install         adds the saver to ~/.xscreensaver and the desktop's applications\n"
    "  --uninstall       takes both away again\n"
    "  --help, --version\n"
    "Each switch may also be written -S or S; only its first two characters count.\n";

namespace {

// The screensaver daemon's own switches, in its single- and double-dash forms. They are looked
// for before the two-character switches, which they would otherwise be cut down to.
bool ParseDaemonArguments(const std::vector<std::string>& args, TCommandLine& c) {
  bool hack = false;
  std::string window;
  bool explicitWindow = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-help" || a == "-h") { c.Mode = TMode::Help; return true; }
    if (a == "--version" || a == "-version") { c.Mode = TMode::Version; return true; }
    if (a == "--install" || a == "-install") { c.Mode = TMode::Install; return true; }
    if (a == "--uninstall" || a == "-uninstall") { c.Mode = TMode::Uninstall; return true; }
    if (a == "-root" || a == "--root") {
      hack = true;
    } else if ((a == "-window-id" || a == "--window-id") && i + 1 < args.size()) {
      hack = true;
      explicitWindow = true;
      window = args[++i];
    }
  }
  if (!hack) return false;
  if (!explicitWindow) {
    const char* w = std::getenv("XSCREENSAVER_WINDOW");
    window = (w && *w) ? w : "";
  }
  c.Mode = TMode::Hack;
  c.HackWindow = window;
  return true;
}

}  // namespace

TCommandLine ParseArguments(const std::vector<std::string>& args) {
  TCommandLine c;
  if (ParseDaemonArguments(args, c)) return c;
  if (!args.empty()) c.Switch = UpperCaseAscii(args[0]).substr(0, 2);
  if (args.size() > 1) c.Handle = UpperCaseAscii(args[1]);
  if (IsSpelling(c.Switch, 'A')) c.Mode = TMode::Password;
  else if (IsSpelling(c.Switch, 'S')) c.Mode = TMode::Show;
  else if (IsSpelling(c.Switch, 'C') || c.Switch.empty()) c.Mode = TMode::Configure;
  else if (IsSpelling(c.Switch, 'P')) c.Mode = TMode::Preview;
  return c;
}

int RunMain(const std::vector<std::string>& args, const std::string& exePath, TModeWindows& windows) {
  TSession s(windows);
  s.ExePath = exePath;
  s.Command = ParseArguments(args);
  if (s.Command.Mode == TMode::Help) {
    std::fputs(kUsageText, stdout);
    return 0;
  }
  if (s.Command.Mode == TMode::Version) {
    std::printf("kysaver %s\n", KYSAVER_VERSION);
    return 0;
  }
  try {
    s.WorkFolder().CleanWorkRoot();
    switch (s.Command.Mode) {
      case TMode::Password: ChangePassword(s); return 0;
      case TMode::Show: RunSaver(s); break;
      case TMode::Configure: RunConfigure(s); break;
      case TMode::Preview:
        if (RunPreview(s)) return 0;
        break;
      case TMode::Hack:
        WithExtractedProject(s, [&s] {
          s.Windows.RunHack(s.Project, UserSettingsFileName(LongFileName(s.ExePath)), s.Command.HackWindow);
        });
        break;
      case TMode::Install: RunInstall(s, true); break;
      case TMode::Uninstall: RunInstall(s, false); break;
      case TMode::Help:
      case TMode::Version:
      case TMode::None: break;
    }
    s.WorkFolder().CleanWorkRoot();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kysaver: %s\n", e.what());
    windows.ShowFatalError(e.what());
    try {
      s.WorkFolder().CleanWorkRoot();
    } catch (const std::exception&) {
      // The first message already says what is wrong with the folder.
    }
    return 1;
  }
}

}  // namespace ky
