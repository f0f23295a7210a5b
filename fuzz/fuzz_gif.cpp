// libFuzzer target: the GIF reader and the frame compositor must cope with any input.
#include "graphics/uGifImage.h"
#include "graphics/uPictureReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const ky::TGifImage g = ky::ReadGifFromMemory(data, size, "fuzz.gif");
    // Composite only small screens: the reader's own limit allows 512 MiB of frames.
    if (static_cast<int64_t>(g.Width) * g.Height * static_cast<int64_t>(g.Frames.size()) <= (int64_t{1} << 22)) {
      const std::vector<ky::TBitmap32> frames = ky::ComposeGifFrames(g);
      if (frames.size() != g.Frames.size()) __builtin_trap();
    }
  } catch (const ky::EPictureError&) {
  } catch (const ky::EBitmapError&) {
  }
  return 0;
}
