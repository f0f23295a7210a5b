#pragma once
// The one error of the picture readers and writers: "<file>: <what went wrong>".
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace ky {

class EPictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws EPictureError "<name>: <what>".
[[noreturn]] void FailPicture(std::string_view name, std::string_view what);

// Throws "<name>: picture too large (W × H)" when the size is beyond the picture limits of
// uPictureLimits.h, and "<name>: picture has no pixels" when a side is 0 or less.
void CheckPictureSize(std::string_view name, int64_t width, int64_t height);

}  // namespace ky
