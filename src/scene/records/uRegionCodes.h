#pragma once
// The water regions of a scene's mask. Each mask pixel names a region code by its colour: 0 is
// dry land, codes 1 to 6 are water moved by wave sets 0 to 5.
#include "graphics/uBitmap32.h"

namespace ky {

// Only the first six wave sets have a mask colour; the others never move any water.
constexpr int kRegionWaveSets = 6;
constexpr int kRegionCodeCount = kRegionWaveSets + 1;  // 0 dry land, 1-6 water

// The mask colour of a region code (codes 7-9 and others: dry land, black).
TColor32 RegionColour(int code);
// The region code whose colour the pixel has (its RGB part), or 0 for any other colour.
int RegionCodeOf(TColor32 pixel);
// The end of the run of pixels equal to row[x] that starts at x (at most n). Mask rows are long
// runs of a few colours, so work per run instead of per pixel pays.
int EqualPixelRunEnd(const TColor32* row, int x, int n);

}  // namespace ky
