#pragma once
// The one error type of the program: a reading or set-up error carrying the message the user
// sees. Loaders that report failure by returning false catch it.
#include <stdexcept>
#include <string>

namespace ky {

class TKyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace ky
