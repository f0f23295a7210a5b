#pragma once
// Small pictures and descriptions for the authoring tests, drawn by the tests themselves.
#include <fstream>
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"
#include "graphics/uJpegWriter.h"
#include "graphics/uPngReader.h"
#include "graphics/uPngWriter.h"
#include "testutil.h"

namespace kytest {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";

template <typename F>
ky::TBitmap32 Picture(int w, int h, F colour) {
  ky::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, colour(x, y));
  return b;
}

inline void SaveJpeg(const ky::TBitmap32& b, const std::string& path, int quality = 90) {
  const std::vector<uint8_t> bytes = ky::EncodeJpeg(b, quality);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Runs the tool with the given arguments; stdout and stderr together in *out.
inline int Tool(const std::string& args, std::string* out) { return RunCommand(kTool + " " + args, out); }

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace kytest
