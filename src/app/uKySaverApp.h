#pragma once
// The program body: reads the switch, runs one mode and ends.
#include <string>
#include <vector>

namespace ky {

enum class TMode { None, Password, Show, Configure, Preview };

struct TCommandLine {
  std::string Switch;  // first argument upper-cased, cut to two characters
  std::string Handle;  // second argument upper-cased
  TMode Mode = TMode::None;
};

// args excludes the program name.
TCommandLine ParseArguments(const std::vector<std::string>& args);

// Runs the whole life of the process for the executable at exePath; returns the exit status.
// An error that escapes a mode is printed as one line "kysaver: <message>" on stderr (status 1).
int RunMain(const std::vector<std::string>& args, const std::string& exePath);

}  // namespace ky
