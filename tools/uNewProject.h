#pragma once
// "kysaver-tool new": lays out a saver project that builds at once. For every photo given: a
// copy of it, a mask template (the photo dimmed, every pixel dry land, ready for the water to be
// painted in the region colours), a scene description with first wave values and the scene
// file made from them; without photos, one drawn example scene whose lake already moves. Then a
// manifest listing the scenes and a README of the next steps.
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

struct TNewProjectRequest {
  std::string Folder;               // made by the tool; an existing one must be empty
  std::vector<std::string> Photos;  // JPEG or PNG files
};

// Returns what was made, for the user; throws TKyError naming the folder or photo at fault.
// Nothing is ever overwritten.
std::string MakeNewProject(const TNewProjectRequest& request);

// The mask template of a photo: every channel halved, so no pixel can equal a region colour
// (each of those has a channel at 255).
TBitmap32 DimmedMaskTemplate(const TBitmap32& photo);

int NewCommand(const std::vector<std::string>& args);

}  // namespace ky
