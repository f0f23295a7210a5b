#pragma once
// Picture readers, chosen by file extension (compared without regard to case):
//   "bmp" Windows bitmap, "jpg"/"jpeg" JPEG, "gif" GIF (first frame, composited), "png" PNG.
// Any other extension cannot be loaded and raises EPictureError naming the file.
//
// Every reader checks the picture's size in its header before decoding: a side above
// kMaxPictureSide or an area above kMaxPicturePixels is refused with
// "<file>: picture too large (W × H)". Truncated or corrupt files raise EPictureError.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

class EPictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = int64_t{64} * 1024 * 1024;
// Progressive JPEGs with more scans than this are refused (a few dozen is usual).
constexpr int kMaxJpegScans = 100;

enum class TPictureKind { Unknown, Bmp, Icon, Metafile, Jpeg, Gif, Png };

// The reader the extension of path selects.
TPictureKind PictureKindOf(std::string_view path);

// Throws "<name>: picture too large (W × H)" when the size is beyond the limits.
void CheckPictureSize(std::string_view name, int64_t width, int64_t height);

// Any known picture into target, every alpha 255 (the assignment of a picture to a surface).
void LoadPictureFromFile(const std::string& path, TBitmap32& target);

// JPEG at full scale in 24-bit colour; alpha 255. name is used in error messages.
void LoadJpegFromFile(const std::string& path, TBitmap32& target);
void LoadJpegFromMemory(const void* data, size_t size, TBitmap32& target,
                        std::string_view name = "JPEG data");

// A PNG with its alpha channel held separately: Picture has every alpha 255; when the file has
// transparency (an alpha channel or a tRNS chunk) HasAlpha is true and AlphaMap holds one byte
// per pixel, row after row from the top.
struct TPngPicture {
  TBitmap32 Picture;
  bool HasAlpha = false;
  std::vector<uint8_t> AlphaMap;
};
TPngPicture ReadPngFile(const std::string& path);
TPngPicture ReadPngFromMemory(const void* data, size_t size, std::string_view name = "PNG data");

// Windows bitmap; alpha 255.
void LoadBmpFromFile(const std::string& path, TBitmap32& target);
void LoadBmpFromMemory(const void* data, size_t size, TBitmap32& target, std::string_view name = "BMP data");

// The whole file, for the readers that decode from memory. Throws EPictureError when it
// cannot be read.
std::vector<uint8_t> ReadPictureFile(const std::string& path);

}  // namespace ky
