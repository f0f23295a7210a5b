// Objects in the engine's frame: drawn over the water, under the weather and the clock.
#include <gtest/gtest.h>

#include "objTestUtil.h"
#include "scene/engine/uAnimEngine.h"
#include "scene/engine/uClock.h"
#include "scene/model/uKyProject.h"
#include "scene/records/uRegionCodes.h"

using namespace ky;

TEST(ObjectsInTheEngine, OverTheWaterUnderTheWeatherAndTheClock) {
  kytest::TTempDir dir;
  // An opaque red picture as large as the scene, standing at its centre, covers every pixel.
  kytest::WritePngRgba(dir / "red.png", 64, 48, std::vector<uint32_t>(64 * 48, 0xFFFF0000u));
  for (const bool snow : {false, true}) {
    TManualTicks ticks(0);
    TProject project;
    project.Picture().SetSize(64, 48);
    project.Mask().SetSize(64, 48);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) {
        project.Picture().SetPixel(x, y, MakeColor32(x * 4, y * 5, 90));
        project.Mask().SetPixel(x, y, RegionColour(1));
      }
    for (auto& w : project.WaveSets()) w = TWaveParam::Defaults();
    if (snow) project.Weather() = TWeatherParam{1, 400, 10, 4, 0, 10};
    project.Objects() = LoadObjects("[Obj0]\r\nObjType=IMG\r\nFilename=" + dir / "red.png" + "\r\nPosLeft=32\r\nPosTop=24\r\n",
                                    TObjectClock::ForScene(ticks), "");
    TAnimEngine engine(ticks);
    engine.SetShowClock(true);
    engine.Clock().Position = 3;
    engine.SetProject(project);
    engine.SetWeather(false);
    engine.Prepare();
    engine.SetWeather(snow);
    int notRedOutside = 0, notRedInside = 0;
    for (int frame = 1; frame <= 10; ++frame) {
      ticks.Set(static_cast<uint32_t>(33 * frame));
      engine.Step();
      const TBitmap32& out = engine.GetOutput();
      const TPoint p = engine.Clock().GetPosition(64, 48);
      const TRect clock{p.X, p.Y, p.X + engine.Clock().ClockWidth(), p.Y + engine.Clock().ClockHeight()};
      for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
          const bool red = (out.Pixel(x, y) & 0xFFFFFFu) == 0xFF0000u;
          if (clock.Contains(x, y)) notRedInside += !red;
          else notRedOutside += !red;
        }
    }
    // The water never shows through the object; the clock always covers it; snow, when it
    // falls, covers it here and there.
    EXPECT_GT(notRedInside, 0) << snow;
    if (snow) EXPECT_GT(notRedOutside, 0);
    else EXPECT_EQ(notRedOutside, 0);
  }
}
