#pragma once
// The small picture and the title of one file of the thumbnail grid. Safe to run on any
// thread: it touches nothing but the file and its own results.
#include <string>

#include "graphics/uBitmap32.h"

namespace ky {

// The largest thumbnail side made, in pixels.
constexpr int kMaxThumbnailSide = 2048;

struct TThumbnail {
  TBitmap32 Picture;    // width x height; empty when the file could not be shown
  std::string Title;
  std::string Problem;  // why there is no picture (empty when there is one)
};

// A scene file (".kyp") gives its stored preview and its title; a ".jpg", ".bmp" or ".gif"
// picture its own pixels and its file name. A JPEG gives the thumbnail embedded in its EXIF
// block when that is at least width x height and of the picture's shape within 2 %, else its
// picture decoded at a reduced scale first. Whichever it is, it is stretched over the whole
// thumbnail, without keeping the aspect ratio. A file that is missing, of another kind or cannot
// be read gives no picture, its file name as the title and the problem in words, as does a size
// outside 1..kMaxThumbnailSide; nothing is thrown.
TThumbnail MakeThumbnail(const std::string& path, int width, int height);

}  // namespace ky
