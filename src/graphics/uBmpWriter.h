#pragma once
// Writes a surface as a 24-bit Windows BMP file (rows bottom-up; the fourth byte is dropped).
#include <string>

#include "graphics/uBitmap32.h"

namespace ky {

// The file is written beside path and renamed over it, so a failed write never leaves half a
// file. Throws EPictureError "<path>: cannot write the file (...)".
void SaveBitmapToBmpFile(const TBitmap32& bitmap, const std::string& path);

}  // namespace ky
