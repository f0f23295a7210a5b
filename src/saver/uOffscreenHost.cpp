#include "uOffscreenHost.h"

#include <cstdio>

namespace ky {

namespace {
// A CR LF inside a message is a line break.
std::string Lines(std::string text) {
  for (size_t p; (p = text.find("\r\n")) != std::string::npos;) text.replace(p, 2, "\n");
  return text;
}
}  // namespace

TOffscreenHost::TOffscreenHost(int width, int height, TManualTicks& clock, TFrameSink sink, uint32_t frameMs)
    : FWidth(width), FHeight(height), FClock(clock), FSink(std::move(sink)), FFrameMs(frameMs) {}

void TOffscreenHost::Present(const TBitmap32& picture) {
  if (FSink) FSink(picture);
  ++FFrames;
  FClock.Advance(FFrameMs);
}

// Nobody can click a message box here: the text goes to stderr.
void TOffscreenHost::ShowInformation(const std::string& text) {
  FLastMessage = text;
  std::fprintf(stderr, "kysaver: %s\n", Lines(text).c_str());
}

void TOffscreenHost::ShowError(const std::string& text) {
  FLastMessage = text;
  std::fprintf(stderr, "kysaver: %s\n", Lines(text).c_str());
}

}  // namespace ky
