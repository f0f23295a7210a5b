#include "saver/uFramePresent.h"

#include <cstdlib>
#include <cstring>

#include "platform/uText.h"

namespace ky {

bool IsSoftwareRenderer(const std::string& renderer) {
  const std::string r = UpperCaseAscii(renderer);
  return r.find("LLVMPIPE") != std::string::npos || r.find("SOFTPIPE") != std::string::npos ||
         r.find("SWRAST") != std::string::npos;
}

TStretchPath ChooseStretchPath(const std::string& renderer) {
  const char* forced = std::getenv("KYSAVER_FULLSCREEN");
  if (forced && std::strcmp(forced, "cpu") == 0) return TStretchPath::Cpu;
  if (forced && std::strcmp(forced, "gpu") == 0) return TStretchPath::Gpu;
  return IsSoftwareRenderer(renderer) ? TStretchPath::Cpu : TStretchPath::Gpu;
}

TRowSpan TFrameShadow::Update(const TBitmap32& frame) {
  const int w = frame.Width(), h = frame.Height();
  if (!FValid || FFrame.Width() != w || FFrame.Height() != h) {
    FFrame.Assign(frame);
    FValid = true;
    return TRowSpan{0, h - 1};
  }
  const size_t bytes = sizeof(TColor32) * static_cast<size_t>(w);
  auto same = [&](int y) { return std::memcmp(frame.ScanLine(y), FFrame.ScanLine(y), bytes) == 0; };
  TRowSpan span;
  int y = 0;
  while (y < h && same(y)) ++y;
  if (y == h) return span;
  span.First = y;
  span.Last = h - 1;
  while (span.Last > span.First && same(span.Last)) --span.Last;
  for (int r = span.First; r <= span.Last; ++r) std::memcpy(FFrame.ScanLine(r), frame.ScanLine(r), bytes);
  return span;
}

}  // namespace ky
