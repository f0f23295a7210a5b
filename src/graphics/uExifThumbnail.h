#pragma once
// The small JPEG picture a camera keeps in the EXIF block of its photographs, found without
// trusting any offset or count of the block: the block comes from the file, and the file from
// anyone.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace ky {

struct TByteRange {
  size_t Offset = 0;
  size_t Size = 0;
};

// app1 is the payload of a JPEG's APP1 marker as libjpeg saves it: "Exif\0\0", then a TIFF
// structure in either byte order whose second IFD names the thumbnail (JPEGInterchangeFormat,
// JPEGInterchangeFormatLength). Gives the thumbnail's bytes as a range of app1 that lies wholly
// inside it and starts with a JPEG start-of-image marker. Nothing when the block is not EXIF,
// has no thumbnail, or has an offset or count that does not fit: an IFD that overruns the block
// or has more entries than any camera writes, a second IFD that does not lie after the first,
// a thumbnail that overruns the block.
std::optional<TByteRange> FindExifThumbnail(const uint8_t* app1, size_t size);

}  // namespace ky
