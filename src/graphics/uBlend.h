#pragma once
// Internal: the per-pixel combination of a drawn surface onto a destination row.
#include <cstddef>
#include <cstdint>

#include "graphics/uBitmap32.h"

namespace ky {

// Source-over with F's alpha on a straight (not premultiplied) destination, for cmMerge.
TColor32 MergeColor(TColor32 F, TColor32 B);

struct TCombineContext {
  TDrawMode Mode = dmOpaque;  // dmCustom here always has Combine set
  bool Merge = false;
  uint32_t MasterAlpha = 255;
  TColor32 OuterColor = 0;
  const TPixelCombineEvent* Combine = nullptr;
  const TPixelAlphaEvent* Alpha = nullptr;  // dmCustom: replaces MasterAlpha
  const TCombineRowEvent* Row = nullptr;     // dmCustom: a whole run at once, when set
};

// Combines n source pixels onto dst. The PixelAlpha offsets are (xOffsets[i], row) when
// xOffsets is given, else (i, row).
void CombineRow(const TCombineContext& ctx, TColor32* dst, const TColor32* src, int n, int row,
                const int* xOffsets);

}  // namespace ky
