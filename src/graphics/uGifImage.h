#pragma once
// GIF pictures with all their frames, read record by record (never the whole file decoded at
// once): every frame keeps its graphic control extension, the global colour table and the loop
// count of the application extension are kept, and TGifRenderer composites frames onto a
// surface the way a player shows them.
//
// The logical screen obeys the picture limits, the frames the GIF limits of uPictureLimits.h;
// a file beyond them raises EPictureError. Each frame is clipped to the logical screen.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

struct TGifColor {
  uint8_t R = 0;
  uint8_t G = 0;
  uint8_t B = 0;
  friend bool operator==(const TGifColor& a, const TGifColor& b) { return a.R == b.R && a.G == b.G && a.B == b.B; }
};

enum TGifDisposal : uint8_t {
  gdNone = 0,        // not specified
  gdKeep = 1,        // leave the frame in place
  gdBackground = 2,  // restore the frame's area to the background (transparent)
  gdPrevious = 3,    // restore the area to what it was before the frame
};

// The graphic control extension (0xF9) of one frame.
struct TGifGraphicControl {
  bool Present = false;
  int Delay = 0;  // hundredths of a second
  TGifDisposal Disposal = gdNone;
  bool Transparent = false;
  int TransparentIndex = 0;
};

struct TGifFrame {
  // Placement on the logical screen after clipping to it.
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool Interlaced = false;
  std::vector<TGifColor> LocalColors;  // empty: the global table applies
  std::vector<uint8_t> Indices;        // Width * Height colour indices, rows top to bottom
  TGifGraphicControl Control;
};

struct TGifImage {
  int Width = 0;   // logical screen
  int Height = 0;
  std::vector<TGifColor> GlobalColors;
  int BackgroundIndex = 0;
  bool HasLoopExtension = false;
  int LoopCount = 0;  // 0: endless (when HasLoopExtension)
  std::vector<TGifFrame> Frames;

  // The first index of the global table whose colour equals c exactly, or -1.
  int FindGlobalColor(TGifColor c) const;
};

TGifImage ReadGifFile(const std::string& path);
TGifImage ReadGifFromMemory(const void* data, size_t size, std::string_view name = "GIF data");

// Composites frames in order onto a surface of the logical screen size, applying each frame's
// disposal before the next one. Transparent pixels of a frame leave the target unchanged when
// transparency is on; the background of the screen is TColor32 0 (fully transparent).
class TGifRenderer {
 public:
  // background: what an empty screen and a frame disposed to the background show.
  explicit TGifRenderer(const TGifImage& image, TColor32 background = 0);
  // Start again from an empty screen (the next frame painted should be frame 0).
  void Reset(TBitmap32& target);
  // Applies the disposal of the previously painted frame, then paints frame index.
  void PaintFrame(int index, TBitmap32& target, bool transparent = true);

 private:
  const TGifImage& FImage;
  TColor32 FBackground;
  int FPrevious = -1;
  std::vector<TColor32> FSaved;  // area under the previous frame, for gdPrevious
};

// Every frame composited on the logical screen, in order (alpha 0 where nothing was drawn).
std::vector<TBitmap32> ComposeGifFrames(const TGifImage& image);

}  // namespace ky
