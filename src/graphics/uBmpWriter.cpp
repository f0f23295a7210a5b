#include "graphics/uBmpWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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

// A new file beside the target with a name nobody else holds (created exclusively, never
// following a link that is already there), renamed over the target when all went well and
// removed otherwise.
class TBmpTempFile {
 public:
  explicit TBmpTempFile(const std::string& target) : FTarget(target) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    FName = folder + "/." + name + ".XXXXXX";
    const int fd = mkstemp(FName.data());
    if (fd < 0) Fail();
    fchmod(fd, 0644);
    FFile = fdopen(fd, "wb");
    if (FFile == nullptr) {
      const int e = errno;
      close(fd);
      unlink(FName.c_str());
      errno = e;
      Fail();
    }
  }
  ~TBmpTempFile() {
    if (FFile != nullptr) std::fclose(FFile);
    if (!FRenamed) unlink(FName.c_str());
  }
  TBmpTempFile(const TBmpTempFile&) = delete;
  TBmpTempFile& operator=(const TBmpTempFile&) = delete;

  std::FILE* File() const { return FFile; }

  // written: every write succeeded. Throws when the file could not be finished.
  void Commit(bool written) {
    const bool closed = std::fclose(FFile) == 0;
    FFile = nullptr;
    if (!written || !closed || std::rename(FName.c_str(), FTarget.c_str()) != 0) Fail();
    FRenamed = true;
  }

 private:
  [[noreturn]] void Fail() const {
    FailPicture(FTarget, std::string("cannot write the file (") + std::strerror(errno) + ")");
  }

  std::string FTarget;
  std::string FName;
  std::FILE* FFile = nullptr;
  bool FRenamed = false;
};

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

  TBmpTempFile temp(path);
  bool ok = std::fwrite(header.data(), 1, header.size(), temp.File()) == header.size();
  std::vector<uint8_t> row(stride, 0);
  for (uint32_t y = 0; ok && y < h; ++y) {
    const TColor32* s = bitmap.ScanLine(static_cast<int>(h - 1 - y));
    for (uint32_t x = 0; x < w; ++x) {
      row[3 * x] = static_cast<uint8_t>(s[x]);
      row[3 * x + 1] = static_cast<uint8_t>(s[x] >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(s[x] >> 16);
    }
    ok = std::fwrite(row.data(), 1, stride, temp.File()) == stride;
  }
  temp.Commit(ok);
}

}  // namespace ky
