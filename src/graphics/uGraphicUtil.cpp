#include "graphics/uGraphicUtil.h"

namespace ky {

void ResizeBilinear(const TBitmap32& source, TBitmap32& dest) {}
void Greyscale(TBitmap32& bitmap) {}
TColor32 MixColour(TColor32 colour1, TColor32 colour2, int percent) { return colour2; }
void StretchLanczos(TBitmap32& source, TBitmap32& dest) {}
void SetBitmapSize(TBitmap32& bitmap, int width, int height, TPixelFormat) { bitmap.SetSize(width, height); }
void SetWallpaper(const TBitmap32& bitmap, const std::string& path) {}
void SaveBitmapToBmpFile(const TBitmap32& bitmap, const std::string& path) {}

}  // namespace ky
