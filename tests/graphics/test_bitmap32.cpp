#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "graphics/uBitmap32.h"

using namespace ky;

namespace {

using TPixelSet = std::set<std::pair<int, int>>;

// The pixels of b that differ from background.
TPixelSet Touched(const TBitmap32& b, TColor32 background) {
  TPixelSet s;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Pixel(x, y) != background) s.insert({x, y});
  return s;
}

// Every pixel a different value: its index plus a recognisable high part.
void FillIndexed(TBitmap32& b, TColor32 base = 0x40000000u) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, base + static_cast<TColor32>(y * b.Width() + x));
}

}  // namespace

TEST(Color32, MakeColor32TakesEachValueModulo256) {
  EXPECT_EQ(MakeColor32(1, 2, 3, 4), 0x04010203u);
  EXPECT_EQ(MakeColor32(256 + 1, -1, 3, 255), 0xFF01FF03u);
  EXPECT_EQ(MakeColor32(10, 20, 30), 0xFF0A141Eu);  // opaque unless told otherwise
  EXPECT_EQ(Color32FromWinColor(0x00332211), MakeColor32(0x11, 0x22, 0x33, 255));
  EXPECT_EQ(WinColorFromColor32(MakeColor32(0x11, 0x22, 0x33, 9)), 0x00332211);
}

TEST(Bitmap32, SizeChangesZeroThePixelsAndTheSameSizeKeepsThem) {
  TBitmap32 b;
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 0);
  b.SetSize(3, 2);
  EXPECT_EQ(Touched(b, 0), TPixelSet{});
  b.Clear(0xFFFFFFFFu);
  b.SetSize(3, 2);
  EXPECT_EQ(b.Pixel(2, 1), 0xFFFFFFFFu);
  b.SetSize(2, 3);
  EXPECT_EQ(Touched(b, 0), TPixelSet{});
  b.SetWidth(5);
  EXPECT_EQ(b.Width(), 5);
  EXPECT_EQ(b.Height(), 3);
  b.SetHeight(-4);
  EXPECT_EQ(b.Height(), 0);
  EXPECT_TRUE(b.Empty());
  b.SetSize(-1, -1);
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.ClipRect(), TRect{});
}

TEST(Bitmap32, MemoryThatCannotBeHadLeavesTheSurfaceEmpty) {
  TBitmap32 b(4, 4);
  try {
    b.SetSize(40000, 40000);
    FAIL() << "a 1.6-gigapixel surface was allocated";
  } catch (const EBitmapError& e) {
    EXPECT_STREQ(e.what(), "surface too large (40000 \u00d7 40000 pixels, at most 134217728)");
  }
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 0);
  EXPECT_EQ(b.Bits(), nullptr);
}

TEST(Bitmap32, SurfacesAboveTheLargestSizeAreRefusedBeforeAnyAllocation) {
  // 128 Mi pixels (512 MiB) is the largest surface: one pixel row or column more is refused.
  struct TCase {
    int w, h;
  };
  for (const TCase c : {TCase{16384, 8193}, TCase{8193, 16384}, TCase{134217729, 1}, TCase{1, 134217729},
                        TCase{32768, 32768}}) {
    TBitmap32 b(2, 2);
    try {
      b.SetSize(c.w, c.h);
      ADD_FAILURE() << c.w << " x " << c.h << " was allocated";
    } catch (const EBitmapError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("surface too large (" + std::to_string(c.w) + " \u00d7 " +
                                                std::to_string(c.h) + " pixels",
                                            0),
                0u)
          << e.what();
    }
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Bits(), nullptr);
  }
}

TEST(Bitmap32, RowsAreContiguousTopDown) {
  TBitmap32 b(3, 2);
  b.SetPixel(2, 0, 7);
  b.SetPixel(0, 1, 9);
  EXPECT_EQ(b.Bits()[2], 7u);
  EXPECT_EQ(b.Bits()[3], 9u);
  EXPECT_EQ(b.ScanLine(1), b.Bits() + 3);
  EXPECT_EQ(b.PixelS(-1, 0), 0u);
  EXPECT_EQ(b.PixelS(3, 1), 0u);
  b.SetPixelS(5, 5, 1);  // ignored
  EXPECT_EQ(b.PixelS(0, 1), 9u);
}

