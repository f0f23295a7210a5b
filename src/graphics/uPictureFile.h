#pragma once
// A picture file read into memory, whole for the readers that decode from memory, or its start.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ky {

// Throws EPictureError when the file cannot be read or is above kMaxPictureFileBytes.
std::vector<uint8_t> ReadPictureFile(const std::string& path);

// The first maxBytes of a picture file (the whole of a shorter one), for what a format keeps at
// its start. Throws EPictureError when the file cannot be read.
std::vector<uint8_t> ReadPictureFileHead(const std::string& path, size_t maxBytes);

}  // namespace ky
