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
#include "scene/model/uSceneInspect.h"
#include "scene/file/uSceneWriter.h"
#include "graphics/uBitmap32.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uPictureReaders.h"
#include "platform/uRandom.h"
#include "saver/effects/PSEffect.h"
#include "saver/effects/uEffectGallery.h"
#include "uRender.h"
#include "uObjectAuthoring.h"
#include "uSaverInspect.h"
#include "uFormInspect.h"
#include "uFormRender.h"
#include "uManifestValidate.h"
#include "uNewProject.h"
#include "uSceneCommand.h"

namespace {

constexpr const char kUsage[] =
    "usage: kysaver-tool new FOLDER [--from PHOTO ...]   (a new saver project that builds at once)\n"
    "       kysaver-tool build MANIFEST -o OUT [--player PATH]\n"
    "       kysaver-tool scene DESCRIPTION -o OUT.kyp\n"
    "       kysaver-tool scene DESCRIPTION --sheet OUT.png [--seconds S] [--size WxH] [--tiles N] [--overlay]\n"
    "       kysaver-tool inspect [--json] FILE\n"
    "       kysaver-tool ui [--json] FILE          (a window description file or one window text)\n"
    "       kysaver-tool ui FILE --window NAME --png OUT.png   (that window drawn off screen)\n"
    "       kysaver-tool render SAVER --out DIR --frames N [--size WxH] [--tick T0]\n"
    "                           [--set KEY=VALUE ...] [--no-user-settings] [--sheet FILE] [--screen]\n"
    "                           [--audio FILE.wav [--audio-channels N]]\n"
    "           --audio writes the sound and music of the rendered span (44.1 kHz 16-bit stereo,\n"
    "           sample 0 at the first frame); MIDI music is written as silence there.\n"
    "           --audio-channels: channels the sound device gives (below 8: the one-sound player)\n"
    "       kysaver-tool render --transition N --percent P [--from A --to B] [--size WxH] --out FILE.png\n"
    "       kysaver-tool render --gallery DIR [--size WxH]\n"
    "       kysaver-tool --version\n";

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
  if (!ky::ReportManifestFindings(ky::CheckManifest(r.Manifest), r.Manifest)) return 1;
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
  const bool scene = ky::LooksLikeSceneFile(file);
  std::string out = scene ? ky::InspectScene(file, json) : ky::InspectSaver(file, json);
  // A scene's objects with every key as loaded go in as one more member.
  const size_t close = out.rfind('}');
  if (scene && json && close != std::string::npos)
    out.insert(close, ",\"Objects\":" + ky::SceneObjectsJson(file));
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

// A window description file or one window text, as the player reads it.
int Ui(const std::vector<std::string>& args) {
  bool json = false;
  std::string file, window, png;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") json = true;
    else if (a == "--window" && i + 1 < args.size()) window = args[++i];
    else if (a == "--png" && i + 1 < args.size()) png = args[++i];
    else if (!a.empty() && a[0] == '-') return Fail("ui: unknown option \"" + a + "\"\n" + kUsage);
    else if (file.empty()) file = a;
    else return Fail("ui: unexpected argument \"" + a + "\"\n" + kUsage);
  }
  if (file.empty()) return Fail(std::string("ui: a file is needed\n") + kUsage);
  if (!png.empty() || !window.empty()) {
    if (png.empty() || window.empty() || json) return Fail(std::string("ui: --window NAME and --png OUT.png go together\n") + kUsage);
    const std::vector<std::string> problems = ky::RenderWindowPng(file, window, png);
    for (const std::string& p : problems) std::fprintf(stderr, "kysaver-tool: ui: %s\n", p.c_str());
    return problems.empty() ? 0 : 1;
  }
  const ky::TFormReport report = ky::InspectWindowFile(file, json);
  std::fwrite(report.Output.data(), 1, report.Output.size(), stdout);
  for (const std::string& p : report.Problems) std::fprintf(stderr, "kysaver-tool: ui: %s\n", p.c_str());
  return report.Problems.empty() ? 0 : 1;
}

int ParseCount(const std::string& option, const std::string& text) {
  const auto n = ky::ParseInteger(text);
  if (!n || *n < 0) throw ky::TKyError(option + " " + text + ": not a number");
  return *n;
}

