#include "config/ui/uUserSettingsConfigStore.h"

#include <algorithm>

#include "config/uUserSettings.h"
#include "package/uCreatorProject.h"

namespace ky {

void TUserSettingsConfigStore::CopyUserSettingsInto(TKyCProject& project) {
  const TUserSettings s = LoadUserSettings(project, FAccess);
  if (!FAccess.Enabled) return;
  TKyCSetting& p = project.Setting();
  p.ShowImageMode = s.ImageMode;
  p.Duration = s.Duration;
  p.Sound = s.Sound;
  p.Music = s.Music;
  p.Transition = s.Transition;
  // A project speed that no position stands for loads as position 0; unless the user chose a
  // speed, the project keeps its own.
  const bool projectSpeedInTable = std::find(std::begin(kSpeedTable), std::end(kSpeedTable), p.Speed) != std::end(kSpeedTable);
  if (s.Speed >= 0 && s.Speed <= 20 && (projectSpeedInTable || s.Speed != 0)) p.Speed = kSpeedTable[s.Speed];
  p.Stretch = s.ImageSize > 0;
  p.Proportional = s.ImageSize == 2;
}

std::optional<int> TUserSettingsConfigStore::ReadPictureIndex(int pictureCount) {
  const auto index = ky::ReadPictureIndex(FAccess, pictureCount);
  if (!index) return std::nullopt;
  return static_cast<int>(*index);
}

void TUserSettingsConfigStore::WritePictureIndex(int position) { ky::WritePictureIndex(FAccess, position); }

std::vector<std::string> TUserSettingsConfigStore::ReadUncheckedPictures() { return ky::ReadUncheckedPictures(FAccess); }

void TUserSettingsConfigStore::WriteUncheckedPictures(const std::vector<bool>& checked) {
  ky::WriteUncheckedPictures(FAccess, checked);
}

}  // namespace ky
