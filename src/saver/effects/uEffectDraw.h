#pragma once
// The drawing primitives of the transition effects, on TBitmap32 frames: what a block copy, a
// stretched copy and a copy through a clip region do on a device context.
//
// Every primitive clips to the destination and to the source: a destination pixel whose source
// pixel lies outside the source is left as it is. Sizes of zero or less draw nothing, except the
// mirrored stretch below.
#include "graphics/uBitmap32.h"
#include "saver/effects/uRegion.h"

namespace ky {

// copy(x, y, cw, ch <- sx, sy): the cw x ch block of src at (sx, sy) to dest at (x, y). src may
// be dest itself; overlapping blocks are moved as if through a copy.
void CopyBlock(TBitmap32& dest, int x, int y, int cw, int ch, const TBitmap32& src, int sx, int sy);

// stretch(x, y, cw, ch <- sx, sy, sw, sh) with nearest-pixel sampling: destination pixel i of a
// row takes source column sx + floor((i + 1/2) * sw / |cw|), the source pixel its centre maps to
// (rows likewise). A negative cw mirrors: the destination columns are x, x - 1, ...,
// x - |cw| + 1, taking the source columns from sx on; a negative ch does the same for rows.
// Source sizes of zero or less draw nothing. src may be dest itself.
void StretchBlock(TBitmap32& dest, int x, int y, int cw, int ch, const TBitmap32& src, int sx, int sy, int sw,
                  int sh);

// clip(region): the pixels of src inside region copied to the same place in dest.
void ClipCopy(TBitmap32& dest, const TBitmap32& src, const TRegion& region);

// The fade over a block: each of B, G, R of dest c += (alpha * (new - c)) >> 8 with alpha 0..256;
// the fourth byte of dest is kept. Clipped to both frames.
void FadeBlock(TBitmap32& dest, const TBitmap32& src, const TRect& block, int alpha);

}  // namespace ky
