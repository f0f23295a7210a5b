#include "graphics/uPictureError.h"

#include <string>

#include "graphics/uPictureLimits.h"

namespace ky {

void FailPicture(std::string_view name, std::string_view what) {
  std::string m(name);
  m += ": ";
  m += what;
  throw EPictureError(m);
}

void CheckPictureSize(std::string_view name, int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) FailPicture(name, "picture has no pixels");
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
    FailPicture(name, "picture too large (" + std::to_string(width) + " \u00d7 " + std::to_string(height) + ")");
}

}  // namespace ky
