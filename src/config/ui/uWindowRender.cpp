#include "config/ui/uWindowRender.h"

#include <QApplication>

#include "config/ui/FKyConfigWindow.h"
#include "config/ui/uConfigServices.h"

namespace ky {

namespace {

// A store that may not be used and services that do nothing: a drawing has no user.
class TNoStore final : public TConfigStore {
 public:
  bool UserSettingsEnabled() const override { return false; }
  void CopyUserSettingsInto(TKyCProject&) override {}
  std::optional<int> ReadPictureIndex(int) override { return std::nullopt; }
  void WritePictureIndex(int) override {}
  std::vector<std::string> ReadUncheckedPictures() override { return {}; }
  void WriteUncheckedPictures(const std::vector<bool>&) override {}
};

class TNoServices final : public TConfigServices {
 public:
  TConfigStore& Store() override { return FStore; }
  std::string SaverPath() const override { return ""; }
  bool RunsAsConfiguredSaver() const override { return false; }
  void OpenUrl(const std::string&) override {}
  bool Confirm(QWidget*, const std::string&) override { return false; }
  void ShowError(QWidget*, const std::string&) override {}
  bool SetWallpaper(const std::string&) override { return false; }
  void PreviewShow(TKyCProject&) override {}

 private:
  TNoStore FStore;
};

}  // namespace

QImage RenderConfigWindow(const TKyForms& forms, const std::string& formsFileName, TKyCProject& project,
                          const std::string& windowName) {
  TNoServices services;
  TConfigContext context{forms, formsFileName, project, services};
  std::unique_ptr<TfmKyConfigWindow> window = BuildConfigWindow(context, windowName);
  window->show();
  QApplication::processEvents();
  QImage image = window->grab().toImage();
  window->hide();
  return image;
}

}  // namespace ky
