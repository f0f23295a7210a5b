#include "uOffscreenHost.h"

#include <cstdio>

#include "platform/uText.h"

namespace ky {


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
  std::fprintf(stderr, "kysaver: %s\n", UnixLineBreaks(text).c_str());
}

void TOffscreenHost::ShowError(const std::string& text) {
  FLastMessage = text;
  std::fprintf(stderr, "kysaver: %s\n", UnixLineBreaks(text).c_str());
}

}  // namespace ky
