// The reference kernels: one pixel and one channel at a time, written for clarity; and the
// table of each level. The fast kernels (uKernelsSse41.cpp, uKernelsAvx2.cpp) must give the
// same bytes.
#include "graphics/uKernels.h"

#include <algorithm>

#include "graphics/uKernelsAvx2.h"
#include "graphics/uKernelsSse41.h"

namespace ky::kernels {

namespace {

inline uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFFu; }

// round(x / 255) for 0 <= x <= 255 * 255, via t = x + 128.
inline uint32_t Div255(uint32_t x) {
  const uint32_t t = x + 128;
  return (t + (t >> 8)) >> 8;
}

inline uint32_t BlendOne(uint32_t F, uint32_t B, uint32_t a) {
  // The alpha channel blends an opaque 255 onto B's alpha.
  F |= 0xFF000000u;
  uint32_t r = 0;
  for (int s = 0; s < 32; s += 8) r |= Div255(Channel(B, s) * (255 - a) + Channel(F, s) * a) << s;
  return r;
}

void RefBlendFade(uint32_t* dst, const uint32_t* src, size_t n, int alpha) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t r = dst[i] & 0xFF000000u;
    for (int s = 0; s < 24; s += 8) {
      const int c = static_cast<int>(Channel(dst[i], s));
      const int nw = static_cast<int>(Channel(src[i], s));
      r |= static_cast<uint32_t>(c + ((alpha * (nw - c)) >> 8)) << s;
    }
    dst[i] = r;
  }
}

void RefBlendSpan(uint32_t* dst, size_t n, uint32_t F) {
  const uint32_t a = F >> 24;
  if (a == 0) return;
  for (size_t i = 0; i < n; ++i) dst[i] = BlendOne(F, dst[i], a);
}

void RefBlendRow(uint32_t* dst, const uint32_t* src, size_t n, uint32_t master) {
  for (size_t i = 0; i < n; ++i) {
    const uint32_t a = Div255((src[i] >> 24) * master);
    if (a != 0) dst[i] = BlendOne(src[i], dst[i], a);
  }
}

void RefBilinearRow(uint32_t* dst, const uint32_t* r0, const uint32_t* r1, const int32_t* x0,
                    const int32_t* fx, size_t n, int32_t fy) {
  for (size_t j = 0; j < n; ++j) {
    const int32_t h = (fx[j] * (32768 - fy)) >> 15;
    const int32_t m = (fx[j] * fy) >> 15;
    const int32_t w00 = 32768 - fy - h, w01 = h, w10 = fy - m, w11 = m;
    const uint32_t p00 = r0[x0[j]], p01 = r0[x0[j] + 1], p10 = r1[x0[j]], p11 = r1[x0[j] + 1];
    uint32_t r = 0xFF000000u;
    for (int s = 0; s < 24; s += 8) {
      const int32_t v = (static_cast<int32_t>(Channel(p00, s)) * w00 + static_cast<int32_t>(Channel(p01, s)) * w01 +
                         static_cast<int32_t>(Channel(p10, s)) * w10 + static_cast<int32_t>(Channel(p11, s)) * w11) >>
                        15;
      r |= static_cast<uint32_t>(v) << s;
    }
    dst[j] = r;
  }
}

constexpr int kVShift = 14 - kIntermediateBits, kHShift = 14 + kIntermediateBits;

void RefVerticalPass(int16_t* out, const uint8_t* const* rows, const int16_t* w, int taps, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    int32_t acc = 1 << (kVShift - 1);
    for (int k = 0; k < taps; ++k) acc += static_cast<int32_t>(w[k]) * rows[k][i];
    out[i] = static_cast<int16_t>(std::clamp(acc >> kVShift, -32768, 32767));
  }
}

void RefHorizontalPass(uint32_t* out, const int16_t* in, const int32_t* start, const int16_t* w, int taps,
                       size_t n) {
  for (size_t j = 0; j < n; ++j) {
    const int16_t* p = in + 4 * static_cast<size_t>(start[j]);
    const int16_t* wj = w + j * static_cast<size_t>(taps);
    uint32_t r = 0;
    for (int c = 0; c < 4; ++c) {
      int32_t acc = 1 << (kHShift - 1);
      for (int k = 0; k < taps; ++k) acc += static_cast<int32_t>(wj[k]) * p[4 * k + c];
      r |= static_cast<uint32_t>(std::clamp(acc >> kHShift, 0, 255)) << (8 * c);
    }
    out[j] = r;
  }
}

}  // namespace

const TKernelTable& ReferenceKernels() {
  static const TKernelTable table{RefBlendFade, RefBlendSpan, RefBlendRow, RefBilinearRow, RefVerticalPass,
                                  RefHorizontalPass};
  return table;
}

// The fast kernels are built where the x86-64-v2 baseline (SSE4.1) is; elsewhere every level
// has the reference kernels.
#if defined(__x86_64__) && defined(__SSE4_1__)
const TKernelTable& Sse41Kernels() {
  static const TKernelTable table{sse41::BlendFade,   sse41::BlendSpan,    sse41::BlendRow,
                                  sse41::BilinearRow, sse41::VerticalPass, sse41::HorizontalPass};
  return table;
}

// BlendSpan and BlendRow have no AVX2 version: the SSE4.1 ones serve.
const TKernelTable& Avx2Kernels() {
  static const TKernelTable table{avx2::BlendFade,   sse41::BlendSpan,    sse41::BlendRow,
                                  avx2::BilinearRow, avx2::VerticalPass, avx2::HorizontalPass};
  return table;
}
#else
const TKernelTable& Sse41Kernels() { return ReferenceKernels(); }
const TKernelTable& Avx2Kernels() { return ReferenceKernels(); }
#endif

const TKernelTable& KernelsFor(TKernelLevel level) {
  switch (level) {
    case TKernelLevel::Avx2: return Avx2Kernels();
    case TKernelLevel::Sse41: return Sse41Kernels();
    case TKernelLevel::Reference: break;
  }
  return ReferenceKernels();
}

const TKernelTable& Kernels() {
  static const TKernelTable& table = KernelsFor(WidestKernelLevel());
  return table;
}

}  // namespace ky::kernels
