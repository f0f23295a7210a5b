#include <string>
#include <vector>

#include "app/uKySaverApp.h"
#include "platform/uSignals.h"
#include "saver/window/uQtModes.h"

int main(int argc, char** argv) {
  ky::InstallTerminationHandlers();
  const std::vector<std::string> args(argv + 1, argv + argc);
  ky::TQtModeWindows windows(argc, argv);
  // The package is read from the running executable itself.
  return ky::RunMain(args, "/proc/self/exe", windows);
}
