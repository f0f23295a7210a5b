// libFuzzer target: the EXIF thumbnail reader must stay inside the block for any input. The input
// is taken both as a block by itself and as a JPEG file whose header gives the block; a thumbnail
// found there is decoded as the thumbnail grid does, giving a picture or an EPictureError.
#include <optional>

#include "graphics/uExifThumbnail.h"
#include "graphics/uPictureReaders.h"

namespace {

void Check(const uint8_t* block, size_t size, const std::optional<ky::TByteRange>& range) {
  if (!range) return;
  if (range->Offset > size || range->Size > size - range->Offset || range->Size < 2) __builtin_trap();
  if (block[range->Offset] != 0xFF || block[range->Offset + 1] != 0xD8) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(data, size, ky::FindExifThumbnail(data, size));
  try {
    const ky::TJpegHeader header = ky::ReadJpegHeader(data, size, "fuzz.jpg");
    const std::optional<ky::TByteRange> range = ky::FindExifThumbnail(header.Exif.data(), header.Exif.size());
    Check(header.Exif.data(), header.Exif.size(), range);
    if (!range) return 0;
    ky::TBitmap32 b;
    ky::LoadJpegScaledFromMemory(header.Exif.data() + range->Offset, range->Size, 80, 60, b, "fuzz.jpg");
  } catch (const ky::EPictureError&) {
  } catch (const ky::EBitmapError&) {
  }
  return 0;
}
