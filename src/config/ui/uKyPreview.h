#pragma once
// TKyPreview: shows one picture of the saver rendered once, bilinearly, at exactly the control's
// size (the aspect ratio is not kept); a later resize stretches that rendering.
#include <string>

#include "config/ui/uPaintedControls.h"

namespace ky {

class TKyPreview final : public TKyImage {
 public:
  TKyPreview();
  // Scene files (".kyp") show their full photograph; ".jpg", ".bmp" and ".gif" (any case) their
  // picture; any other file an empty picture. A plain picture that cannot be read throws
  // EPictureError and the previous picture stays.
  void ShowPicture(const std::string& path);
  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
};

}  // namespace ky
