// GIF reading on small files written here with giflib's own encoder.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gfxTestUtil.h"
#include "graphics/uGifImage.h"
#include "graphics/uPictureReaders.h"

using namespace ky;

namespace {

GifColorType Rgb(int r, int g, int b) {
  GifColorType c;
  c.Red = static_cast<GifByteType>(r);
  c.Green = static_cast<GifByteType>(g);
  c.Blue = static_cast<GifByteType>(b);
  return c;
}

struct TFrameRecipe {
  int Left = 0, Top = 0, Width = 1, Height = 1;
  bool Interlaced = false;
  std::vector<GifColorType> Local;  // empty: the global table
  std::vector<uint8_t> Pixels;      // Width * Height indices, rows top to bottom
  bool Gce = true;
  int Delay = 0, Disposal = 0, Transparent = NO_TRANSPARENT_COLOR;
};

struct TGifRecipe {
  int Width = 4, Height = 3;
  std::vector<GifColorType> Global = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255)};
  int Loop = -1;  // -1: no loop extension
  std::vector<TFrameRecipe> Frames;
};

int WriteToVector(GifFileType* g, const GifByteType* data, int n) {
  auto* v = static_cast<std::vector<uint8_t>*>(g->UserData);
  v->insert(v->end(), data, data + n);
  return n;
}

ColorMapObject* MapOf(const std::vector<GifColorType>& c) {
  int n = 2;
  while (n < static_cast<int>(c.size())) n *= 2;
  std::vector<GifColorType> padded(c);
  padded.resize(n, Rgb(0, 0, 0));
  return GifMakeMapObject(n, padded.data());
}

// LZW codes packed as GIF image data: low bits first, in sub-blocks of at most 255 bytes.
class TGifCodeWriter {
 public:
  void Put(int code, int bits) {
    FAcc |= static_cast<uint32_t>(code) << FBits;
    FBits += bits;
    while (FBits >= 8) {
      FBytes.push_back(static_cast<uint8_t>(FAcc));
      FAcc >>= 8;
      FBits -= 8;
    }
  }
  void AppendBlocks(std::vector<uint8_t>& out) {
    if (FBits > 0) FBytes.push_back(static_cast<uint8_t>(FAcc));
    for (size_t i = 0; i < FBytes.size(); i += 255) {
      const size_t n = std::min<size_t>(255, FBytes.size() - i);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), FBytes.begin() + static_cast<std::ptrdiff_t>(i),
                 FBytes.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
  }

 private:
  std::vector<uint8_t> FBytes;
  uint32_t FAcc = 0;
  int FBits = 0;
};

// The image data of a frame of `pixels` pixels of colour 0 (minimum code size 2), coded as
// an LZW encoder codes it: each code is the longest run in the table, and the table grows by
// one run one pixel longer; when it is full it starts again. A frame of many megapixels takes
// a few kilobytes, so the test needs no pass over its pixels.
std::vector<uint8_t> ConstantLzwData(int64_t pixels) {
  constexpr int kClear = 4, kEnd = 5, kFirst = 6, kMaxCode = 4095;
  std::vector<uint8_t> out{2};
  TGifCodeWriter w;
  int next = kFirst, bits = 3;
  auto put = [&](int code) {
    w.Put(code, bits);
    if (next >= (1 << bits) && bits < 12) ++bits;
  };
  auto codeOfRun = [](int64_t length) { return length == 1 ? 0 : static_cast<int>(kFirst + length - 2); };
  put(kClear);
  int64_t run = 1, left = pixels - 1;
  while (left > 0) {
    const int64_t longest = next - kFirst + 1;  // the table holds runs 2 .. longest
    const int64_t grow = std::min(longest - run, left);
    run += grow;
    left -= grow;
    if (left == 0) break;
    put(codeOfRun(run));
    if (next >= kMaxCode) {
      put(kClear);
      next = kFirst;
      bits = 3;
    } else {
      ++next;
    }
    run = 1;
    --left;
  }
  put(codeOfRun(run));
  put(kEnd);
  w.AppendBlocks(out);
  return out;
}

