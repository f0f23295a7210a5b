#pragma once
// What the full-screen presentation decides without a window: which way frames reach the
// screen, and which rows of a frame changed since the last one was handed over.
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

// How a working-size frame is stretched over the display: by the GPU (an OpenGL texture) or on
// the CPU into the plain window.
enum class TStretchPath { Gpu, Cpu };

// true for the renderer strings of Mesa's software rasterizers (llvmpipe, softpipe, swrast),
// which draw a texture over the screen slower than the CPU stretches it.
bool IsSoftwareRenderer(const std::string& renderer);

// The path for a context with that renderer. The environment variable KYSAVER_FULLSCREEN set to
// "cpu" or "gpu" forces one (for tests and measurements); anything else leaves the choice.
TStretchPath ChooseStretchPath(const std::string& renderer);

// Rows first .. last (inclusive); empty when last < first.
struct TRowSpan {
  int First = 0;
  int Last = -1;
  bool Empty() const { return Last < First; }
};

// Rectangles within bounds that together cover every changed rectangle, laid out as a window
// system takes a region without reworking it: rows are cut into bands; each band holds the
// changed spans of its rows, joined where they are closer than a small gap, all with the band's
// top and height, sorted left to right and apart from one another; bands come top to bottom,
// and neighbouring bands with the same spans are one. At most maxRects rectangles (at least 1):
// the bands grow until they fit, so many scattered changes (rain, snow) cost a little more area
// rather than thousands of rectangles.
std::vector<TRect> BandedCover(const std::vector<TRect>& changed, const TRect& bounds, int maxRects);

// A copy of the last frame handed over, to tell which rows the next one changes.
class TFrameShadow {
 public:
  // The span of rows from the first to the last that differ from the previous frame (all rows
  // for the first frame or a new size); the copy then holds the new frame.
  TRowSpan Update(const TBitmap32& frame);
  const TBitmap32& Frame() const { return FFrame; }
  // Forgets the copy: the next frame counts as all new.
  void Invalidate() { FValid = false; }

 private:
  TBitmap32 FFrame;
  bool FValid = false;
};

}  // namespace ky
