// libFuzzer target: the BMP reader must give a picture or an EPictureError for any input.
#include "graphics/uPictureReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ky::TBitmap32 b;
  try {
    ky::LoadBmpFromMemory(data, size, b, "fuzz.bmp");
  } catch (const ky::EPictureError&) {
  } catch (const ky::EBitmapError&) {
  }
  return 0;
}