// A GIF of screen w x h whose frames are each fw x fh of colour 0 at (0, 0).
std::vector<uint8_t> ConstantFramesGif(int w, int h, int fw, int fh, int frames) {
  auto le16 = [](std::vector<uint8_t>& v, int x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
  };
  std::vector<uint8_t> g = {'G', 'I', 'F', '8', '9', 'a'};
  le16(g, w);
  le16(g, h);
  g.insert(g.end(), {0x81, 0, 0, 10, 20, 30, 200, 100, 50, 0, 0, 0, 0, 0, 0});  // 4 colours
  const std::vector<uint8_t> data = ConstantLzwData(int64_t{fw} * fh);
  for (int i = 0; i < frames; ++i) {
    g.push_back(0x2C);
    le16(g, 0);
    le16(g, 0);
    le16(g, fw);
    le16(g, fh);
    g.push_back(0);
    g.insert(g.end(), data.begin(), data.end());
  }
  g.push_back(0x3B);
  return g;
}

std::vector<uint8_t> EncodeGif(const TGifRecipe& s) {
  std::vector<uint8_t> out;
  int err = 0;
  GifFileType* g = EGifOpen(&out, WriteToVector, &err);
  EXPECT_NE(g, nullptr);
  EGifSetGifVersion(g, true);
  ColorMapObject* global = MapOf(s.Global);
  EXPECT_EQ(EGifPutScreenDesc(g, s.Width, s.Height, 8, 0, global), GIF_OK);
  if (s.Loop >= 0) {
    const GifByteType loop[3] = {1, static_cast<GifByteType>(s.Loop & 0xFF), static_cast<GifByteType>(s.Loop >> 8)};
    EGifPutExtensionLeader(g, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(g, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(g, 3, loop);
    EGifPutExtensionTrailer(g);
  }
  for (const TFrameRecipe& f : s.Frames) {
    if (f.Gce) {
      GraphicsControlBlock gcb{f.Disposal, false, f.Delay, f.Transparent};
      GifByteType ext[4];
      EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    }
    ColorMapObject* local = f.Local.empty() ? nullptr : MapOf(f.Local);
    EXPECT_EQ(EGifPutImageDesc(g, f.Left, f.Top, f.Width, f.Height, f.Interlaced, local), GIF_OK);
    std::vector<int> order;
    if (f.Interlaced) {
      for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < f.Height; y += step) order.push_back(y);
    } else {
      for (int y = 0; y < f.Height; ++y) order.push_back(y);
    }
    for (const int y : order) {
      std::vector<GifPixelType> row(f.Pixels.begin() + y * f.Width, f.Pixels.begin() + (y + 1) * f.Width);
      EXPECT_EQ(EGifPutLine(g, row.data(), f.Width), GIF_OK);
    }
    if (local != nullptr) GifFreeMapObject(local);
    // giflib's encoder drops its copy of a local table unfreed when the next frame has none.
    if (g->Image.ColorMap != nullptr) {
      GifFreeMapObject(g->Image.ColorMap);
      g->Image.ColorMap = nullptr;
    }
  }
  EGifCloseFile(g, &err);
  GifFreeMapObject(global);
  return out;
}

TGifRecipe ThreeFrames() {
  TGifRecipe s;
  s.Loop = 3;
  TFrameRecipe a;  // the whole screen; index 3 transparent
  a.Width = 4;
  a.Height = 3;
  a.Pixels = {1, 1, 3, 1, 2, 3, 2, 2, 1, 1, 1, 3};
  a.Delay = 7;
  a.Disposal = 1;
  a.Transparent = 3;
  TFrameRecipe b;  // a 2 x 2 patch with its own colours, cleared afterwards
  b.Left = 1;
  b.Top = 1;
  b.Width = 2;
  b.Height = 2;
  b.Local = {Rgb(10, 20, 30), Rgb(40, 50, 60)};
  b.Pixels = {0, 1, 1, 0};
  b.Delay = 0;
  b.Disposal = 2;
  TFrameRecipe c;  // no control extension, interlaced
  c.Gce = false;
  c.Width = 1;
  c.Height = 3;
  c.Interlaced = true;
  c.Pixels = {3, 2, 1};
  s.Frames = {a, b, c};
  return s;
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EPictureError& e) {
    return e.what();
  }
  return "";
}

