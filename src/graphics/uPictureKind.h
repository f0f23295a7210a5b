#pragma once
// Which reader a picture file needs, by its extension (compared without regard to case):
//   "bmp" Windows bitmap, "jpg"/"jpeg" JPEG, "gif" GIF, "png" PNG; "ico", "emf" and "wmf" are
// known but cannot be read; anything else is Unknown.
#include <string_view>

namespace ky {

enum class TPictureKind { Unknown, Bmp, Icon, Metafile, Jpeg, Gif, Png };

TPictureKind PictureKindOf(std::string_view path);

}  // namespace ky
