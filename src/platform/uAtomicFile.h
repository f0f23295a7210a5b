#pragma once
// Replacing a small file all at once: readers see the old bytes or the new ones, never half of
// each, and a failure leaves the old file as it was.
#include <string>
#include <string_view>

namespace ky {

// Writes data to path through a new file beside it that is synced and renamed over it. A link
// at path is followed, so the file it points to is the one replaced and the link stays. An
// existing file keeps its permission bits; a new one gets newMode. Throws TKyError naming the
// file when it cannot be written.
void WriteFileAtomically(const std::string& path, std::string_view data, unsigned newMode = 0644);

// The whole file; false when it does not exist. Throws TKyError naming the file when it exists
// but cannot be read, or is larger than maxBytes.
bool ReadWholeFile(const std::string& path, std::string& data, size_t maxBytes = 16u << 20);

// Removes the file; false when there was none. Throws TKyError naming it when it stays.
bool RemoveFileIfPresent(const std::string& path);

// Creates the folder and the missing folders above it (mode 0700 for new ones). Throws TKyError
// naming the folder that cannot be made.
void MakeFolders(const std::string& path);

}  // namespace ky
