#include "graphics/uPictureReaders.h"

namespace ky {

TPictureKind PictureKindOf(std::string_view path) { return TPictureKind::Unknown; }
void CheckPictureSize(std::string_view name, int64_t width, int64_t height) {}
void LoadPictureFromFile(const std::string& path, TBitmap32& target) { throw EPictureError(path + ": not yet readable"); }
void LoadJpegFromFile(const std::string& path, TBitmap32& target) { throw EPictureError(path + ": not yet readable"); }
void LoadJpegFromMemory(const void*, size_t, TBitmap32&, std::string_view name) { throw EPictureError(std::string(name) + ": not yet readable"); }
TPngPicture ReadPngFile(const std::string& path) { throw EPictureError(path + ": not yet readable"); }
TPngPicture ReadPngFromMemory(const void*, size_t, std::string_view name) { throw EPictureError(std::string(name) + ": not yet readable"); }
void LoadBmpFromFile(const std::string& path, TBitmap32&) { throw EPictureError(path + ": not yet readable"); }
void LoadBmpFromMemory(const void*, size_t, TBitmap32&, std::string_view name) { throw EPictureError(std::string(name) + ": not yet readable"); }
std::vector<uint8_t> ReadPictureFile(const std::string& path) { throw EPictureError(path + ": not yet readable"); }

}  // namespace ky
