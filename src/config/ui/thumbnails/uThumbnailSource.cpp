#include "config/ui/thumbnails/uThumbnailSource.h"

#include <sys/stat.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

#include "graphics/uExifThumbnail.h"
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

// The leading bytes of a JPEG read for its header. An APP1 marker holds at most 64 KiB, so
// twice that holds a camera's EXIF block and the frame header behind it.
constexpr size_t kJpegHeadBytes = 128 * 1024;

// Aspect ratios further apart than this mark a thumbnail of another picture: one left from
// before the photograph was cropped or turned.
constexpr int kAspectTolerancePercent = 2;

bool SameShape(const TJpegHeader& thumbnail, const TJpegHeader& picture) {
  // thumbnail's ratio / picture's ratio - 1, kept in integers.
  const int64_t t = int64_t{thumbnail.Width} * picture.Height, p = int64_t{picture.Width} * thumbnail.Height;
  return (t > p ? t - p : p - t) * 100 <= p * kAspectTolerancePercent;
}

// The thumbnail a camera embedded in a JPEG, decoded at the smallest scale not below
// width x height, when it has that size and the main picture's shape. Camera photographs carry
// one, and it costs a fraction of a millisecond against tens for even a scaled decode of the
// main picture. False, and nothing to show from here, when the file has no such thumbnail or
// any part of it cannot be read: the main picture then decides what is shown.
bool LoadEmbeddedThumbnail(const std::string& path, int width, int height, TBitmap32& target) {
  try {
    const std::vector<uint8_t> head = ReadPictureFileHead(path, kJpegHeadBytes);
    const TJpegHeader main = ReadJpegHeader(head.data(), head.size(), path);
    const std::optional<TByteRange> range = FindExifThumbnail(main.Exif.data(), main.Exif.size());
    if (!range) return false;
    const uint8_t* bytes = main.Exif.data() + range->Offset;
    const TJpegHeader small = ReadJpegHeader(bytes, range->Size, path);
    if (small.Width < width || small.Height < height || !SameShape(small, main)) return false;
    LoadJpegScaledFromMemory(bytes, range->Size, width, height, target, path);
    return true;
  } catch (const std::exception&) {
    target.SetSize(0, 0);
    return false;
  }
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
    if (ext == ".JPG") {
      if (!LoadEmbeddedThumbnail(path, width, height, picture)) LoadJpegScaledFromFile(path, width, height, picture);
    } else if (ext == ".BMP" || ext == ".GIF") {
      LoadPictureFromFile(path, picture);
    } else {
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
