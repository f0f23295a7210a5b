// kysaver-tool: authoring and inspection of savers.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/uCommonUtil.h"
#include "uSaverBuilder.h"
#include "uSaverInspect.h"

namespace {

constexpr const char kUsage[] =
    "usage: kysaver-tool build MANIFEST -o OUT [--player PATH]\n"
    "       kysaver-tool inspect [--json] FILE\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "kysaver-tool: %s\n", message.c_str());
  return 1;
}

std::string DefaultPlayer() {
  const std::string self = ky::LongFileName("/proc/self/exe");
  const size_t slash = self.rfind('/');
  return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/kysaver";
}

int Build(const std::vector<std::string>& args) {
  ky::TBuildRequest r;
  r.Player = DefaultPlayer();
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "-o" || args[i] == "--output") && i + 1 < args.size()) r.Output = args[++i];
    else if (args[i] == "--player" && i + 1 < args.size()) r.Player = args[++i];
    else if (r.Manifest.empty() && !args[i].empty() && args[i][0] != '-') r.Manifest = args[i];
    else return Fail("build: unexpected argument \"" + args[i] + "\"\n" + kUsage);
  }
  if (r.Manifest.empty() || r.Output.empty()) return Fail(std::string("build: a manifest and -o OUT are needed\n") + kUsage);
  ky::BuildSaver(r);
  return 0;
}

int Inspect(const std::vector<std::string>& args) {
  bool json = false;
  std::string file;
  for (const std::string& a : args) {
    if (a == "--json") json = true;
    else if (file.empty()) file = a;
    else return Fail("inspect: unexpected argument \"" + a + "\"\n" + kUsage);
  }
  if (file.empty()) return Fail(std::string("inspect: a file is needed\n") + kUsage);
  const std::string out = ky::InspectSaver(file, json);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 1 : 0;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  try {
    if (args[0] == "build") return Build(rest);
    if (args[0] == "inspect") return Inspect(rest);
    return Fail("unknown command \"" + args[0] + "\"\n" + kUsage);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
