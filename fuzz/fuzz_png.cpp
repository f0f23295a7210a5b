// libFuzzer target: the PNG reader must give a picture or an EPictureError for any input.
#include "graphics/uPictureReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const ky::TPngPicture p = ky::ReadPngFromMemory(data, size, "fuzz.png");
    if (p.HasAlpha && p.AlphaMap.size() != static_cast<size_t>(p.Picture.Width()) * p.Picture.Height()) __builtin_trap();
  } catch (const ky::EPictureError&) {
  } catch (const ky::EBitmapError&) {
  }
  return 0;
}