TEST(Bitmap32, ClearAndFillRectOverwriteAlphaAndAnOpaqueDrawCopiesIt) {
  TBitmap32 src(4, 3), dst(4, 3);
  src.Clear(0x12345678u);
  EXPECT_EQ(Touched(src, 0x12345678u), TPixelSet{});
  src.FillRect(1, 1, 3, 2, 0x00ABCDEFu);  // alpha 0, no blending
  EXPECT_EQ(src.Pixel(1, 1), 0x00ABCDEFu);
  EXPECT_EQ(src.Pixel(2, 1), 0x00ABCDEFu);
  EXPECT_EQ(src.Pixel(3, 1), 0x12345678u);
  EXPECT_EQ(src.Pixel(1, 2), 0x12345678u);
  dst.Clear(0xFFFFFFFFu);
  dst.Draw(0, 0, src);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.Pixel(x, y), src.Pixel(x, y)) << x << "," << y;
}

TEST(Bitmap32, BlendOfAColourFollowsTheRule) {
  // Each channel B + (F - B) * a / 255: with a = 128, 0 -> 200 gives 100.4, 200 -> 0 gives 99.6.
  TBitmap32 b(1, 1);
  const TColor32 back = MakeColor32(0, 100, 200, 255);
  const struct {
    TColor32 F;
    TColor32 Expected;
  } cases[] = {
      {MakeColor32(200, 100, 0, 128), MakeColor32(100, 100, 100, 255)},
      {MakeColor32(200, 100, 0, 0), back},
      {MakeColor32(200, 100, 0, 255), MakeColor32(200, 100, 0, 255)},
      {MakeColor32(255, 0, 0, 51), MakeColor32(51, 80, 160, 255)},
  };
  for (const auto& c : cases) {
    b.Clear(back);
    b.BlendPixel(0, 0, c.F);
    EXPECT_EQ(b.Pixel(0, 0), c.Expected) << std::hex << c.F;
    EXPECT_EQ(BlendColor(c.F, back, c.F >> 24), c.Expected);
  }
}

