#pragma once
// The text of a window description or a window text file as UTF-8. A byte-order mark decides
// (UTF-8, UTF-16 LE or BE, the mark itself dropped); without one the bytes are read as the other
// 8-bit texts of the program: as they are when valid UTF-8, else as Windows-1252.
#include <string>
#include <string_view>

namespace ky {

std::string DecodeTextBytes(std::string_view bytes);

// The whole file decoded as above. Throws TKyError "<path>: ..." when the file cannot be read or
// is larger than kMaxFormFileBytes.
std::string ReadTextFile(const std::string& path);

// A description holds a few windows with their skin pictures in hexadecimal; far below this.
constexpr size_t kMaxFormFileBytes = size_t{128} * 1024 * 1024;

}  // namespace ky
