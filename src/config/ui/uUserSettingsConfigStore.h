#pragma once
// The configuration windows' store on the user settings file.
#include "config/uUserSettingsStore.h"
#include "config/ui/uConfigServices.h"

namespace ky {

class TUserSettingsConfigStore final : public TConfigStore {
 public:
  explicit TUserSettingsConfigStore(TUserSettingsAccess access) : FAccess(std::move(access)) {}
  const TUserSettingsAccess& Access() const { return FAccess; }

  bool UserSettingsEnabled() const override { return FAccess.Enabled; }
  void CopyUserSettingsInto(TKyCProject& project) override;
  std::optional<int> ReadPictureIndex(int pictureCount) override;
  void WritePictureIndex(int position) override;
  std::vector<std::string> ReadUncheckedPictures() override;
  void WriteUncheckedPictures(const std::vector<bool>& checked) override;

 private:
  TUserSettingsAccess FAccess;
};

}  // namespace ky