TEST(Bitmap32, BlendLineLeavesOutTheEndPointUnlessLast) {
  const TColor32 white = 0xFFFFFFFFu;
  const struct {
    int x1, y1, x2, y2;
    bool last;
    TPixelSet expected;
  } cases[] = {
      {0, 0, 3, 0, false, {{0, 0}, {1, 0}, {2, 0}}},
      {0, 0, 3, 0, true, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
      {3, 1, 0, 1, false, {{3, 1}, {2, 1}, {1, 1}}},
      {0, 0, 0, 3, false, {{0, 0}, {0, 1}, {0, 2}}},
      {1, 3, 1, 0, true, {{1, 3}, {1, 2}, {1, 1}, {1, 0}}},
      {0, 0, 3, 3, false, {{0, 0}, {1, 1}, {2, 2}}},
      {3, 0, 0, 3, false, {{3, 0}, {2, 1}, {1, 2}}},
      // Shallow: y = x / 2, halves taken forward.
      {0, 0, 4, 2, false, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
      // Steep: x = y / 3 rounded.
      {0, 0, 1, 3, true, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
      {2, 2, 2, 2, false, {}},
      {2, 2, 2, 2, true, {{2, 2}}},
      // Clipped pixel by pixel.
      {-2, 1, 7, 1, false, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}},
      {-1, -1, 2, 2, true, {{0, 0}, {1, 1}, {2, 2}}},
      // Far outside: only the visible steps are walked.
      {-1000000000, 1, 1000000000, 2, false, {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}},
      {2, -2000000000, 2, 2000000000, false, {{2, 0}, {2, 1}, {2, 2}, {2, 3}}},
  };
  for (const auto& c : cases) {
    TBitmap32 b(5, 4);
    b.BlendLine(c.x1, c.y1, c.x2, c.y2, white, c.last);
    EXPECT_EQ(Touched(b, 0), c.expected) << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2 << " last " << c.last;
  }
}

TEST(Bitmap32, BlendSpanInEitherOrderAndClipped) {
  const TColor32 white = 0xFFFFFFFFu;
  const struct {
    int x1, y, x2;
    TPixelSet expected;
  } cases[] = {
      {1, 0, 3, {{1, 0}, {2, 0}, {3, 0}}},
      {3, 0, 1, {{1, 0}, {2, 0}, {3, 0}}},
      {-3, 1, 1, {{0, 1}, {1, 1}}},
      {2, 1, 10, {{2, 1}, {3, 1}}},
      {10, 1, -10, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
      {0, 2, 3, {}},
      {0, -1, 3, {}},
      {5, 0, 9, {}},
  };
  for (const auto& c : cases) {
    TBitmap32 b(4, 2);
    b.BlendSpan(c.x1, c.y, c.x2, white);
    EXPECT_EQ(Touched(b, 0), c.expected) << c.x1 << " " << c.y << " " << c.x2;
  }
}

TEST(Bitmap32, ClipRectBoundsBlendsAndDraws) {
  TBitmap32 b(4, 4), src(4, 4);
  b.SetClipRect(TRect{1, 1, 3, 9});
  EXPECT_EQ(b.ClipRect(), (TRect{1, 1, 3, 4}));
  b.BlendPixel(0, 0, 0xFFFFFFFFu);
  b.BlendSpan(0, 1, 3, 0xFFFFFFFFu);
  EXPECT_EQ(Touched(b, 0), (TPixelSet{{1, 1}, {2, 1}}));
  b.Clear(0);
  src.Clear(0xFF0000FFu);
  b.Draw(0, 0, src);
  EXPECT_EQ(Touched(b, 0), (TPixelSet{{1, 1}, {2, 1}, {1, 2}, {2, 2}, {1, 3}, {2, 3}}));
  b.ResetClipRect();
  EXPECT_EQ(b.ClipRect(), b.BoundsRect());
}

TEST(Bitmap32, DrawModes) {
  const TColor32 back = MakeColor32(0, 100, 200, 255);
  TBitmap32 src(2, 1);
  src.SetPixel(0, 0, MakeColor32(200, 100, 0, 128));
  src.SetPixel(1, 0, MakeColor32(9, 9, 9, 255));
  TBitmap32 dst(2, 1);

  dst.Clear(back);
  dst.Draw(0, 0, src);  // dmOpaque
  EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(0, 0));

  src.SetDrawMode(dmBlend);
  dst.Clear(back);
  dst.Draw(0, 0, src);
  EXPECT_EQ(dst.Pixel(0, 0), MakeColor32(100, 100, 100, 255));
  EXPECT_EQ(dst.Pixel(1, 0), MakeColor32(9, 9, 9, 255));
  // Master alpha 128 scales alpha 128 to round(64.25) = 64: 200 * 64 / 255 = 50.2, 200 - 50.2.
  src.SetMasterAlpha(128);
  dst.Clear(back);
  dst.Draw(0, 0, src);
  EXPECT_EQ(dst.Pixel(0, 0), MakeColor32(50, 100, 150, 255));
  src.SetMasterAlpha(0);
  dst.Clear(back);
  dst.Draw(0, 0, src);
  EXPECT_EQ(Touched(dst, back), TPixelSet{});

  src.SetDrawMode(dmTransparent);
  src.SetOuterColor(MakeColor32(9, 9, 9, 255));
  dst.Clear(back);
  dst.Draw(0, 0, src);
  EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(0, 0));
  EXPECT_EQ(dst.Pixel(1, 0), back);
}

TEST(Bitmap32, CustomDrawWithoutCombineIsAnOpaqueCopy) {
  TBitmap32 src(3, 2), dst(3, 2);
  FillIndexed(src, 0x01000000u);  // alphas well below 255
  src.SetDrawMode(dmCustom);
  src.SetMasterAlpha(10);
  src.SetPixelAlpha([](int, int) { return 0u; });
  dst.Clear(0xFFFFFFFFu);
  dst.Draw(0, 0, src);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.Pixel(x, y), src.Pixel(x, y));
}

TEST(Bitmap32, CustomDrawHandsTheCombineMasterAlpha) {
  TBitmap32 src(2, 2), dst(2, 2);
  FillIndexed(src);
  src.SetDrawMode(dmCustom);
  src.SetMasterAlpha(77);
  std::vector<uint32_t> seen;
  src.SetOnPixelCombine([&](TColor32 F, TColor32& B, uint32_t M) {
    seen.push_back(M);
    B = F + 1;
  });
  dst.Draw(0, 0, src);
  EXPECT_EQ(seen, std::vector<uint32_t>(4, 77u));
  EXPECT_EQ(dst.Pixel(1, 1), src.Pixel(1, 1) + 1);
}

