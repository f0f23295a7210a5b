#include "scene/file/uMyStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ky {

TMyStream::TMyStream(const std::string& fileName) {
  FFd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (FFd < 0) throw EInOutError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
  struct stat st {};
  // Only regular files: a FIFO or a device could block or never end.
  if (fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(FFd);
    FFd = -1;
    throw EInOutError("Cannot open file \"" + fileName + "\". Not a regular file");
  }
  FSize = static_cast<uint64_t>(st.st_size);
}

TMyStream::TMyStream(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)), FSize(FBytes.size()) {}

TMyStream::~TMyStream() {
  if (FFd >= 0) close(FFd);
}

void TMyStream::Need(int64_t count) const {
  if (count < 0) throw EInOutError("Invalid length in file");
  if (static_cast<uint64_t>(count) > Remaining()) throw EInOutError("Read beyond end of file");
}

void TMyStream::Read(void* buffer, size_t count) {
  Need(static_cast<int64_t>(count));
  if (count == 0) return;
  if (FFd < 0) {
    std::memcpy(buffer, FBytes.data() + FPos, count);
    FPos += count;
    return;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    const ssize_t r = read(FFd, out + done, count - done);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) throw EInOutError(std::string("Disk read error. ") + std::strerror(errno));
    // The file shrank under us.
    if (r == 0) throw EInOutError("Read beyond end of file");
    done += static_cast<size_t>(r);
  }
  FPos += count;
}

int32_t TMyStream::ReadInt32() {
  uint8_t b[4];
  Read(b, 4);
  return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                              static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

std::vector<uint8_t> TMyStream::ReadBlock(int64_t count) {
  Need(count);
  std::vector<uint8_t> out(static_cast<size_t>(count));
  Read(out.data(), out.size());
  return out;
}

std::string TMyStream::ReadString() {
  const int32_t len = ReadInt32();
  Need(len);
  std::string s(static_cast<size_t>(len), '\0');
  Read(s.data(), s.size());
  return s;
}

std::string TMyStream::ReadMagic() {
  char m[8];
  Read(m, 8);
  return std::string(m, 8);
}

}  // namespace ky
