#include "uSceneCommand.h"

#include <cstdio>
#include <cstdlib>

#include "platform/uError.h"
#include "platform/uText.h"
#include "scene/file/uSceneWriter.h"
#include "uObjectAuthoring.h"
#include "uScenePreview.h"
#include "uSceneValidate.h"

namespace ky {

const char kSceneUsage[] =
    "       kysaver-tool scene DESCRIPTION -o OUT.kyp\n"
    "       kysaver-tool scene DESCRIPTION --sheet OUT.png [--seconds S] [--size WxH] [--tiles N] [--overlay]\n";

namespace {

double ParseSeconds(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') throw TKyError("scene: --seconds " + text + ": not a number");
  return v;
}

int ParseWhole(const std::string& option, const std::string& text) {
  const auto n = ParseInteger(text);
  if (!n || *n < 0) throw TKyError("scene: " + option + " " + text + ": not a whole number");
  return *n;
}

void Print(const std::vector<std::string>& lines, const char* kind) {
  for (const std::string& l : lines) std::fprintf(stderr, "kysaver-tool: %s: %s\n", kind, TerminalText(l).c_str());
}

}  // namespace

int SceneCommand(const std::vector<std::string>& args) {
  std::string description, output;
  TScenePreviewRequest preview;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if ((a == "-o" || a == "--output") && hasValue) output = args[++i];
    else if (a == "--sheet" && hasValue) preview.Sheet = args[++i];
    else if (a == "--seconds" && hasValue) preview.Seconds = ParseSeconds(args[++i]);
    else if (a == "--tiles" && hasValue) preview.Tiles = ParseWhole(a, args[++i]);
    else if (a == "--overlay") preview.Overlay = true;
    else if (a == "--size" && hasValue) {
      const std::string v = args[++i];
      const size_t x = v.find_first_of("xX");
      if (x == std::string::npos) throw TKyError("scene: --size " + v + ": expected WxH");
      preview.Width = ParseWhole(a, v.substr(0, x));
      preview.Height = ParseWhole(a, v.substr(x + 1));
      if (preview.Width == 0 || preview.Height == 0) throw TKyError("scene: --size " + v + ": both sides must be at least 1");
    } else if (description.empty() && !a.empty() && a[0] != '-') description = a;
    else throw TKyError("scene: unexpected argument \"" + a + "\"\nusage:\n" + kSceneUsage);
  }
  if (description.empty() || (output.empty() && preview.Sheet.empty()))
    throw TKyError(std::string("scene: a description and -o OUT.kyp or --sheet OUT.png are needed\nusage:\n") + kSceneUsage);

  TSceneFindings findings = CheckSceneDescription(description);
  CheckSceneObjectsFile(description, findings);
  // Every object's picture must be beside the description (the builder packs them from there).
  if (findings.Errors.empty()) CheckSceneObjects(description);
  if (!findings.Errors.empty()) {
    Print(findings.Warnings, "warning");
    Print(findings.Errors, "error");
    return 1;
  }
  const TSceneDescription scene = ReadSceneDescription(description);
  CheckSceneValues(description, scene, findings);
  CheckSceneMask(description, scene, findings);
  Print(findings.Warnings, "warning");
  if (!output.empty()) WriteSceneFile(scene, output);
  if (!preview.Sheet.empty()) {
    const std::string report = PreviewScene(scene, description, preview);
    std::fwrite(report.data(), 1, report.size(), stdout);
  }
  return 0;
}

}  // namespace ky
