#include "graphics/uBmpWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics/uPictureError.h"

namespace ky {

namespace {

void PutLE16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void PutLE32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

void SaveBitmapToBmpFile(const TBitmap32& bitmap, const std::string& path) {
  const uint32_t w = static_cast<uint32_t>(bitmap.Width()), h = static_cast<uint32_t>(bitmap.Height());
  const uint32_t stride = (w * 3 + 3) & ~3u;
  const uint64_t imageBytes = uint64_t{stride} * h;
  if (imageBytes > 0x7FFFFFFFu - 54) FailPicture(path, "picture too large to save");
  std::vector<uint8_t> header(54, 0);
  header[0] = 'B';
  header[1] = 'M';
  PutLE32(header, 2, static_cast<uint32_t>(54 + imageBytes));
  PutLE32(header, 10, 54);
  PutLE32(header, 14, 40);
  PutLE32(header, 18, w);
  PutLE32(header, 22, h);  // positive: rows bottom-up
  PutLE16(header, 26, 1);
  PutLE16(header, 28, 24);
  PutLE32(header, 34, static_cast<uint32_t>(imageBytes));
  PutLE32(header, 38, 2835);  // 72 dpi
  PutLE32(header, 42, 2835);

  // Written beside the target and renamed, so a failed write never leaves half a file.
  const std::string temp = path + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) throw EPictureError(path + ": cannot write the file (" + std::strerror(errno) + ")");
  bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size();
  std::vector<uint8_t> row(stride, 0);
  for (uint32_t y = 0; ok && y < h; ++y) {
    const TColor32* s = bitmap.ScanLine(static_cast<int>(h - 1 - y));
    for (uint32_t x = 0; x < w; ++x) {
      row[3 * x] = static_cast<uint8_t>(s[x]);
      row[3 * x + 1] = static_cast<uint8_t>(s[x] >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(s[x] >> 16);
    }
    ok = std::fwrite(row.data(), 1, stride, f) == stride;
  }
  ok = (std::fclose(f) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string why = std::strerror(errno);
    std::remove(temp.c_str());
    throw EPictureError(path + ": cannot write the file (" + why + ")");
  }
}

}  // namespace ky
