#include "uKySaverApp.h"

#include <cstdio>
#include <exception>
#include <optional>

#include "app/uCommonUtil.h"
#include "app/uExtractPackage.h"
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
  WithExtractedProject(s, [] { /* the show window plugs in here */ });
}

void RunConfigure(TSession& s) {
  WithExtractedProject(s, [] { /* the configuration window plugs in here */ });
}

void RunPreview(TSession& s) {
  if (s.PreviewPicture.empty()) {
    ExtractProject(s);
    s.PreviewPicture = s.Project.Setting().PreviewFile;
  }
  // Drawing into the preview window comes with the show; the files stay for the next start.
}

// There is no screensaver password on Linux: the mode does nothing and ends.
void ChangePassword(TSession&) {}

}  // namespace

TCommandLine ParseArguments(const std::vector<std::string>& args) {
  TCommandLine c;
  if (!args.empty()) c.Switch = UpperCaseAscii(args[0]).substr(0, 2);
  if (args.size() > 1) c.Handle = UpperCaseAscii(args[1]);
  if (IsSpelling(c.Switch, 'A')) c.Mode = TMode::Password;
  else if (IsSpelling(c.Switch, 'S')) c.Mode = TMode::Show;
  else if (IsSpelling(c.Switch, 'C') || c.Switch.empty()) c.Mode = TMode::Configure;
  else if (IsSpelling(c.Switch, 'P')) c.Mode = TMode::Preview;
  return c;
}

int RunMain(const std::vector<std::string>& args, const std::string& exePath) {
  TSession s;
  s.ExePath = exePath;
  try {
    s.WorkFolder().CleanWorkRoot();
    s.Command = ParseArguments(args);
    switch (s.Command.Mode) {
      case TMode::Password: ChangePassword(s); return 0;
      case TMode::Show: RunSaver(s); break;
      case TMode::Configure: RunConfigure(s); break;
      case TMode::Preview: RunPreview(s); return 0;
      case TMode::None: break;
    }
    s.WorkFolder().CleanWorkRoot();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kysaver: %s\n", e.what());
    try {
      s.WorkFolder().CleanWorkRoot();
    } catch (const std::exception&) {
      // The first message already says what is wrong with the folder.
    }
    return 1;
  }
}

}  // namespace ky
