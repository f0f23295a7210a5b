#include "config/ui/uKyPreview.h"

#include <cstring>

#include "config/ui/uCommonProperties.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uPictureReaders.h"
#include "platform/uText.h"
#include "scene/model/uKyProject.h"

namespace ky {

namespace {

std::string UpperExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return UpperCaseAscii(path.substr(dot));
}

}  // namespace

TKyPreview::TKyPreview() { Stretch = true; }

void TKyPreview::ShowPicture(const std::string& path) {
  FFileName = path;
  const std::string ext = UpperExtension(path);
  TBitmap32 source;
  if (ext == ".KYP") {
    // A scene that cannot be read leaves its picture empty: the control shows an empty picture.
    TProject scene;
    scene.Load(path);
    source = std::move(scene.Picture());
  } else if (ext == ".JPG" || ext == ".BMP" || ext == ".GIF") {
    LoadPictureFromFile(path, source);
  }
  Stretch = true;
  const int w = std::max(0, width()), h = std::max(0, height());
  TBitmap32 rendered(w, h);
  rendered.Clear(MakeColor32(0, 0, 0));
  if (!source.Empty() && !rendered.Empty()) ResizeBilinear(source, rendered);
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    std::memcpy(image.scanLine(y), rendered.Bits() + static_cast<size_t>(y) * w, static_cast<size_t>(w) * 4);
  SetPicture(std::move(image), /*isBitmap=*/false);
}

void RegisterKyPreview(TFormClassRegistry& r) {
  TFormClass cls;
  cls.Name = "TKyPreview";
  cls.Base = "TImage";
  cls.Create = [] { return std::make_unique<TKyPreview>(); };
  r.Register(std::move(cls));
}

}  // namespace ky
