#pragma once
// The whole of a picture file, for the readers that decode from memory.
#include <cstdint>
#include <string>
#include <vector>

namespace ky {

// Throws EPictureError when the file cannot be read or is above kMaxPictureFileBytes.
std::vector<uint8_t> ReadPictureFile(const std::string& path);

}  // namespace ky
