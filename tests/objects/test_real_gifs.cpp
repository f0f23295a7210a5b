// GIFs of public decoder test suites (tests/data/gif) played by GIF objects on the virtual
// clock: the frame shown at each time follows the stored delays (d * 12 ms at AnimSpeed 10,
// delay 0 as 10), the loop extension, and the frames' disposal and transparency.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/uGifImage.h"
#include "objTestUtil.h"

using namespace ky;
using kytest::TObjectScene;

namespace {

std::string DataGif(const std::string& name) { return std::string(KY_SOURCE_DIR) + "/tests/data/gif/" + name; }

struct TRealGif {
  const char* file;
  int width, height;
  std::vector<int> delays;     // hundredths, as stored
  std::vector<int> disposals;  // as stored
  bool loopExtension;
  int loopCount;
  std::vector<std::pair<uint32_t, int>> shown;  // (ms after the start, frame on Front)
};

const std::vector<TRealGif>& RealGifs() {
  static const std::vector<TRealGif> gifs = {
      // Waits 1200, 1200, 120, 1200 ms; endless.
      {"gif-test-suite__animated_loop_variable_delay.gif", 100, 100, {100, 100, 10, 100}, {1, 1, 1, 1}, true, 0,
       {{0, 0}, {1199, 0}, {1200, 1}, {2399, 1}, {2400, 2}, {2519, 2}, {2520, 3}, {3719, 3}, {3720, 0}, {4920, 1}}},
      // No loop extension: one pass, then the last frame stays.
      {"gif-test-suite__animated_noloop.gif", 100, 100, {100, 100, 100, 100}, {1, 1, 1, 1}, false, 0,
       {{0, 0}, {1200, 1}, {2400, 2}, {3600, 3}, {4800, 3}, {60000, 3}}},
      {"gif-test-suite__animated_transparent_firstframerestoreprev_loop.gif", 100, 100, {100, 100, 100, 100},
       {3, 3, 3, 3}, true, 0, {{0, 0}, {1200, 1}, {2400, 2}, {3600, 3}, {4800, 0}, {6000, 1}}},
      // Delay 0 shows each frame for 120 ms.
      {"image-gif__beacon.gif", 6, 6, {0, 0}, {1, 1}, true, 0, {{0, 0}, {119, 0}, {120, 1}, {239, 1}, {240, 0}, {360, 1}}},
      {"image__mixed-disposal.gif", 32, 32, {100, 100, 100, 100, 100}, {1, 3, 2, 1, 1}, true, 0,
       {{0, 0}, {1200, 1}, {2400, 2}, {3600, 3}, {4800, 4}, {6000, 0}, {7200, 1}}},
  };
  return gifs;
}

}  // namespace

TEST(TGifObjectRealFiles, FramesDelaysDisposalAndLoopAsLoaded) {
  for (const TRealGif& g : RealGifs()) {
    TObjectScene s("[Obj0]\r\nObjType=GIF\r\nFilename=" + DataGif(g.file) + "\r\n");
    s.Start();
    TGifObject& o = s.Gif(0);
    ASSERT_NE(o.Image(), nullptr) << g.file;
    const TGifImage& img = *o.Image();
    EXPECT_EQ(o.PictureWidth, g.width) << g.file;
    EXPECT_EQ(o.PictureHeight, g.height) << g.file;
    ASSERT_EQ(img.Frames.size(), g.delays.size()) << g.file;
    EXPECT_TRUE(o.HasPainter()) << g.file;
    EXPECT_EQ(img.HasLoopExtension, g.loopExtension) << g.file;
    EXPECT_EQ(img.LoopCount, g.loopCount) << g.file;
    for (size_t k = 0; k < g.delays.size(); ++k) {
      EXPECT_EQ(img.Frames[k].Control.Delay, g.delays[k]) << g.file << " frame " << k;
      EXPECT_EQ(static_cast<int>(img.Frames[k].Control.Disposal), g.disposals[k]) << g.file << " frame " << k;
      // "Transparent" (default 1) sets every frame's flag, keeping the stored index.
      EXPECT_TRUE(img.Frames[k].Control.Transparent) << g.file << " frame " << k;
    }
  }
}

TEST(TGifObjectRealFiles, TheFrameShownAtEachVirtualTime) {
  for (const TRealGif& g : RealGifs()) {
    TObjectScene s("[Obj0]\r\nObjType=GIF\r\nFilename=" + DataGif(g.file) + "\r\n", 20);
    s.Start();
    TGifObject& o = s.Gif(0);
    ASSERT_NE(o.Image(), nullptr) << g.file;
    // What each frame looks like composited in order, for the image as the object adjusted it;
    // the painter clears to the key colour where nothing is drawn.
    const std::vector<TBitmap32> frames = ComposeGifFrames(*o.Image());
    for (const auto& [t, frame] : g.shown) {
      s.DrawAt(20 + t);
      EXPECT_EQ(o.CurrentFrame(), frame) << g.file << " at " << t;
      const TBitmap32& want = frames[static_cast<size_t>(frame)];
      int differing = 0;
      for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
          const TColor32 w = want.Pixel(x, y);
          const TColor32 expected = AlphaComponent(w) == 0 ? 0x00FFFF00u : (w & 0x00FFFFFFu);
          differing += (o.Front().Pixel(x, y) & 0x00FFFFFFu) != (expected & 0x00FFFFFFu);
        }
      EXPECT_EQ(differing, 0) << g.file << " at " << t;
    }
  }
}

TEST(TGifObjectRealFiles, TransparentZeroTurnsEveryFlagOff) {
  TObjectScene s("[Obj0]\r\nObjType=GIF\r\nFilename=" + DataGif("image__mixed-disposal.gif") + "\r\nTransparent=0\r\n");
  s.Start();
  ASSERT_NE(s.Gif(0).Image(), nullptr);
  for (const TGifFrame& f : s.Gif(0).Image()->Frames) EXPECT_FALSE(f.Control.Transparent);
}
