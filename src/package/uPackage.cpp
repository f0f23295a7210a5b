#include "uPackage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/uError.h"
#include "platform/uFd.h"
#include "platform/uText.h"

namespace ky {

namespace {

// The marker's stored form. Volatile, so the compiler cannot fold the +1 at build time and
// leave the marker itself in the executable.
const volatile unsigned char kStoredMarker[kMarkerLength] = {
    0xA6, 0x4A, 0x78, 0x52, 0x60, 0x6F, 0x60, 0x42, 0x6A, 0x60, 0x20, 0x18, 0xC2};

int OpenForReading(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw TKyError(path + ": cannot open the file (" + std::strerror(errno) + ")");
  return fd;
}

// read() that retries on EINTR and reads until size bytes or end of file.
ssize_t ReadFull(int fd, void* buf, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t r = read(fd, static_cast<char*>(buf) + done, size - done);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return done > 0 ? static_cast<ssize_t>(done) : -1;
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return static_cast<ssize_t>(done);
}

bool WriteFull(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t w = write(fd, data, size);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    data += w;
    size -= static_cast<size_t>(w);
  }
  return true;
}

int32_t LittleEndian32(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

void AppendLittleEndian32(std::string& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out += static_cast<char>((v >> (8 * k)) & 0xFF);
}

// Creates `name` in the folder for writing: an existing regular file or link of that name is
// removed first, and the new file is made exclusively without following links. -1 when it
// cannot be made.
int CreateDestination(const TSectionDestination& d) {
  if (d.DirFd < 0 || d.Name.empty()) return -1;
  struct stat st {};
  if (fstatat(d.DirFd, d.Name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(st.st_mode)) return -1;
    if (unlinkat(d.DirFd, d.Name.c_str(), 0) != 0) return -1;
  }
  return openat(d.DirFd, d.Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// Copies up to length bytes from src (at its current position) to dst, or skips them when dst
// is -1. Returns false when the source ran out early.
bool CopyBytes(int src, int dst, uint64_t length, std::vector<char>& buffer) {
  if (dst < 0) {
    const off_t here = lseek(src, 0, SEEK_CUR);
    const off_t end = lseek(src, 0, SEEK_END);
    if (here < 0 || end < 0) return false;
    const uint64_t left = static_cast<uint64_t>(end - here);
    const uint64_t skip = std::min(left, length);
    lseek(src, here + static_cast<off_t>(skip), SEEK_SET);
    return skip == length;
  }
  // The kernel copies without passing the bytes through user space where it can.
  while (length > 0) {
    const ssize_t c = copy_file_range(src, nullptr, dst, nullptr, static_cast<size_t>(std::min<uint64_t>(length, 1u << 30)), 0);
    if (c < 0 && errno == EINTR) continue;
    if (c <= 0) break;
    length -= static_cast<uint64_t>(c);
  }
  while (length > 0) {
    const ssize_t r = ReadFull(src, buffer.data(), static_cast<size_t>(std::min<uint64_t>(length, buffer.size())));
    if (r <= 0) return false;
    if (!WriteFull(dst, buffer.data(), static_cast<size_t>(r))) {
      // The destination failed: drain the rest so that the following sections stay in place.
      length -= static_cast<uint64_t>(r);
      return CopyBytes(src, -1, length, buffer);
    }
    length -= static_cast<uint64_t>(r);
  }
  return true;
}

}  // namespace

std::string PackageMarker() {
  std::string m(kMarkerLength, '\0');
  for (size_t i = 0; i < kMarkerLength; ++i) m[i] = static_cast<char>(static_cast<unsigned char>(kStoredMarker[i] + 1));
  return m;
}

TMarkerScanner::TMarkerScanner() : FMarker(PackageMarker()) {}

size_t TMarkerScanner::Feed(const unsigned char* data, size_t size) {
  const auto* marker = reinterpret_cast<const unsigned char*>(FMarker.data());
  size_t pos = 0;
  while (pos < size) {
    if (FMatch == 0) {
      // Without a partial match only the first marker byte matters: jump to it.
      const void* hit = std::memchr(data + pos, marker[0], size - pos);
      if (!hit) return npos;
      pos = static_cast<size_t>(static_cast<const unsigned char*>(hit) - data) + 1;
      FMatch = 1;
      if (FMatch == kMarkerLength) { FMatch = 0; return pos; }
      continue;
    }
    const unsigned char b = data[pos++];
    if (b == marker[FMatch]) {
      if (++FMatch == kMarkerLength) {
        FMatch = 0;
        return pos;
      }
    } else {
      FMatch = 0;  // the breaking byte is not tested again as a first byte
    }
  }
  return npos;
}

namespace {

// Scans [begin, end) of the open file for the first marker.
TPackageInfo ScanFile(int fd, uint64_t begin, uint64_t end, size_t chunkSize) {
  std::vector<unsigned char> buf(std::max<size_t>(chunkSize, 1));
  TMarkerScanner scan;
  uint64_t pos = begin;
  while (pos < end) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(buf.size(), end - pos));
    const ssize_t r = pread(fd, buf.data(), want, static_cast<off_t>(pos));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    const size_t hit = scan.Feed(buf.data(), static_cast<size_t>(r));
    if (hit != TMarkerScanner::npos) {
      TPackageInfo info;
      info.Found = true;
      info.Offset = pos + hit;
      unsigned char v[4];
      if (info.Offset + 4 <= end && pread(fd, v, 4, static_cast<off_t>(info.Offset)) == 4) info.FirstValue = LittleEndian32(v);
      return info;
    }
    pos += static_cast<uint64_t>(r);
  }
  return {};
}

}  // namespace

TPackageInfo FindPackage(const std::string& path, size_t chunkSize) {
  TFd fd(OpenForReading(path));
  return ScanFile(fd.Get(), 0, UINT64_MAX, chunkSize);
}

TPackageInfo FindPackageInMemory(std::string_view data) {
  TMarkerScanner scan;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const size_t hit = scan.Feed(bytes, data.size());
  if (hit == TMarkerScanner::npos) return {};
  TPackageInfo info;
  info.Found = true;
  info.Offset = hit;
  if (data.size() - hit >= 4) info.FirstValue = LittleEndian32(bytes + hit);
  return info;
}

std::string SafeMediaName(std::string_view storedName) {
  std::string name = FileNamePart(storedName);
  if (name.empty() || name == "." || name == ".." || name.size() > 255) return {};
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
  return name;
}

TExtractResult ExtractSections(const std::string& path, const std::vector<TSectionDestination>& destinations,
                               uint64_t begin, uint64_t end) {
  TFd src(OpenForReading(path));
  const off_t fileEnd = lseek(src.Get(), 0, SEEK_END);
  if (fileEnd < 0) return {};
  end = std::min<uint64_t>(end, static_cast<uint64_t>(fileEnd));
  const TPackageInfo info = ScanFile(src.Get(), begin, end, 64 * 1024);
  if (!info.Found) return {};
  uint64_t pos = info.Offset + 4;
  if (pos > end || lseek(src.Get(), static_cast<off_t>(pos), SEEK_SET) < 0) return {true, 0};
  const size_t count = info.FirstValue > 0 ? static_cast<size_t>(info.FirstValue) : 0;
  std::vector<char> buffer(256 * 1024);
  size_t k = 0;
  for (; k < count && k < destinations.size(); ++k) {
    unsigned char lenBytes[4];
    if (end - pos < 4 || ReadFull(src.Get(), lenBytes, 4) != 4) break;  // the package ends before this section
    pos += 4;
    const int32_t len = LittleEndian32(lenBytes);
    // A length past the end copies what is there.
    const uint64_t length = std::min<uint64_t>(len > 0 ? static_cast<uint64_t>(len) : 0, end - pos);
    const TFd dst(CreateDestination(destinations[k]));
    if (!CopyBytes(src.Get(), dst.Get(), length, buffer)) { ++k; break; }
    pos += length;
  }
  return {true, k};
}

std::vector<std::string> ReadSectionsInMemory(std::string_view data) {
  std::vector<std::string> sections;
  const TPackageInfo info = FindPackageInMemory(data);
  if (!info.Found || info.FirstValue <= 0) return sections;
  size_t pos = static_cast<size_t>(info.Offset) + 4;
  for (int32_t k = 0; k < info.FirstValue && data.size() - pos >= 4; ++k) {
    const int32_t len = LittleEndian32(reinterpret_cast<const unsigned char*>(data.data()) + pos);
    pos += 4;
    const size_t take = std::min(static_cast<size_t>(len > 0 ? len : 0), data.size() - pos);
    sections.emplace_back(data.substr(pos, take));
    pos += take;
  }
  return sections;
}

TPackageLayout ReadPackageLayout(const std::string& path, uint64_t begin, uint64_t end, size_t maxSections) {
  TPackageLayout layout;
  TFd src(OpenForReading(path));
  const off_t endOff = lseek(src.Get(), 0, SEEK_END);
  if (endOff < 0) return layout;
  end = std::min<uint64_t>(end, static_cast<uint64_t>(endOff));
  layout.Info = ScanFile(src.Get(), begin, end, 64 * 1024);
  if (!layout.Info.Found) return layout;
  uint64_t pos = layout.Info.Offset + 4;
  if (pos > end) layout.Truncated = true;
  // Each section needs at least its 4 length bytes, so the count is bounded by the file.
  for (int32_t k = 0; k < layout.Info.FirstValue && static_cast<size_t>(k) < maxSections; ++k) {
    unsigned char lenBytes[4];
    if (pos + 4 > end || pread(src.Get(), lenBytes, 4, static_cast<off_t>(pos)) != 4) {
      layout.Truncated = true;
      break;
    }
    const int32_t len = LittleEndian32(lenBytes);
    pos += 4;
    const uint64_t declared = len > 0 ? static_cast<uint64_t>(len) : 0;
    const uint64_t take = std::min<uint64_t>(declared, end - pos);
    if (take < declared) layout.Truncated = true;
    layout.Sections.push_back({pos, take, len});
    pos += take;
  }
  return layout;
}

std::string ReadFileRange(const std::string& path, uint64_t offset, uint64_t length) {
  TFd src(OpenForReading(path));
  std::string data(static_cast<size_t>(length), '\0');
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t r = pread(src.Get(), data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) throw TKyError(path + ": the file ends early");
    done += static_cast<size_t>(r);
  }
  return data;
}

