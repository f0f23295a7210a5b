#include "uScenePreview.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/uCommonUtil.h"
#include "platform/uError.h"
#include "platform/uIniFile.h"
#include "platform/uText.h"
#include "platform/uTicks.h"
#include "scene/engine/uAnimEngine.h"
#include "scene/file/uSceneWriter.h"
#include "scene/model/uKyProject.h"
#include "scene/records/uRegionCodes.h"
#include "uContactSheet.h"

namespace ky {

namespace {

constexpr uint32_t kFrameMs = 33;
constexpr const char* kWaveColours[kRegionCodeCount] = {"", "blue", "magenta", "red", "yellow", "green", "cyan"};

// The scene as the show would load it: written to a private temporary file, loaded, removed.
class TTemporaryScene {
 public:
  explicit TTemporaryScene(const TSceneDescription& scene) {
    std::string tmpl = TempFolder() + "kysaver-tool-XXXXXX";
    if (!mkdtemp(tmpl.data())) throw TKyError(TempFolder() + ": cannot make a temporary folder for the preview");
    FFolder = tmpl;
    FFile = FFolder + "/preview.kyp";
    WriteSceneFile(scene, FFile);
  }
  ~TTemporaryScene() {
    unlink(FFile.c_str());
    rmdir(FFolder.c_str());
  }
  TTemporaryScene(const TTemporaryScene&) = delete;
  TTemporaryScene& operator=(const TTemporaryScene&) = delete;
  const std::string& File() const { return FFile; }

