#pragma once
// The project of a one-picture preview show: the given picture alone, taking part, with the
// show options of the configured project; sound on, music off.
#include <memory>
#include <string>

namespace ky {

class TKyCProject;

std::unique_ptr<TKyCProject> MakePreviewProject(const TKyCProject& project, const std::string& picturePath);

}  // namespace ky
