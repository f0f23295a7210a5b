#pragma once
// Writes a surface as an 8-bit RGB PNG (the fourth byte is not written: what the screen shows).
#include <string>

#include "graphics/uBitmap32.h"

namespace ky {

// Throws EPictureError naming the file when it cannot be written.
void SavePngFile(const TBitmap32& bitmap, const std::string& path);

}  // namespace ky
