#include "config/ui/settings/uSettingDialogRun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <memory>

#include "config/ui/settings/FSettingWindow.h"
#include "platform/uError.h"
#include "platform/uText.h"

namespace ky {

void FillSettingWindow(TfmSettingWindow& d, const TUserSettings& v) {
  d.cbImageSize->setCurrentIndex(v.ImageSize);
  d.cbShowImageMode->setCurrentIndex(v.ImageMode);
  d.tbSpeed->setValue(v.Speed);
  d.cbSound->setChecked(v.Sound);
  d.cbMusic->setChecked(v.Music);
  d.cbTransition->setChecked(v.Transition);
  d.cbDirectX->setChecked(v.DirectX);
  d.cbImageQuality->setCurrentIndex(v.DirectXQuality);
  d.UpDown1->SetPosition(v.Duration);
  d.cbCustomMusic->setChecked(v.CustomMusic);
  d.cbShuffleMusic->setChecked(v.ShuffleMusic);
  d.cbShowClock->setChecked(v.ShowClock);
  d.cbClockPos->setCurrentIndex(v.ClockPos);
  d.MusicList = v.MusicList;
}

TUserSettings ReadSettingWindow(const TfmSettingWindow& d) {
  TUserSettings v;
  v.Speed = d.tbSpeed->value();
  const std::string duration = d.txtDuration->text().toStdString();
  const std::optional<int32_t> seconds = ParseInteger(duration);
  if (!seconds) throw TKyError("'" + duration + "' is not a valid integer value");
  v.Duration = *seconds;
  v.DirectXQuality = d.cbImageQuality->currentIndex();
  v.ClockPos = d.cbClockPos->currentIndex();
  v.Sound = d.cbSound->isChecked();
  v.Music = d.cbMusic->isChecked();
  v.Transition = d.cbTransition->isChecked();
  v.DirectX = d.cbDirectX->isChecked();
  v.CustomMusic = d.cbCustomMusic->isChecked();
  v.ShuffleMusic = d.cbShuffleMusic->isChecked();
  v.ShowClock = d.cbShowClock->isChecked();
  v.MusicList = d.MusicList;
  v.ImageMode = d.cbShowImageMode->currentIndex();
  v.ImageSize = d.cbImageSize->currentIndex();
  return v;
}

void RunSettingDialog(QWidget* owner, const TKyCProject& project, const TUserSettingsAccess& access) {
  // Freed when the run ends rather than with the owner: each run makes a new dialog, and a
  // window that stays open should not gather them.
  const auto dialog = std::make_unique<TfmSettingWindow>(owner);
  const TUserSettings loaded = LoadUserSettings(project, access);
  dialog->Button1->setEnabled(access.Enabled);
  FillSettingWindow(*dialog, loaded);
  if (dialog->exec() != QDialog::Accepted) return;
  SaveUserSettings(ReadSettingWindow(*dialog), access);
}

}  // namespace ky
