#pragma once
// Small fixtures shared by the test suites: a private temporary folder and file helpers.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kytest {

class TTempDir {
 public:
  TTempDir() {
    std::string tmpl = std::string(std::getenv("TMPDIR") && *std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                       "/kytest-XXXXXX";
    char* p = mkdtemp(tmpl.data());
    if (p) FPath = p;
  }
  ~TTempDir() {
    if (!FPath.empty()) std::system(("chmod -R u+rwx '" + FPath + "' 2>/dev/null; rm -rf '" + FPath + "'").c_str());
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::string& Path() const { return FPath; }
  std::string operator/(const std::string& name) const { return FPath + "/" + name; }
  std::string File(const std::string& name) const { return FPath + "/" + name; }

 private:
  std::string FPath;
};

inline void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& data) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// Runs a shell command and returns its exit status; its stdout and stderr go to *out.
inline int RunCommand(const std::string& command, std::string* out = nullptr) {
  const std::string full = command + " 2>&1";
  FILE* p = popen(full.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  const int status = pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A 24-bit bottom-up BMP of w x h whose pixel (x, y) is colour(x, y) as 0xRRGGBB.
template <typename F>
void WriteBmp24(const std::string& path, int w, int h, F colour) {
  const int stride = (w * 3 + 3) & ~3;
  const uint32_t size = 54u + static_cast<uint32_t>(stride * h);
  std::string b(size, '\0');
  auto put32 = [&](size_t at, uint32_t v) { for (int k = 0; k < 4; ++k) b[at + k] = static_cast<char>(v >> (8 * k)); };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(w));
  put32(22, static_cast<uint32_t>(h));
  b[26] = 1;
  b[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = colour(x, y);
      const size_t at = 54 + static_cast<size_t>(h - 1 - y) * stride + static_cast<size_t>(x) * 3;
      b[at] = static_cast<char>(c & 0xFF);
      b[at + 1] = static_cast<char>((c >> 8) & 0xFF);
      b[at + 2] = static_cast<char>((c >> 16) & 0xFF);
    }
  WriteFile(path, b);
}

}  // namespace kytest
