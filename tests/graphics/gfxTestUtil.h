#pragma once
// Small helpers for the graphics tests: files, external tools and test pictures (the temporary
// folder is testutil.h's).
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"
#include "testutil.h"

namespace kytest {

// Runs a shell command line; returns its exit status.
inline int Shell(const std::string& cmd) {
  const int rc = std::system(cmd.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

inline bool HaveProgram(const std::string& name) {
  return Shell("command -v " + name + " >/dev/null 2>&1") == 0;
}

// A deterministic picture with smooth areas, hard edges and fine detail.
inline ky::TBitmap32 TestPicture(int w, int h, uint32_t seed = 1) {
  ky::TBitmap32 b(w, h);
  uint32_t s = seed;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      s = s * 1103515245u + 12345u;
      const int r = (x * 255) / std::max(w - 1, 1);
      const int g = ((x / 7 + y / 5) % 2) ? 220 : 30;
      const int bl = (y * 255) / std::max(h - 1, 1) / 2 + static_cast<int>((s >> 16) & 63);
      b.SetPixel(x, y, ky::MakeColor32(r, g, bl, 255));
    }
  return b;
}

// Binary PPM (P6), for handing pictures to external tools.
inline void WritePpm(const ky::TBitmap32& b, const std::string& path) {
  std::ofstream f(path, std::ios::binary);
  f << "P6\n" << b.Width() << " " << b.Height() << "\n255\n";
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const ky::TColor32 c = b.Pixel(x, y);
      const char px[3] = {static_cast<char>(ky::RedComponent(c)), static_cast<char>(ky::GreenComponent(c)),
                          static_cast<char>(ky::BlueComponent(c))};
      f.write(px, 3);
    }
}

// Reads a binary PPM written by an external tool (maxval 255).
inline bool ReadPpm(const std::string& path, ky::TBitmap32& b) {
  std::ifstream f(path, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  f >> magic >> w >> h >> maxval;
  f.get();
  if (!f || magic != "P6" || maxval != 255 || w <= 0 || h <= 0) return false;
  b.SetSize(w, h);
  std::vector<unsigned char> row(static_cast<size_t>(w) * 3);
  for (int y = 0; y < h; ++y) {
    if (!f.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size()))) return false;
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, ky::MakeColor32(row[3 * x], row[3 * x + 1], row[3 * x + 2], 255));
  }
  return true;
}

}  // namespace kytest
