#include "config/ui/uQtConfigServices.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "config/ui/settings/uSettingDialogRun.h"
#include "platform/uDesktop.h"

namespace ky {

TQtConfigServices::TQtConfigServices(std::string saverPath, const std::string& firstArgument, TShowRunner runShow)
    : FSaverPath(std::move(saverPath)),
      FStore(UserSettingsAccessFor(FSaverPath, firstArgument)),
      FRunShow(std::move(runShow)) {}

void TQtConfigServices::OpenUrl(const std::string& address) {
  // As the shell's "open": the result is not checked.
  QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(address)));
}

bool TQtConfigServices::Confirm(QWidget* owner, const std::string& text) {
  return QMessageBox::question(owner, QString(), QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

void TQtConfigServices::ShowError(QWidget* owner, const std::string& text) {
  QMessageBox::critical(owner, QString(), QString::fromStdString(text));
}

bool TQtConfigServices::SetWallpaper(const std::string& bmpPath) { return SetDesktopWallpaper(bmpPath); }

void TQtConfigServices::PreviewShow(TKyCProject& onePictureProject) {
  if (FRunShow) FRunShow(onePictureProject);
}

void TQtConfigServices::OpenSettings(QWidget& owner, TKyCProject& project) {
  RunSettingDialog(&owner, project, FStore.Access());
}

}  // namespace ky
