#pragma once
// The authoring side: turns a manifest into a finished saver executable.
//
// The manifest is an INI text. [General], [Default], [Advance] and [Build] hold settings keys,
// copied into the saver's settings; [Pictures] lists one picture file per line in show order;
// [Music] lists music files (they go into "MusicFile"); [UI] "File" names the window
// description (without it the saver gets the default windows of uDefaultWindows.h). A [Advance] "PreviewFile" is a picture file that goes into the package. Paths are
// relative to the manifest's folder.
#include <string>

namespace ky {

struct TBuildRequest {
  std::string Manifest;
  std::string Output;
  std::string Player;  // the player executable the package is appended to
};

// Throws TKyError naming the manifest or the file at fault.
void BuildSaver(const TBuildRequest& request);

// The package alone (what BuildSaver appends), for tests and other writers.
std::string BuildSaverPackage(const std::string& manifestPath);

}  // namespace ky