const TColor32 kR = MakeColor32(255, 0, 0), kG = MakeColor32(0, 255, 0), kB = MakeColor32(0, 0, 255);

}  // namespace

TEST(GifReader, FramesKeepTheirControlExtensionsAndTheLoopCount) {
  const std::vector<uint8_t> data = EncodeGif(ThreeFrames());
  const TGifImage g = ReadGifFromMemory(data.data(), data.size(), "three.gif");
  EXPECT_EQ(g.Width, 4);
  EXPECT_EQ(g.Height, 3);
  ASSERT_EQ(g.GlobalColors.size(), 4u);
  EXPECT_EQ(g.GlobalColors[2], (TGifColor{0, 255, 0}));
  EXPECT_TRUE(g.HasLoopExtension);
  EXPECT_EQ(g.LoopCount, 3);
  ASSERT_EQ(g.Frames.size(), 3u);

  const TGifFrame& a = g.Frames[0];
  EXPECT_TRUE(a.Control.Present);
  EXPECT_EQ(a.Control.Delay, 7);
  EXPECT_EQ(a.Control.Disposal, gdKeep);
  EXPECT_TRUE(a.Control.Transparent);
  EXPECT_EQ(a.Control.TransparentIndex, 3);
  EXPECT_EQ(a.Indices, (std::vector<uint8_t>{1, 1, 3, 1, 2, 3, 2, 2, 1, 1, 1, 3}));
  EXPECT_TRUE(a.LocalColors.empty());

  const TGifFrame& b = g.Frames[1];
  EXPECT_EQ(b.Control.Delay, 0);
  EXPECT_EQ(b.Control.Disposal, gdBackground);
  EXPECT_FALSE(b.Control.Transparent);
  EXPECT_EQ(b.Left, 1);
  EXPECT_EQ(b.Top, 1);
  EXPECT_EQ(b.Width, 2);
  ASSERT_EQ(b.LocalColors.size(), 2u);
  EXPECT_EQ(b.LocalColors[1], (TGifColor{40, 50, 60}));

  const TGifFrame& c = g.Frames[2];
  EXPECT_FALSE(c.Control.Present);
  EXPECT_TRUE(c.Interlaced);
  EXPECT_EQ(c.Indices, (std::vector<uint8_t>{3, 2, 1}));  // rows back in picture order

  EXPECT_EQ(g.FindGlobalColor(TGifColor{0, 0, 255}), 3);
  EXPECT_EQ(g.FindGlobalColor(TGifColor{1, 2, 3}), -1);
}

TEST(GifReader, NoLoopExtensionAndOneFrame) {
  TGifRecipe s = ThreeFrames();
  s.Loop = -1;
  s.Frames.resize(1);
  const std::vector<uint8_t> data = EncodeGif(s);
  const TGifImage g = ReadGifFromMemory(data.data(), data.size());
  EXPECT_FALSE(g.HasLoopExtension);
  EXPECT_EQ(g.Frames.size(), 1u);
  s.Loop = 0;  // endless
  const std::vector<uint8_t> endless = EncodeGif(s);
  const TGifImage e = ReadGifFromMemory(endless.data(), endless.size());
  EXPECT_TRUE(e.HasLoopExtension);
  EXPECT_EQ(e.LoopCount, 0);
}