TEST(Bitmap32, PixelAlphaOffsetsCountFromTheDrawnPartOfAClippedSource) {
  // A 6 x 2 source drawn at (-3, 1) onto a 4 x 4 surface: source columns 3..5 show at x 0..2.
  TBitmap32 src(6, 2), dst(4, 4);
  FillIndexed(src);
  src.SetDrawMode(dmCustom);
  std::vector<std::tuple<int, int>> asked;
  src.SetPixelAlpha([&](int x, int y) {
    asked.emplace_back(x, y);
    return static_cast<uint32_t>(10 * x + y);
  });
  std::vector<std::tuple<TColor32, uint32_t>> combined;
  src.SetOnPixelCombine([&](TColor32 F, TColor32& B, uint32_t M) {
    combined.emplace_back(F, M);
    B = F;
  });
  dst.Draw(-3, 1, src);
  ASSERT_EQ(asked.size(), 6u);
  ASSERT_EQ(combined.size(), 6u);
  for (size_t i = 0; i < asked.size(); ++i) {
    const int x = std::get<0>(asked[i]), y = std::get<1>(asked[i]);
    EXPECT_GE(x, 0);
    EXPECT_LE(x, 2);
    // The pixel combined with that alpha is the source pixel at (3 + x, y).
    EXPECT_EQ(std::get<0>(combined[i]), src.Pixel(3 + x, y));
    EXPECT_EQ(std::get<1>(combined[i]), static_cast<uint32_t>(10 * x + y));
  }
  EXPECT_EQ(std::get<0>(asked.front()), 0);
  EXPECT_EQ(std::get<1>(asked.front()), 0);
  EXPECT_EQ(dst.Pixel(0, 1), src.Pixel(3, 0));
  EXPECT_EQ(dst.Pixel(2, 2), src.Pixel(5, 1));
  EXPECT_EQ(dst.Pixel(3, 1), 0u);
}

TEST(Bitmap32, StretchedPixelAlphaOffsetsAreScaledDestinationOffsets) {
  // A 4 x 4 source stretched to 8 x 8 at (-4, 0) onto 4 x 8: the drawn area is x 0..3, and the
  // offsets are (dx - 0) * 4 / 8 and dy * 4 / 8.
  TBitmap32 src(4, 4), dst(4, 8);
  src.Clear(0xFF808080u);
  src.SetDrawMode(dmCustom);
  src.SetStretchFilter(sfDraft);
  FillIndexed(dst, 0);
  std::vector<std::pair<int, int>> asked;
  src.SetPixelAlpha([&](int x, int y) {
    asked.emplace_back(x, y);
    return 255u;
  });
  std::vector<TColor32> where;
  src.SetOnPixelCombine([&](TColor32, TColor32& B, uint32_t) { where.push_back(B); });
  dst.Draw(TRect{-4, 0, 4, 8}, src.BoundsRect(), src);
  ASSERT_EQ(asked.size(), 32u);
  ASSERT_EQ(where.size(), 32u);
  for (size_t i = 0; i < where.size(); ++i) {
    const int dx = static_cast<int>(where[i]) % 4, dy = static_cast<int>(where[i]) / 4;
    EXPECT_EQ(asked[i], std::make_pair(dx * 4 / 8, dy * 4 / 8)) << dx << "," << dy;
  }
  // sfNearest does not ask: every pixel gets the master alpha.
  src.SetStretchFilter(sfNearest);
  src.SetMasterAlpha(33);
  asked.clear();
  std::vector<uint32_t> ms;
  src.SetOnPixelCombine([&](TColor32, TColor32&, uint32_t M) { ms.push_back(M); });
  dst.Draw(TRect{-4, 0, 4, 8}, src.BoundsRect(), src);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(ms, std::vector<uint32_t>(32, 33u));
}

