#include "graphics/uBlend.h"

#include "graphics/uKernels.h"

namespace ky {

namespace {

inline uint32_t Div255(uint32_t x) {
  const uint32_t t = x + 128;
  return (t + (t >> 8)) >> 8;
}

}  // namespace

TColor32 BlendColor(TColor32 F, TColor32 B, uint32_t alpha) {
  if (alpha == 0) return B;
  if (alpha > 255) alpha = 255;
  F |= 0xFF000000u;
  uint32_t r = 0;
  for (int s = 0; s < 32; s += 8) r |= Div255(((B >> s) & 0xFF) * (255 - alpha) + ((F >> s) & 0xFF) * alpha) << s;
  return r;
}

TColor32 MergeColor(TColor32 F, TColor32 B) {
  const uint32_t fa = F >> 24, ba = B >> 24;
  if (fa == 255 || ba == 0) return F;
  if (fa == 0) return B;
  // Straight colours: result alpha ra = fa + ba (1 - fa); colour = (F fa + B ba (1 - fa)) / ra.
  const uint32_t bw = Div255(ba * (255 - fa));  // B's share, 0..255
  const uint32_t ra = fa + bw;
  uint32_t r = ra << 24;
  for (int s = 0; s < 24; s += 8) {
    const uint32_t c = (((F >> s) & 0xFF) * fa + ((B >> s) & 0xFF) * bw + ra / 2) / ra;
    r |= (c > 255 ? 255 : c) << s;
  }
  return r;
}

void BlendSpanRaw(TColor32* dst, size_t count, TColor32 F) { kernels::Kernels().BlendSpan(dst, count, F); }

void BlendFade(TColor32* dst, const TColor32* src, size_t count, int alpha) {
  if (alpha < 0) alpha = 0;
  if (alpha > 256) alpha = 256;
  kernels::Kernels().BlendFade(dst, src, count, alpha);
}

void CombineRow(const TCombineContext& ctx, TColor32* dst, const TColor32* src, int n, int row,
                const int* xOffsets) {
  if (n <= 0) return;
  switch (ctx.Mode) {
    case dmOpaque:
      for (int i = 0; i < n; ++i) dst[i] = src[i];
      return;
    case dmTransparent:
      for (int i = 0; i < n; ++i)
        if (src[i] != ctx.OuterColor) dst[i] = src[i];
      return;
    case dmBlend:
      if (ctx.Merge) {
        for (int i = 0; i < n; ++i) {
          const uint32_t a = Div255((src[i] >> 24) * ctx.MasterAlpha);
          dst[i] = MergeColor(SetAlpha(src[i], static_cast<int>(a)), dst[i]);
        }
      } else {
        kernels::Kernels().BlendRow(dst, src, static_cast<size_t>(n), ctx.MasterAlpha);
      }
      return;
    case dmCustom: {
      if (ctx.Row != nullptr) {
        (*ctx.Row)(dst, src, n, row, xOffsets, ctx.MasterAlpha, ctx.Alpha != nullptr);
        return;
      }
      const TPixelCombineEvent& combine = *ctx.Combine;
      if (ctx.Alpha != nullptr) {
        const TPixelAlphaEvent& alpha = *ctx.Alpha;
        for (int i = 0; i < n; ++i) combine(src[i], dst[i], alpha(xOffsets ? xOffsets[i] : i, row));
      } else {
        for (int i = 0; i < n; ++i) combine(src[i], dst[i], ctx.MasterAlpha);
      }
      return;
    }
  }
}

}  // namespace ky