 private:
  std::string FFolder, FFile;
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Describe(const TProject& p, const std::string& descriptionPath) {
  std::string o;
  std::array<int64_t, kRegionCodeCount> counts{};
  const TBitmap32& m = p.Mask();
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) ++counts[static_cast<size_t>(RegionCodeOf(m.ScanLine(y)[x]))];
  bool anyWater = false;
  for (int c = 1; c < kRegionCodeCount; ++c) {
    if (counts[static_cast<size_t>(c)] == 0) continue;
    anyWater = true;
    const TWaveParam& w = p.WaveSet(c - 1);
    o += "  wave set " + std::to_string(c) + " (" + kWaveColours[c] + "): " + std::to_string(counts[static_cast<size_t>(c)]) +
         " pixels, amplitude " + std::to_string(w.Amplitude) + ", frequency " + std::to_string(w.Frequency) +
         ", phase speed " + std::to_string(w.PhaseSpeed) + ", direction " + std::to_string(w.Direction) +
         (w.Animated ? "" : ", still") + (w.Perspective ? ", perspective" : "") + (w.Reflection ? ", reflection" : "") +
         (w.HorzShift ? ", sideways" : "") + (w.Jitter > 0 ? ", jitter " + std::to_string(w.Jitter) : "") + "\n";
  }
  if (!anyWater) o += "  no water: the mask marks every pixel as dry land\n";
  const TWeatherParam& w = p.Weather();
  if (w.Kind == kWeatherSnow || w.Kind == kWeatherRain)
    o += std::string("  weather: ") + (w.Kind == kWeatherSnow ? "snow, " : "rain, ") + std::to_string(std::min(w.Count, 1000)) +
         (w.Kind == kWeatherSnow ? " flakes" : " drops") + ", opacity " + std::to_string(w.Opacity) + "/10\n";
  else
    o += "  weather: none\n";
  const int sounds = p.SoundCount();
  if (sounds == 0) o += "  sounds: none\n";
  for (int i = 0; i < sounds; ++i) {
    const TSoundSlot& s = p.SoundSlots()[static_cast<size_t>(i)];
    const std::string name = s.FileName();
    const bool found = FileExists(name.size() && name[0] == '/' ? name : FolderOf(descriptionPath) + name);
    o += "  sound " + std::to_string(i + 1) + ": " + TerminalText(name) + ", " +
         SoundScheduleText(s.PlayMode, s.MinInterval, s.MaxInterval) +
         (found ? "" : " (not found beside the description)") + "\n";
  }
  // Objects are listed from their text; the sections name them ([Obj0], [Obj1], ...).
  const std::vector<std::string> sections = TIniFile::FromText(p.ObjectsText()).Sections();
  if (!sections.empty()) {
    o += "  objects: " + std::to_string(sections.size());
    for (const std::string& s : sections) o += " [" + TerminalText(s) + "]";
    o += "\n";
  }
  return o;
}

}  // namespace

std::string SoundScheduleText(int playMode, int minInterval, int maxInterval) {
  switch (playMode) {
    case 0: return "loops for the whole scene";
    case 1:
      return "plays at random intervals of " + std::to_string(minInterval) + " to " + std::to_string(maxInterval) + " s";
    case 2: return "plays every " + std::to_string(minInterval) + " s";
    default: return "play mode " + std::to_string(playMode) + " is not one of 0, 1, 2";
  }
}

void DrawRegionOverlay(TBitmap32& frame, const TBitmap32& mask) {
  if (mask.Width() != frame.Width() || mask.Height() != frame.Height()) throw TKyError("the mask does not match the frame");
  const int a = kOverlayAlpha;
  auto mix = [a](int c, int r) { return (c * (255 - a) + r * a + 127) / 255; };
  for (int y = 0; y < frame.Height(); ++y) {
    TColor32* row = frame.ScanLine(y);
    const TColor32* m = mask.ScanLine(y);
    for (int x = 0; x < frame.Width(); ++x) {
      const int code = RegionCodeOf(m[x]);
      if (code == 0) continue;
      const TColor32 r = RegionColour(code), c = row[x];
      row[x] = MakeColor32(mix(RedComponent(c), RedComponent(r)), mix(GreenComponent(c), GreenComponent(r)),
                           mix(BlueComponent(c), BlueComponent(r)));
    }
  }
}

std::string PreviewScene(const TSceneDescription& scene, const std::string& descriptionPath, const TScenePreviewRequest& r) {
  if (r.Sheet.empty()) throw TKyError("scene: --sheet FILE.png is needed");
  if (!(r.Seconds > 0) || r.Seconds > 600) throw TKyError("scene: --seconds must be more than 0 and at most 600");
  if (r.Tiles < 1 || r.Tiles > 100) throw TKyError("scene: --tiles must be 1 to 100");
  if (r.Width < 0 || r.Height < 0 || r.Width > 8192 || r.Height > 8192) throw TKyError("scene: --size must be at most 8192x8192");

  TTemporaryScene file(scene);
  TProject project;
  if (!project.Load(file.File())) throw TKyError(descriptionPath + ": the scene does not load: " + project.LoadError());
  if (r.Width > 0 && r.Height > 0) project.FitToSize(true, r.Width, r.Height);

  TManualTicks clock(0);
  TAnimEngine engine(clock);
  engine.SetProject(project);
  engine.SetWeather(false);
  engine.Prepare();
  engine.SetWeather(project.Weather().Kind > 0);

  // Frame k is drawn at k x 33 ms; the tiles are the frames nearest to evenly spread times.
  const int frames = std::max(1, static_cast<int>(std::lround(r.Seconds * 1000.0 / kFrameMs)));
  std::vector<int> wanted;
  for (int i = 0; i < r.Tiles; ++i)
    wanted.push_back(r.Tiles == 1 ? 0 : static_cast<int>(std::lround(static_cast<double>(i) * (frames - 1) / (r.Tiles - 1))));
  TContactSheet sheet(r.TileWidth, 4);
  size_t next = 0;
  for (int k = 0; k < frames && next < wanted.size(); ++k) {
    engine.Step();
    while (next < wanted.size() && wanted[next] == k) {
      TBitmap32 frame;
      frame.Assign(engine.GetOutput());
      if (r.Overlay) DrawRegionOverlay(frame, project.Mask());
      sheet.Add(frame);
      ++next;
    }
    clock.Advance(kFrameMs);
  }
  sheet.Save(r.Sheet);

  char when[64];
  std::snprintf(when, sizeof when, "%.2f", (frames - 1) * kFrameMs / 1000.0);
  return TerminalText(descriptionPath) + ": " + std::to_string(project.Picture().Width()) + " x " +
         std::to_string(project.Picture().Height()) + ", " + std::to_string(sheet.Count()) + " frames from 0 to " + when +
         " s on " + TerminalText(r.Sheet) + (r.Overlay ? " (water tinted in its region colours)" : "") + "\n" +
         Describe(project, descriptionPath);
}

}  // namespace ky
