#include <gtest/gtest.h>

#include <cstdlib>

#include "saver/uFramePresent.h"

using namespace ky;

TEST(FramePresent, SoftwareRenderersAreKnownByName) {
  struct TCase {
    const char* renderer;
    bool software;
  };
  const TCase cases[] = {{"llvmpipe (LLVM 15.0.6, 256 bits)", true},
                         {"softpipe", true},
                         {"Software Rasterizer (swrast)", true},
                         {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
                         {"NVIDIA GeForce GTX 1060/PCIe/SSE2", false},
                         {"AMD Radeon RX 580 (radeonsi, polaris10, LLVM 15.0.6, DRM 3.49)", false},
                         {"", false}};
  unsetenv("KYSAVER_FULLSCREEN");
  for (const TCase& c : cases) {
    EXPECT_EQ(IsSoftwareRenderer(c.renderer), c.software) << c.renderer;
    EXPECT_EQ(ChooseStretchPath(c.renderer), c.software ? TStretchPath::Cpu : TStretchPath::Gpu) << c.renderer;
  }
  setenv("KYSAVER_FULLSCREEN", "gpu", 1);
  EXPECT_EQ(ChooseStretchPath("llvmpipe"), TStretchPath::Gpu);
  setenv("KYSAVER_FULLSCREEN", "cpu", 1);
  EXPECT_EQ(ChooseStretchPath("NVIDIA GeForce GTX 1060"), TStretchPath::Cpu);
  unsetenv("KYSAVER_FULLSCREEN");
}

TEST(FramePresent, ShadowReportsTheSpanOfChangedRows) {
  TBitmap32 frame(5, 8);
  frame.Clear(MakeColor32(10, 20, 30));
  TFrameShadow shadow;
  TRowSpan s = shadow.Update(frame);  // the first frame: every row
  EXPECT_EQ(s.First, 0);
  EXPECT_EQ(s.Last, 7);
  EXPECT_TRUE(shadow.Update(frame).Empty());
  frame.SetPixel(4, 2, MakeColor32(1, 2, 3));
  frame.SetPixel(0, 5, MakeColor32(1, 2, 3));
  s = shadow.Update(frame);
  EXPECT_EQ(s.First, 2);
  EXPECT_EQ(s.Last, 5);
  EXPECT_EQ(shadow.Frame().Pixel(4, 2), frame.Pixel(4, 2));
  EXPECT_EQ(shadow.Frame().Pixel(0, 5), frame.Pixel(0, 5));
  frame.SetPixel(3, 7, MakeColor32(9, 9, 9));  // one row only
  s = shadow.Update(frame);
  EXPECT_EQ(s.First, 7);
  EXPECT_EQ(s.Last, 7);
  TBitmap32 other(6, 8);  // a new size: every row again
  s = shadow.Update(other);
  EXPECT_EQ(s.First, 0);
  EXPECT_EQ(s.Last, 7);
  EXPECT_EQ(shadow.Frame().Width(), 6);
}