std::string BuildPackage(const std::vector<std::string>& sections) {
  std::string out = PackageMarker();
  AppendLittleEndian32(out, static_cast<uint32_t>(sections.size()));
  for (const auto& s : sections) {
    if (s.size() > 0x7FFFFFFFu) throw TKyError("a package section is larger than 2 GiB");
    AppendLittleEndian32(out, static_cast<uint32_t>(s.size()));
    out += s;
  }
  return out;
}

std::string PaddingBeforePackage(const TMarkerScanner& afterFile) {
  if (afterFile.MatchIndex() == 0) return {};
  return std::string(1, static_cast<char>(afterFile.Expected() ^ 0xFF));
}

std::string ReadWholeFile(const std::string& path, size_t maxBytes) {
  TFd fd(OpenForReading(path));
  struct stat st {};
  if (fstat(fd.Get(), &st) != 0) throw TKyError(path + ": cannot read the file");
  if (static_cast<uint64_t>(st.st_size) > maxBytes)
    throw TKyError(path + ": the file is too large (" + std::to_string(st.st_size) + " bytes)");
  std::string data(static_cast<size_t>(st.st_size), '\0');
  const ssize_t r = ReadFull(fd.Get(), data.data(), data.size());
  if (r < 0) throw TKyError(path + ": cannot read the file (" + std::strerror(errno) + ")");
  data.resize(static_cast<size_t>(r));
  return data;
}

}  // namespace ky
