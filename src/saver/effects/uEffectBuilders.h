#pragma once
// The builders several transition effects share: bars, uneven shreds and speckles (rectangles
// added to a clip list), the shading of the rolled-up strip, and the pivot.
#include <vector>

#include "graphics/uBitmap32.h"
#include "platform/uRandom.h"
#include "saver/effects/uRegion.h"

namespace ky {

// Bars of thickness min(W, H) div 50 + 1. A is the horizontal progress (0 .. 2W for the
// one-sided kinds, 0 .. W for kind 3), B the vertical one; a kind of 0 adds no bars of that
// direction. Kinds: 1 from the right (bottom), 2 from the left (top), 3 alternate bars from both
// sides, 4 left then right (top then bottom), 5 right then left (bottom then top). One-sided
// kinds fill the even bars while A <= W and the odd bars after.
void AddBars(TComplexRegion& region, int W, int H, int A, int B, int kindH, int kindV);

// Strips of thickness min(W, H) div 200 + 1 whose ends scatter by up to a tenth of the frame
// around A (B), drawing one number from random per strip. Kinds: 1 from the right (bottom), 2
// from the left (top), 3 out from the middle, 4 in from both sides.
void AddUnevenShreds(TComplexRegion& region, int W, int H, int A, int B, int kindH, int kindV, TRandom& random);

// A solid part of length A (B) from one side with random square cells scattered beyond its
// edge. Kinds: 1 from the right (bottom), 2 from the left (top).
void AddSpeckles(TComplexRegion& region, int W, int H, int A, int B, int kindH, int kindV, TRandom& random);

// The brightness offsets of the s columns of a rolled strip (empty when s <= 1): from -48
// rising to the middle and falling after it.
std::vector<int> RollOffsets(int s);
// Adds RollOffsets(s)[k] to the red, green and blue bytes of column start + k (row start + k
// when rows is true) of dest, clamped to 0..255; the fourth byte is kept.
void RollShading(TBitmap32& dest, int start, int s, bool rows = false);

// Every dest pixel rotated about (xp, yp) by angle (radians; sine and cosine in 16.16 fixed
// point, positions rounded down); where that falls inside src, the dest pixel takes the src pixel.
void Pivot(TBitmap32& dest, const TBitmap32& src, int xp, int yp, double angle);

}  // namespace ky