TEST(Bitmap32, AssignCopiesPixelsAndPropertiesButNotCallbacks) {
  TBitmap32 src(3, 2), dst(1, 1);
  FillIndexed(src);
  src.SetDrawMode(dmBlend);
  src.SetCombineMode(cmMerge);
  src.SetWrapMode(wmRepeat);
  src.SetMasterAlpha(77);
  src.SetOuterColor(0x11223344u);
  src.SetStretchFilter(sfLanczos);
  src.SetOnPixelCombine([](TColor32, TColor32&, uint32_t) {});
  src.SetPixelAlpha([](int, int) { return 1u; });
  bool ownCalled = false;
  dst.SetOnPixelCombine([&](TColor32, TColor32&, uint32_t) { ownCalled = true; });
  dst.Assign(src);
  EXPECT_EQ(dst.Width(), 3);
  EXPECT_EQ(dst.Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.Pixel(x, y), src.Pixel(x, y));
  EXPECT_EQ(dst.DrawMode(), dmBlend);
  EXPECT_EQ(dst.CombineMode(), cmMerge);
  EXPECT_EQ(dst.WrapMode(), wmRepeat);
  EXPECT_EQ(dst.MasterAlpha(), 77u);
  EXPECT_EQ(dst.OuterColor(), 0x11223344u);
  EXPECT_EQ(dst.StretchFilter(), sfLanczos);
  EXPECT_FALSE(dst.PixelAlpha());
  ASSERT_TRUE(dst.OnPixelCombine());  // its own, not the source's
  TColor32 b = 0;
  dst.OnPixelCombine()(0, b, 0);
  EXPECT_TRUE(ownCalled);
  TBitmap32 empty;
  dst.Assign(empty);
  EXPECT_TRUE(dst.Empty());
}

TEST(Bitmap32, MoveLeavesTheSourceEmpty) {
  TBitmap32 a(2, 2);
  a.Clear(5);
  a.SetMasterAlpha(9);
  TBitmap32 b(std::move(a));
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Pixel(1, 1), 5u);
  EXPECT_EQ(b.MasterAlpha(), 9u);
  EXPECT_EQ(a.Width(), 0);  // NOLINT(bugprone-use-after-move): the moved-from state is defined
  a = std::move(b);
  EXPECT_EQ(a.Pixel(0, 0), 5u);
}

TEST(Bitmap32, FlipHorizontalInPlaceAndIntoATarget) {
  TBitmap32 b(3, 2);
  FillIndexed(b);
  TBitmap32 t(1, 1);
  b.FlipHorizontal(t);
  ASSERT_EQ(t.Width(), 3);
  ASSERT_EQ(t.Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(t.Pixel(x, y), b.Pixel(2 - x, y));
  EXPECT_EQ(b.Pixel(0, 0), 0x40000000u);  // unchanged
  b.FlipHorizontal();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(b.Pixel(x, y), t.Pixel(x, y));
}

TEST(Bitmap32, DrawOntoItselfReadsTheOldPixels) {
  TBitmap32 b(4, 1);
  FillIndexed(b);
  b.Draw(1, 0, b);
  EXPECT_EQ(b.Pixel(0, 0), 0x40000000u);
  EXPECT_EQ(b.Pixel(1, 0), 0x40000000u);
  EXPECT_EQ(b.Pixel(2, 0), 0x40000001u);
  EXPECT_EQ(b.Pixel(3, 0), 0x40000002u);
}

TEST(Bitmap32, DrawFromDCCopiesARectangleIgnoringDrawModes) {
  TBitmap32 frame(4, 4), clock(2, 2);
  FillIndexed(frame);
  frame.SetDrawMode(dmBlend);
  frame.SetMasterAlpha(0);
  clock.DrawFromDC(clock.BoundsRect(), TRect{1, 2, 3, 4}, frame);
  EXPECT_EQ(clock.Pixel(0, 0), frame.Pixel(1, 2));
  EXPECT_EQ(clock.Pixel(1, 1), frame.Pixel(2, 3));
  // A rectangle reaching past the source copies its inside part to the matching place.
  TBitmap32 big(3, 3);
  big.DrawFromDC(big.BoundsRect(), TRect{2, 2, 5, 5}, frame);
  EXPECT_EQ(big.Pixel(0, 0), frame.Pixel(2, 2));
  EXPECT_EQ(big.Pixel(1, 1), frame.Pixel(3, 3));
  EXPECT_EQ(big.Pixel(2, 2), 0u);
  // Stretched: nearest pixel.
  TBitmap32 twice(4, 4);
  twice.DrawFromDC(twice.BoundsRect(), TRect{0, 0, 2, 2}, frame);
  EXPECT_EQ(twice.Pixel(1, 1), frame.Pixel(0, 0));
  EXPECT_EQ(twice.Pixel(3, 2), frame.Pixel(1, 1));
}

TEST(Bitmap32, EllipseHub) {
  TBitmap32 b(10, 10);
  const TColor32 pen = MakeColor32(0x70, 0x70, 0x70), brush = MakeColor32(255, 255, 255);
  b.Ellipse(TRect{1, 1, 9, 9}, pen, brush);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const TColor32 p = b.Pixel(x, y);
      if (x < 1 || x > 8 || y < 1 || y > 8) {
        EXPECT_EQ(p, 0u) << "outside the box " << x << "," << y;
      }
      // Symmetric about the centre of the box.
      EXPECT_EQ(p, b.Pixel(9 - x, y));
      EXPECT_EQ(p, b.Pixel(x, 9 - y));
      EXPECT_EQ(p, b.Pixel(y, x));
    }
  EXPECT_EQ(b.Pixel(4, 4), brush);
  EXPECT_EQ(b.Pixel(1, 4), pen);
  EXPECT_EQ(b.Pixel(2, 4), brush);
  EXPECT_EQ(b.Pixel(1, 1), 0u);  // the corners stay outside
}

