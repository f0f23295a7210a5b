#include "config/ui/thumbnails/uThumbnailSource.h"

#include <sys/stat.h>

#include <exception>

#include "graphics/uGraphicUtil.h"
#include "graphics/uPictureReaders.h"
#include "platform/uText.h"
#include "scene/model/uKyProject.h"

namespace ky {

namespace {

std::string UpperExtension(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : UpperCaseAscii(name.substr(dot));
}

void StretchInto(const TBitmap32& source, int width, int height, TBitmap32& target) {
  target.SetSize(width, height);
  if (source.Width() > 0 && source.Height() > 0) ResizeBilinear(source, target);
  else target.Clear(0xFF000000u);
}

}  // namespace

TThumbnail MakeThumbnail(const std::string& path, int width, int height) {
  TThumbnail t;
  t.Title = FileNamePart(path);
  // The size comes from a window description; a thumbnail larger than any screen would only
  // exhaust memory over a long picture list.
  if (width <= 0 || height <= 0 || width > kMaxThumbnailSide || height > kMaxThumbnailSide) {
    t.Problem = "The thumbnail size is out of range.";
    return t;
  }
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    t.Problem = "The file does not exist.";
    return t;
  }
  const std::string ext = UpperExtension(path);
  try {
    TBitmap32 picture;
    if (ext == ".KYP") {
      TProject scene;
      if (!scene.LoadHeader(path)) {
        t.Problem = scene.LoadError();
        return t;
      }
      t.Title = scene.Title();
      StretchInto(scene.Preview(), width, height, t.Picture);
      return t;
    }
    if (ext == ".JPG") LoadJpegScaledFromFile(path, width, height, picture);
    else if (ext == ".BMP" || ext == ".GIF") LoadPictureFromFile(path, picture);
    else {
      t.Problem = "Not a picture the grid shows.";
      return t;
    }
    StretchInto(picture, width, height, t.Picture);
  } catch (const std::exception& e) {
    t.Picture.SetSize(0, 0);
    t.Problem = e.what();
  }
  return t;
}

}  // namespace ky
