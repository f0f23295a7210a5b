#pragma once
// The show inside a window that belongs to someone else (a screensaver daemon's window): frames
// are put into it with X11, the show follows its size, and it ends when the window goes or a
// termination signal comes. Input in that window is the owner's, not ours.
#include <string>

#include "audio/uAudioDevice.h"
#include "platform/uTicks.h"

namespace ky {

class TKyCProject;

void RunShowInForeignWindow(TKyCProject& project, unsigned long window, const TTickSource& ticks, TAudioDevice& audio);

// The preview: waits until the window is shown (30 s at most), then leaves the picture
// stretched over it as its background.
void DrawPreviewPicture(unsigned long window, const std::string& jpegFile);

}  // namespace ky
