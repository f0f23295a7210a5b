#include "uQtModes.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "app/uCommonUtil.h"
#include "app/uExtractPackage.h"
#include "config/uKyForms.h"
#include "config/uUserSettings.h"
#include "config/ui/FKyConfigWindow.h"
#include "config/ui/uQtConfigServices.h"
#include "audio/uAudioLock.h"
#include "audio/uMixerDevice.h"
#include "package/uCreatorProject.h"
#include "platform/uError.h"
#include "platform/uSignals.h"
#include "platform/uX11.h"
#include "saver/FKyScrSvr.h"
#include "saver/window/uForeignShow.h"
#include "saver/window/uShowWindow.h"

namespace ky {

namespace {

// Qt's offscreen and minimal platforms need no display (tests, headless machines).
bool HeadlessPlatform() {
  const char* p = std::getenv("QT_QPA_PLATFORM");
  return p && (std::strncmp(p, "offscreen", 9) == 0 || std::strncmp(p, "minimal", 7) == 0);
}

}  // namespace

TQtModeWindows::TQtModeWindows(int& argc, char** argv, TErrorBox errorBox)
    : FArgc(argc), FArgv(argv), FErrorBox(std::move(errorBox)) {
  // Qt's offscreen and minimal platforms reach nobody: stderr has the message already.
  if (!FErrorBox)
    FErrorBox = [](const std::string& message) {
      if (CanShowMessageBoxes()) ShowMessage(true, message);
    };
}
TQtModeWindows::~TQtModeWindows() = default;

void TQtModeWindows::EnsureApplication() {
  if (FApp) return;
  if (!HeadlessPlatform() && !DisplayAvailable()) throw TKyError("no display to show the saver on");
  FApp = std::make_unique<QApplication>(FArgc, FArgv);
  QApplication::setApplicationName(" ");
  QApplication::setQuitOnLastWindowClosed(false);
}

void TQtModeWindows::RunShow(TKyCProject& project, const std::string& settingsFile) {
  EnsureApplication();
  if (project.FileList().Names.empty()) {
    ShowMessage(false, "This screensaver does not contain any image.");
    return;
  }
  TKyfmScrSvr::PrepareProject(project, settingsFile, /*skipMerge=*/false);
  if (TerminationRequested()) return;
  const TSystemTicks ticks;
  TMixerDevice audio;
  TShowWindow window(project, ticks, /*ignoreInput=*/false);
  window.SetAudioDevice(audio);
  window.RunModal();
}

void TQtModeWindows::RunConfigure(TKyCProject& project) {
  EnsureApplication();
  const std::string saver = LongFileName("/proc/self/exe");
  const std::string firstArgument = FArgc > 1 ? FArgv[1] : "";
  const std::string settingsFile = UserSettingsFileName(saver);
  TKyForms forms;
  // A window whose action block is broken is left out with the box the saver always showed;
  // what is wrong goes to stderr.
  forms.LoadFromFile(project.UISetting().UIFile, [](const std::string& message, const std::string& detail) {
    std::fprintf(stderr, "kysaver: %s\n", detail.c_str());
    ShowMessage(false, message);
  });
  TQtConfigServices services(saver, firstArgument,
                             [this, &settingsFile](TKyCProject& one) { RunShow(one, settingsFile); });
  TConfigContext context{forms, saver + " (" + kWindowFile + ")", project, services};
  // A termination request closes the windows from the innermost out, each as its close box
  // would; the mode then ends normally.
  std::unique_ptr<QSocketNotifier> termination;
  if (TerminationFd() >= 0) {
    termination = std::make_unique<QSocketNotifier>(TerminationFd(), QSocketNotifier::Read);
    QObject::connect(termination.get(), &QSocketNotifier::activated, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        else modal->close();
      }
    });
  }
  if (TerminationRequested()) return;
  ShowConfigWindow(context, "MainWindow");
}

void TQtModeWindows::RunHack(TKyCProject& project, const std::string& settingsFile, const std::string& window) {
  TKyfmScrSvr::PrepareProject(project, settingsFile, /*skipMerge=*/false);
  const TSystemTicks ticks;
  // The daemon starts one hack per monitor: only the one holding the lock plays sound.
  const TAudioLock audioLock;
  std::unique_ptr<TAudioDevice> audio;
  if (audioLock.MayPlay()) audio = std::make_unique<TMixerDevice>();
  else audio = std::make_unique<TSilentDevice>();
  if (!window.empty()) {
    if (!DisplayAvailable()) throw TKyError("no display to show the saver on");
    RunShowInForeignWindow(project, ParseWindowId(window), ticks, *audio);
    return;
  }
  EnsureApplication();
  if (project.FileList().Names.empty()) return;
  TShowWindow w(project, ticks, /*ignoreInput=*/true);
  w.SetAudioDevice(*audio);
  w.RunModal();
}

void TQtModeWindows::DrawPreview(const std::string& handle, const std::string& picture) {
  const unsigned long id = ParseWindowId(handle);
  if (!DisplayAvailable()) throw TKyError("no display to show the saver on");
  DrawPreviewPicture(id, picture);
}

// The message is on stderr already. A user who started the saver from the desktop never sees
// stderr, so wherever a display is there the box shows it too, whether or not a window had been
// made before the error.
void TQtModeWindows::ShowFatalError(const std::string& message) {
  try {
    EnsureApplication();
  } catch (const std::exception&) {
    return;  // no display: stderr is all there is
  }
  FErrorBox(message);
}

}  // namespace ky
