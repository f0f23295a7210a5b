#pragma once
// What a saver executable or a bare package holds, as text for people or as one JSON object.
#include <string>

namespace ky {

// Throws TKyError naming the file when it holds no package or the package is malformed.
std::string InspectSaver(const std::string& path, bool json);

}  // namespace ky
