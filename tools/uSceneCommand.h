#pragma once
// "kysaver-tool scene": checks a scene description, then writes the scene file (-o) and/or a
// preview sheet (--sheet). Warnings go to stderr and do not stop it; errors do.
#include <string>
#include <vector>

namespace ky {

extern const char kSceneUsage[];

// Returns the exit status; throws TKyError for a failure that stops it.
int SceneCommand(const std::vector<std::string>& args);

}  // namespace ky
