#pragma once
// The configuration windows' services on the desktop: the user settings file, message boxes,
// the web browser, the wallpaper, the settings dialog, and the one-picture show the program
// hands in.
#include <functional>
#include <string>

#include "config/ui/uConfigServices.h"
#include "config/ui/uUserSettingsConfigStore.h"

namespace ky {

class TQtConfigServices final : public TConfigServices {
 public:
  using TShowRunner = std::function<void(TKyCProject& onePictureProject)>;
  // saverPath: the saver's long path; firstArgument: its first command-line argument ("" for none).
  TQtConfigServices(std::string saverPath, const std::string& firstArgument, TShowRunner runShow);

  TConfigStore& Store() override { return FStore; }
  std::string SaverPath() const override { return FSaverPath; }
  bool RunsAsConfiguredSaver() const override { return FStore.UserSettingsEnabled(); }
  void OpenUrl(const std::string& address) override;
  bool Confirm(QWidget* owner, const std::string& text) override;
  void ShowError(QWidget* owner, const std::string& text) override;
  bool SetWallpaper(const std::string& bmpPath) override;
  void PreviewShow(TKyCProject& onePictureProject) override;
  void OpenSettings(QWidget& owner, TKyCProject& project) override;

 private:
  std::string FSaverPath;
  TUserSettingsConfigStore FStore;
  TShowRunner FRunShow;
};

}  // namespace ky
