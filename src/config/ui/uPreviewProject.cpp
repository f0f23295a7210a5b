#include "config/ui/uPreviewProject.h"

#include "package/uCreatorProject.h"

namespace ky {

std::unique_ptr<TKyCProject> MakePreviewProject(const TKyCProject& project, const std::string& picturePath) {
  auto preview = std::make_unique<TKyCProject>();
  preview->FileList().Names = {picturePath};
  preview->FileList().Flags = {kPictureShown};
  const TKyCSetting& from = project.Setting();
  TKyCSetting& to = preview->Setting();
  to.Stretch = from.Stretch;
  to.Proportional = from.Proportional;
  to.DirectX = from.DirectX;
  to.DirectXQuality = from.DirectXQuality;
  to.ShowClock = from.ShowClock;
  to.ClockPos = from.ClockPos;
  to.Speed = from.Speed;
  to.Sound = true;
  to.Music = false;
  return preview;
}

}  // namespace ky