// A picture file stretched to w x h, or the gallery's sample when no file is given.
ky::TBitmap32 SamplePicture(const std::string& file, int w, int h, bool from) {
  ky::TBitmap32 a, b;
  if (file.empty()) {
    ky::MakeGallerySamples(w, h, a, b);
    return from ? std::move(a) : std::move(b);
  }
  ky::TBitmap32 picture;
  ky::LoadPictureFromFile(file, picture);
  ky::TBitmap32 sized(w, h);
  ky::StretchLanczos(picture, sized);
  return sized;
}

// One frame of one effect, or the gallery of all of them.
int RenderTransition(int effect, int percent, const std::string& from, const std::string& to, int w, int h,
                     const std::string& out, const std::string& gallery) {
  if (!gallery.empty()) {
    ky::WriteTransitionGallery(gallery, w, h);
    std::printf("%s/index.png and one contact sheet per effect\n", gallery.c_str());
    return 0;
  }
  if (!ky::FindTransitionEffect(effect)) return Fail("render: --transition " + std::to_string(effect) + ": no such effect (1-169)");
  if (percent < 0 || percent > 100) return Fail("render: --percent must be 0-100");
  if (out.empty()) return Fail("render: --out FILE.png is needed");
  ky::TRandom random(static_cast<uint32_t>(effect));
  ky::WriteTransitionFrame(out, SamplePicture(from, w, h, true), SamplePicture(to, w, h, false), effect, percent, random);
  return 0;
}

int Render(const std::vector<std::string>& args) {
  ky::TRenderRequest r;
  int effect = 0, percent = -1;
  std::string from, to, gallery;
  bool sized = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--transition" && hasValue) effect = ParseCount(a, args[++i]);
    else if (a == "--percent" && hasValue) percent = ParseCount(a, args[++i]);
    else if (a == "--from" && hasValue) from = args[++i];
    else if (a == "--to" && hasValue) to = args[++i];
    else if (a == "--gallery" && hasValue) gallery = args[++i];
    else if (a == "--out" && hasValue) r.OutDir = args[++i];
    else if (a == "--frames" && hasValue) r.Frames = ParseCount(a, args[++i]);
    else if (a == "--tick" && hasValue) r.StartTick = static_cast<uint32_t>(ParseCount(a, args[++i]));
    else if (a == "--sheet" && hasValue) r.Sheet = args[++i];
    else if (a == "--set" && hasValue) r.Settings.push_back(ky::ParseSetting(args[++i]));
    else if (a == "--no-user-settings") r.UserSettings = false;
    else if (a == "--audio" && hasValue) r.Audio = args[++i];
    else if (a == "--audio-channels" && hasValue) r.AudioChannels = ParseCount(a, args[++i]);
    else if (a == "--screen") r.Screen = true;
    else if (a == "--size" && hasValue) {
      const std::string v = args[++i];
      const size_t x = v.find_first_of("xX");
      if (x == std::string::npos) return Fail("render: --size " + v + ": expected WxH");
      r.Width = ParseCount(a, v.substr(0, x));
      r.Height = ParseCount(a, v.substr(x + 1));
      sized = true;
    } else if (r.Saver.empty() && !a.empty() && a[0] != '-') r.Saver = a;
    else return Fail("render: unexpected argument \"" + a + "\"\n" + kUsage);
  }
  if (effect > 0 || !gallery.empty()) {
    const int w = sized ? r.Width : 320, h = sized ? r.Height : 240;
    if (w <= 0 || h <= 0 || w > 8192 || h > 8192) return Fail("render: --size must be between 1x1 and 8192x8192");
    return RenderTransition(effect, percent < 0 ? 50 : percent, from, to, w, h, r.OutDir, gallery);
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
  if (args[0] == "--version" || args[0] == "-version") {
    std::printf("kysaver-tool %s\n", KYSAVER_VERSION);
    return 0;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  try {
    if (args[0] == "build") return Build(rest);
    if (args[0] == "inspect") return Inspect(rest);
    if (args[0] == "render") return Render(rest);
    if (args[0] == "scene") return ky::SceneCommand(rest);
    if (args[0] == "new") return ky::NewCommand(rest);
    if (args[0] == "ui") return Ui(rest);
    return Fail("unknown command \"" + args[0] + "\"\n" + kUsage);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
