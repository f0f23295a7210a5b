#pragma once
// Internal: stretched drawing between surfaces.
#include "graphics/uBitmap32.h"
#include "graphics/uBlend.h"
#include "graphics/uKernels.h"

namespace ky {

// Resamples sourceRect of source (inside it) to destRect (its unclipped place on target) and
// combines the pixels of the visible part clipRect (inside destRect and target) by ctx. The
// kernel filters run on the kernels of table k.
void StretchDraw(TBitmap32& target, const TRect& destRect, const TRect& clipRect, const TBitmap32& source,
                 const TRect& sourceRect, const TCombineContext& ctx, TStretchFilter filter,
                 const kernels::TKernelTable& k);

// The kernel of a filter and its radius in pixels (for the kernel filters).
double FilterKernel(TStretchFilter filter, double x);
double FilterRadius(TStretchFilter filter);

}  // namespace ky
