#include <string>
#include <vector>

#include "app/uKySaverApp.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // The package is read from the running executable itself.
  return ky::RunMain(args, "/proc/self/exe");
}
