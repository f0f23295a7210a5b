#pragma once
// Reading a small text file whole for the authoring checks (manifests, scene descriptions,
// objects files), with a bound past which the file is refused instead of read on.
#include <cstddef>
#include <string>

namespace ky {

struct TSmallText {
  enum class TResult { Read, CannotOpen, TooLarge };
  TResult Result = TResult::Read;
  std::string Text;  // the whole file when Read, empty otherwise
};

// The file at path when it holds at most maxBytes; CannotOpen when it cannot be opened, TooLarge
// when it holds more.
TSmallText ReadSmallTextFile(const std::string& path, size_t maxBytes);

}  // namespace ky
