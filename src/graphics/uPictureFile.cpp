#include "graphics/uPictureFile.h"

#include <fstream>

#include "graphics/uPictureError.h"
#include "graphics/uPictureLimits.h"

namespace ky {

std::vector<uint8_t> ReadPictureFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary | std::ios::ate);
  if (!f) FailPicture(path, "cannot open the file");
  const std::streamoff size = f.tellg();
  if (size < 0) FailPicture(path, "cannot read the file");
  if (size > kMaxPictureFileBytes) FailPicture(path, "file too large");
  std::vector<uint8_t> data(static_cast<size_t>(size));
  f.seekg(0);
  if (size > 0 && !f.read(reinterpret_cast<char*>(data.data()), size)) FailPicture(path, "cannot read the file");
  return data;
}

std::vector<uint8_t> ReadPictureFileHead(const std::string& path, size_t maxBytes) {
  std::ifstream f(path, std::ios::binary);
  if (!f) FailPicture(path, "cannot open the file");
  std::vector<uint8_t> data(maxBytes);
  f.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(maxBytes));
  if (f.bad()) FailPicture(path, "cannot read the file");
  data.resize(static_cast<size_t>(f.gcount()));
  return data;
}

}  // namespace ky
