// kysaver-tool: authoring and inspection of savers.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/uCommonUtil.h"
#include "uSaverBuilder.h"
#include "platform/uError.h"
#include "platform/uText.h"
#include "scene/uSceneInspect.h"
#include "scene/uSceneWriter.h"
#include "uRender.h"
#include "uSaverInspect.h"

namespace {

constexpr const char kUsage[] =
    "usage: kysaver-tool build MANIFEST -o OUT [--player PATH]\n"
    "       kysaver-tool scene DESCRIPTION -o OUT.kyp\n"
    "       kysaver-tool inspect [--json] FILE\n"
    "       kysaver-tool render SAVER --out DIR --frames N [--size WxH] [--tick T0]\n"
    "                           [--set KEY=VALUE ...] [--no-user-settings] [--sheet FILE]\n";

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
  // Scene files are recognised by their own header; everything else is read as a saver.
  const std::string out = ky::LooksLikeSceneFile(file) ? ky::InspectScene(file, json) : ky::InspectSaver(file, json);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int Scene(const std::vector<std::string>& args) {
  std::string description, output;
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "-o" || args[i] == "--output") && i + 1 < args.size()) output = args[++i];
    else if (description.empty() && !args[i].empty() && args[i][0] != '-') description = args[i];
    else return Fail("scene: unexpected argument \"" + args[i] + "\"\n" + kUsage);
  }
  if (description.empty() || output.empty()) return Fail(std::string("scene: a description and -o OUT are needed\n") + kUsage);
  ky::BuildSceneFile(description, output);
  return 0;
}

int ParseCount(const std::string& option, const std::string& text) {
  const auto n = ky::ParseInteger(text);
  if (!n || *n < 0) throw ky::TKyError(option + " " + text + ": not a number");
  return *n;
}

int Render(const std::vector<std::string>& args) {
  ky::TRenderRequest r;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--out" && hasValue) r.OutDir = args[++i];
    else if (a == "--frames" && hasValue) r.Frames = ParseCount(a, args[++i]);
    else if (a == "--tick" && hasValue) r.StartTick = static_cast<uint32_t>(ParseCount(a, args[++i]));
    else if (a == "--sheet" && hasValue) r.Sheet = args[++i];
    else if (a == "--set" && hasValue) r.Settings.push_back(ky::ParseSetting(args[++i]));
    else if (a == "--no-user-settings") r.UserSettings = false;
    else if (a == "--size" && hasValue) {
      const std::string v = args[++i];
      const size_t x = v.find_first_of("xX");
      if (x == std::string::npos) return Fail("render: --size " + v + ": expected WxH");
      r.Width = ParseCount(a, v.substr(0, x));
      r.Height = ParseCount(a, v.substr(x + 1));
    } else if (r.Saver.empty() && !a.empty() && a[0] != '-') r.Saver = a;
    else return Fail("render: unexpected argument \"" + a + "\"\n" + kUsage);
  }
  if (r.Saver.empty() || r.OutDir.empty() || r.Frames <= 0)
    return Fail(std::string("render: a saver, --out DIR and --frames N are needed\n") + kUsage);
  ky::RenderSaver(r);
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
    if (args[0] == "render") return Render(rest);
    if (args[0] == "scene") return Scene(rest);
    return Fail("unknown command \"" + args[0] + "\"\n" + kUsage);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
