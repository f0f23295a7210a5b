#pragma once
// An in-memory scene for the engine: every picture pixel names its own position, so a frame
// pixel tells which picture pixel it was copied from.
#include <functional>

#include "graphics/uBitmap32.h"
#include "platform/uTicks.h"
#include "scene/engine/uAnimEngine.h"
#include "scene/records/uRegionCodes.h"
#include "scene/model/uKyProject.h"

namespace kytest {

inline ky::TColor32 Id(int x, int y) {
  return 0xFF000000u | (static_cast<uint32_t>(y) << 12) | static_cast<uint32_t>(x);
}
inline int IdX(ky::TColor32 c) { return static_cast<int>(c & 0xFFF); }
inline int IdY(ky::TColor32 c) { return static_cast<int>((c >> 12) & 0xFFF); }

struct TEngineScene {
  ky::TManualTicks Ticks{1000};
  ky::TProject Project;
  ky::TAnimEngine Engine{Ticks};

  // A w x h scene; code(x, y) gives the region code of each pixel. Wave sets start as the
  // file defaults with Perspective off.
  void Make(int w, int h, const std::function<int(int, int)>& code) {
    Project.Picture().SetSize(w, h);
    Project.Mask().SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        Project.Picture().SetPixel(x, y, Id(x, y));
        Project.Mask().SetPixel(x, y, ky::RegionColour(code(x, y)));
      }
    for (auto& wave : Project.WaveSets()) {
      wave = ky::TWaveParam::Defaults();
      wave.Perspective = false;
    }
  }
  ky::TWaveParam& Wave(int i) { return Project.WaveSet(i); }
  void Start() {
    Engine.SetProject(Project);
    Engine.SetWeather(false);
    Engine.Prepare();
  }
  ky::TColor32 Frame(int x, int y) const { return Engine.FrameSurface().Pixel(x, y); }
};

}  // namespace kytest
