#include "graphics/uPictureKind.h"

#include <string>
#include <utility>

#include "platform/uText.h"

namespace ky {

TPictureKind PictureKindOf(std::string_view path) {
  const std::string file = FileNamePart(path);
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos) return TPictureKind::Unknown;
  const std::string ext = UpperCaseAscii(std::string_view(file).substr(dot + 1));
  static constexpr std::pair<std::string_view, TPictureKind> kTable[] = {
      {"BMP", TPictureKind::Bmp},      {"ICO", TPictureKind::Icon},  {"EMF", TPictureKind::Metafile},
      {"WMF", TPictureKind::Metafile}, {"JPG", TPictureKind::Jpeg},  {"JPEG", TPictureKind::Jpeg},
      {"GIF", TPictureKind::Gif},      {"PNG", TPictureKind::Png},
  };
  for (const auto& [e, kind] : kTable)
    if (ext == e) return kind;
  return TPictureKind::Unknown;
}

}  // namespace ky