TEST(GifReader, CompositedFramesFollowDisposalAndTransparency) {
  const std::vector<uint8_t> data = EncodeGif(ThreeFrames());
  const TGifImage g = ReadGifFromMemory(data.data(), data.size());
  const std::vector<TBitmap32> f = ComposeGifFrames(g);
  ASSERT_EQ(f.size(), 3u);
  const TColor32 q = MakeColor32(10, 20, 30), w = MakeColor32(40, 50, 60);
  // Frame 0 on an empty (transparent) screen; index 3 is transparent.
  const TColor32 f0[3][4] = {{kR, kR, 0, kR}, {kG, 0, kG, kG}, {kR, kR, kR, 0}};
  // Frame 1 over frame 0 (kept).
  const TColor32 f1[3][4] = {{kR, kR, 0, kR}, {kG, q, w, kG}, {kR, w, q, 0}};
  // Frame 1's area goes back to the background; frame 2 has no transparency, so its index 3
  // shows blue.
  const TColor32 f2[3][4] = {{kB, kR, 0, kR}, {kG, 0, 0, kG}, {kR, 0, 0, 0}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(f[0].Pixel(x, y), f0[y][x]) << "frame 0 at " << x << "," << y;
      EXPECT_EQ(f[1].Pixel(x, y), f1[y][x]) << "frame 1 at " << x << "," << y;
      EXPECT_EQ(f[2].Pixel(x, y), f2[y][x]) << "frame 2 at " << x << "," << y;
    }
  // Painting without transparency draws the transparent index in its colour.
  TGifRenderer r(g);
  TBitmap32 t;
  r.Reset(t);
  r.PaintFrame(0, t, false);
  EXPECT_EQ(t.Pixel(2, 0), kB);
}

TEST(GifReader, RestoreToPreviousAndFramesOutsideTheScreen) {
  TGifRecipe s;
  s.Width = 3;
  s.Height = 1;
  TFrameRecipe base;
  base.Width = 3;
  base.Pixels = {1, 1, 1};
  base.Disposal = 1;
  TFrameRecipe over;  // drawn, then the screen goes back to the base
  over.Left = 1;
  over.Width = 1;
  over.Pixels = {2};
  over.Disposal = 3;
  TFrameRecipe edge;  // reaches past the right edge: clipped to the screen
  edge.Left = 2;
  edge.Width = 3;
  edge.Pixels = {3, 2, 2};
  s.Frames = {base, over, edge};
  const std::vector<uint8_t> data = EncodeGif(s);
  const TGifImage g = ReadGifFromMemory(data.data(), data.size());
  ASSERT_EQ(g.Frames.size(), 3u);
  EXPECT_EQ(g.Frames[2].Width, 1);
  EXPECT_EQ(g.Frames[2].Indices, std::vector<uint8_t>{3});
  const std::vector<TBitmap32> f = ComposeGifFrames(g);
  EXPECT_EQ(f[1].Pixel(1, 0), kG);
  EXPECT_EQ(f[2].Pixel(0, 0), kR);
  EXPECT_EQ(f[2].Pixel(1, 0), kR);  // restored
  EXPECT_EQ(f[2].Pixel(2, 0), kB);
}

TEST(GifReader, LoadedAsAPictureItIsTheFirstFrameOpaque) {
  kytest::TTempDir dir;
  kytest::WriteBytes(dir.File("a.Gif"), EncodeGif(ThreeFrames()));
  TBitmap32 b;
  LoadPictureFromFile(dir.File("a.Gif"), b);
  ASSERT_EQ(b.Width(), 4);
  EXPECT_EQ(b.Pixel(0, 0), kR);
  EXPECT_EQ(b.Pixel(2, 0), MakeColor32(0, 0, 0, 255));  // transparent shows as black
}

