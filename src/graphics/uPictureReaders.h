#pragma once
// The one entry point that reads any known picture file, the reader chosen by the extension
// (uPictureKind.h). The readers of single formats are in their own headers, included here for
// the callers that want one of them.
#include <string>

#include "graphics/uBitmap32.h"
#include "graphics/uBmpReader.h"
#include "graphics/uJpegReader.h"
#include "graphics/uPictureError.h"
#include "graphics/uPictureFile.h"
#include "graphics/uPictureKind.h"
#include "graphics/uPictureLimits.h"
#include "graphics/uPngReader.h"

namespace ky {

// Any known picture into target, every alpha 255 (the first frame of a GIF, composited); the
// target's drawing properties and callbacks stay. Icons, metafiles and unknown extensions
// raise EPictureError naming the file, as do unreadable files.
void LoadPictureFromFile(const std::string& path, TBitmap32& target);

}  // namespace ky
