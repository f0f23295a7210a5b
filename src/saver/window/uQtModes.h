#pragma once
// The program's windows for the modes: the show (full screen, or in a daemon's window), the
// preview, and the box for an error that ends the process.
#include <functional>
#include <memory>
#include <string>

#include "app/uKySaverApp.h"

class QApplication;

namespace ky {

class TQtModeWindows final : public TModeWindows {
 public:
  // Shows the text of an error that ends the process.
  using TErrorBox = std::function<void(const std::string& message)>;

  // errorBox: the box for fatal errors; by default a message box wherever one can reach a user.
  TQtModeWindows(int& argc, char** argv, TErrorBox errorBox = {});
  ~TQtModeWindows() override;

  void RunShow(TKyCProject& project, const std::string& settingsFile) override;
  void RunConfigure(TKyCProject& project) override;
  void RunHack(TKyCProject& project, const std::string& settingsFile, const std::string& window) override;
  void DrawPreview(const std::string& handle, const std::string& picture) override;
  void ShowFatalError(const std::string& message) override;

 private:
  // The application object, made when a window is first needed. Throws TKyError when there
  // is no display, before Qt would abort the process.
  void EnsureApplication();
  int& FArgc;
  char** FArgv;
  TErrorBox FErrorBox;
  std::unique_ptr<QApplication> FApp;
};

}  // namespace ky
