#include "uScenePreview.h"


#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/uError.h"
#include "platform/uIniFile.h"
#include "platform/uText.h"
#include "platform/uTicks.h"
#include "objects/uAnimObjects.h"
#include "objects/uObjectClock.h"
#include "scene/engine/uAnimEngine.h"
#include "scene/file/uSceneWriter.h"
#include "scene/model/uKyProject.h"
#include "scene/records/uRegionCodes.h"
#include "uContactSheet.h"
#include "uSceneSummary.h"
#include "uSoundSchedule.h"
#include "uTemporaryFile.h"

namespace ky {

namespace {

constexpr uint32_t kFrameMs = 33;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}


}  // namespace

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

  // The scene as the show would load it: written out, loaded by the player's loader.
  const std::vector<uint8_t> bytes = EncodeSceneFile(scene);
  const TTemporaryFile file("preview.kyp", bytes.data(), bytes.size());
  // The objects follow the virtual clock without threads; their pictures are found beside the
  // description, as the saver finds them among its extracted files.
  TManualTicks clock(0);
  const TObjectClock objectClock = TObjectClock::ForScene(clock);
  const std::string folder = FolderOf(descriptionPath);
  TProject project;
  project.SetObjectsLoader([&](const std::string& text) { return LoadObjects(text, objectClock, folder); });
  if (!project.Load(file.Path())) throw TKyError(descriptionPath + ": the scene does not load: " + project.LoadError());
  RepointMissingPictures(project.Objects(), folder);
  // Said with the values as written: fitting scales the amplitudes with the picture.
  const std::string summary = SceneSummary(project, FolderOf(descriptionPath), "  ");
  if (r.Width > 0 && r.Height > 0) project.FitToSize(true, r.Width, r.Height);

  TAnimEngine engine(clock);
  TSoundScheduleLog sounds(clock, project, folder);
  engine.SetProject(project);
  engine.SetWeather(false);
  engine.Prepare();
  engine.SetWeather(project.Weather().Kind > 0);

  // Frame k is drawn at k x 33 ms; the tiles are the frames nearest to evenly spread times, a
  // single tile the last frame (at the start every wave has phase 0, so it shows least).
  const int frames = std::max(1, static_cast<int>(std::lround(r.Seconds * 1000.0 / kFrameMs)));
  std::vector<int> wanted;
  for (int i = 0; i < r.Tiles; ++i)
    wanted.push_back(r.Tiles == 1 ? frames - 1 : static_cast<int>(std::lround(static_cast<double>(i) * (frames - 1) / (r.Tiles - 1))));
  TContactSheet sheet(r.TileWidth, 4);
  size_t next = 0;
  for (int k = 0; k < frames; ++k) {
    sounds.Tick();
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
  const std::string span = r.Tiles == 1 ? std::string("1 frame at ") + when : std::to_string(sheet.Count()) + " frames from 0 to " + when;
  return TerminalText(descriptionPath) + ": " + std::to_string(project.Picture().Width()) + " x " +
         std::to_string(project.Picture().Height()) + ", " + span +
         " s on " + TerminalText(r.Sheet) + (r.Overlay ? " (water tinted in its region colours)" : "") + "\n" +
         summary + sounds.Text("  ");
}

}  // namespace ky