TEST(GifReader, LimitsOnFramesAndDecodedSize) {
  TGifRecipe many;
  many.Width = many.Height = 1;
  TFrameRecipe one;
  one.Pixels = {1};
  many.Frames.assign(1001, one);
  const std::vector<uint8_t> a = EncodeGif(many);
  EXPECT_EQ(ErrorOf([&] { ReadGifFromMemory(a.data(), a.size(), "many.gif"); }),
            "many.gif: too many GIF frames (more than 1000)");
  many.Frames.resize(1000);
  const std::vector<uint8_t> b = EncodeGif(many);
  EXPECT_EQ(ReadGifFromMemory(b.data(), b.size()).Frames.size(), 1000u);
  // 8192 x 8192 is 256 MiB per composited frame: a third frame passes 512 MiB.
  TGifRecipe big;
  big.Width = big.Height = 8192;
  big.Frames.assign(3, one);
  const std::vector<uint8_t> c = EncodeGif(big);
  EXPECT_EQ(ErrorOf([&] { ReadGifFromMemory(c.data(), c.size(), "big.gif"); }),
            "big.gif: GIF frames too large (3 frames of 8192 \u00d7 8192)");
  big.Width = big.Height = 16384;
  big.Frames.resize(1);
  const std::vector<uint8_t> d = EncodeGif(big);
  EXPECT_EQ(ErrorOf([&] { ReadGifFromMemory(d.data(), d.size(), "huge.gif"); }),
            "huge.gif: picture too large (16384 \u00d7 16384)");
}

TEST(GifReader, TruncatedAndCorruptFilesRaiseErrors) {
  const std::vector<uint8_t> good = EncodeGif(ThreeFrames());
  for (const size_t cut : {size_t{0}, size_t{5}, size_t{13}, good.size() / 2, good.size() - 2}) {
    const std::vector<uint8_t> part(good.begin(), good.begin() + static_cast<long>(cut));
    EXPECT_EQ(ErrorOf([&] { ReadGifFromMemory(part.data(), part.size(), "cut.gif"); }).rfind("cut.gif: ", 0), 0u)
        << cut;
  }
  // Random damage: an error or a picture, never a crash or a hang.
  std::mt19937 rng(11);
  for (int i = 0; i < 300; ++i) {
    std::vector<uint8_t> bad = good;
    for (int k = 0; k < 3; ++k) bad[13 + rng() % (bad.size() - 13)] = static_cast<uint8_t>(rng());
    try {
      const TGifImage g = ReadGifFromMemory(bad.data(), bad.size(), "bad.gif");
      const std::vector<TBitmap32> f = ComposeGifFrames(g);
      EXPECT_EQ(f.size(), g.Frames.size());
    } catch (const EPictureError&) {
    }
  }
}

TEST(GifReader, TheAreasOfAllFramesTogetherAreBounded) {
  // The hand-made frame data decodes as giflib's own would.
  const std::vector<uint8_t> small = ConstantFramesGif(300, 200, 300, 200, 2);
  const TGifImage ok = ReadGifFromMemory(small.data(), small.size(), "small.gif");
  ASSERT_EQ(ok.Frames.size(), 2u);
  EXPECT_EQ(ok.Frames[1].Indices, std::vector<uint8_t>(300 * 200, 0));
  // A 16 x 16 screen with frames of 8000 x 8000: the screen-sized composited frames are
  // tiny, but every frame is decoded whole. Two are 128 million pixels, three above.
  const std::vector<uint8_t> two = ConstantFramesGif(16, 16, 8000, 8000, 2);
  const TGifImage inside = ReadGifFromMemory(two.data(), two.size(), "two.gif");
  ASSERT_EQ(inside.Frames.size(), 2u);
  EXPECT_EQ(inside.Frames[0].Width, 16);
  const std::vector<uint8_t> three = ConstantFramesGif(16, 16, 8000, 8000, 3);
  EXPECT_LT(three.size(), 200000u);
  try {
    ReadGifFromMemory(three.data(), three.size(), "three.gif");
    FAIL() << "192 million pixels of frames were decoded";
  } catch (const EPictureError& e) {
    EXPECT_STREQ(e.what(), "three.gif: GIF frames too large to decode (more than 134217728 pixels in all)");
  }
}