TEST(Bitmap32, NearestStretch) {
  TBitmap32 src(2, 2), dst(4, 4);
  FillIndexed(src);
  dst.Draw(dst.BoundsRect(), src.BoundsRect(), src);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.Pixel(x, y), src.Pixel(x / 2, y / 2));
  TBitmap32 big(4, 4), small(2, 2);
  FillIndexed(big);
  small.Draw(small.BoundsRect(), big.BoundsRect(), big);
  // Centres 0.5 and 1.5 map to 1 and 3.
  EXPECT_EQ(small.Pixel(0, 0), big.Pixel(1, 1));
  EXPECT_EQ(small.Pixel(1, 0), big.Pixel(3, 1));
  EXPECT_EQ(small.Pixel(1, 1), big.Pixel(3, 3));
}

TEST(Bitmap32, DraftStretchBoxesWhenShrinkingAndInterpolatesWhenEnlarging) {
  TBitmap32 big(4, 2);
  const int reds[2][4] = {{10, 20, 100, 101}, {30, 40, 102, 103}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) big.SetPixel(x, y, MakeColor32(reds[y][x], 0, 0, 255));
  big.SetStretchFilter(sfDraft);
  TBitmap32 small(2, 1);
  small.Draw(small.BoundsRect(), big.BoundsRect(), big);
  EXPECT_EQ(small.Pixel(0, 0), MakeColor32(25, 0, 0, 255));   // (10 + 20 + 30 + 40) / 4
  EXPECT_EQ(small.Pixel(1, 0), MakeColor32(102, 0, 0, 255));  // 406 / 4 = 101.5, rounded
  // Enlarging 2 -> 4 samples at 0 (clamped), 0.25, 0.75, 1 (clamped).
  TBitmap32 two(2, 1), four(4, 1);
  two.SetPixel(0, 0, MakeColor32(0, 0, 0, 255));
  two.SetPixel(1, 0, MakeColor32(200, 0, 0, 255));
  two.SetStretchFilter(sfDraft);
  four.Draw(four.BoundsRect(), two.BoundsRect(), two);
  const int expected[4] = {0, 50, 150, 200};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(RedComponent(four.Pixel(x, 0)), expected[x]) << x;
}

TEST(Bitmap32, BlendFadeRoundsDownAndKeepsTheFourthByte) {
  // c += (alpha * (new - c)) >> 8.
  const struct {
    int c, n, alpha, expected;
  } cases[] = {
      {100, 200, 128, 150}, {200, 100, 128, 150}, {200, 101, 100, 161}, {0, 255, 256, 255},
      {255, 0, 256, 0},     {17, 99, 0, 17},      {0, 255, 1, 0},       {255, 0, 1, 254},
  };
  for (const auto& t : cases) {
    TColor32 d = MakeColor32(t.c, t.c, t.c, 0x5A);
    const TColor32 s = MakeColor32(t.n, t.n, t.n, 0xA5);
    BlendFade(&d, &s, 1, t.alpha);
    EXPECT_EQ(d, MakeColor32(t.expected, t.expected, t.expected, 0x5A)) << t.c << " " << t.n << " " << t.alpha;
  }
}
