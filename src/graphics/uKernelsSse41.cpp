// The SSE4.1 kernels, over the x86-64-v2 baseline. Each gives exactly the bytes of the
// reference kernels; only the order of work differs.
#include "graphics/uKernelsSse41.h"

#if defined(__x86_64__) && defined(__SSE4_1__)
#include <immintrin.h>

#include <algorithm>

#include "graphics/uKernels.h"

namespace ky::kernels::sse41 {

namespace {

inline uint32_t Div255Scalar(uint32_t x) {
  const uint32_t t = x + 128;
  return (t + (t >> 8)) >> 8;
}

inline uint32_t BlendOneScalar(uint32_t F, uint32_t B, uint32_t a) {
  F |= 0xFF000000u;
  uint32_t r = 0;
  for (int s = 0; s < 32; s += 8)
    r |= Div255Scalar(((B >> s) & 0xFF) * (255 - a) + ((F >> s) & 0xFF) * a) << s;
  return r;
}

// (t + (t >> 8)) >> 8 with t already holding x + 128, on unsigned 16-bit lanes.
inline __m128i Div255Epu16(__m128i t) { return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8); }

// value = p00 + ((h (p01 - p00) + fy (p10 - p00) + m (p11 - p10)) >> 15), which is the same
// integer as the four-weight sum >> 15 (p00 << 15 is a multiple of 2^15), with every factor
// inside 16 signed bits so pmaddwd can form the products. One pixel's four channels fill one
// 128-bit lane: (p01 - p00, p10 - p00) pairs against (h, fy), (p11 - p10, 0) against (m, 0).

// The pixel pair at columns x and x + 1 of r0 (low half) and of r1, widened to 16 bits.
inline __m128i BilinearPixel(const uint32_t* r0, const uint32_t* r1, int32_t x, __m128i w12, __m128i w3) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i a = _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r0 + x)));
  const __m128i b = _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r1 + x)));
  const __m128i d1 = _mm_sub_epi16(_mm_srli_si128(a, 8), a);  // p01 - p00
  const __m128i d2 = _mm_sub_epi16(b, a);                     // p10 - p00
  const __m128i d3 = _mm_sub_epi16(_mm_srli_si128(b, 8), b);  // p11 - p10
  const __m128i v = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(d1, d2), w12),
                                  _mm_madd_epi16(_mm_unpacklo_epi16(d3, zero), w3));
  return _mm_add_epi32(_mm_srai_epi32(v, 15), _mm_cvtepu16_epi32(a));
}

constexpr int kVShift = 14 - kIntermediateBits, kHShift = 14 + kIntermediateBits;

inline __m128i PairWeights(const int16_t* w) {
  int32_t pair;
  __builtin_memcpy(&pair, w, 4);
  return _mm_set1_epi32(pair);
}

// Two neighbouring 16-bit pixels regrouped as (p0.c, p1.c) pairs, channel by channel.
inline __m128i PairMask() { return _mm_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15); }

}  // namespace

// ---------------- BlendFade ----------------

void BlendFade(uint32_t* dst, const uint32_t* src, size_t n, int alpha) {
  const uint16_t a = static_cast<uint16_t>(alpha), c = static_cast<uint16_t>(256 - alpha);
  // The fourth byte keeps its value: weight 256 for the old value, 0 for the new one.
  const __m128i wa = _mm_setr_epi16(a, a, a, 0, a, a, a, 0);
  const __m128i wc = _mm_setr_epi16(c, c, c, 256, c, c, c, 256);
  const __m128i zero = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i dl = _mm_unpacklo_epi8(d, zero), dh = _mm_unpackhi_epi8(d, zero);
    const __m128i sl = _mm_unpacklo_epi8(s, zero), sh = _mm_unpackhi_epi8(s, zero);
    const __m128i rl = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(dl, wc), _mm_mullo_epi16(sl, wa)), 8);
    const __m128i rh = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(dh, wc), _mm_mullo_epi16(sh, wa)), 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(rl, rh));
  }
  if (i < n) ReferenceKernels().BlendFade(dst + i, src + i, n - i, alpha);
}

// ---------------- BlendSpan (constant colour) ----------------

void BlendSpan(uint32_t* dst, size_t n, uint32_t F) {
  const uint32_t a = F >> 24;
  if (a == 0) return;
  F |= 0xFF000000u;
  const int16_t ia = static_cast<int16_t>(255 - a);
  // F * a + 128 per channel; the alpha lane blends 255.
  int16_t fa[4];
  for (int k = 0; k < 4; ++k) fa[k] = static_cast<int16_t>(((F >> (8 * k)) & 0xFF) * a + 128);
  const __m128i vfa = _mm_setr_epi16(fa[0], fa[1], fa[2], fa[3], fa[0], fa[1], fa[2], fa[3]);
  const __m128i via = _mm_set1_epi16(ia);
  const __m128i zero = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i tl = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), via), vfa);
    const __m128i th = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), via), vfa);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(Div255Epu16(tl), Div255Epu16(th)));
  }
  for (; i < n; ++i) dst[i] = BlendOneScalar(F, dst[i], a);
}

// ---------------- BlendRow (dmBlend with master alpha) ----------------

void BlendRow(uint32_t* dst, const uint32_t* src, size_t n, uint32_t master) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i vmaster = _mm_set1_epi32(static_cast<int>(master));
  const __m128i c128 = _mm_set1_epi32(128);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i c255 = _mm_set1_epi16(255);
  const __m128i r128 = _mm_set1_epi16(128);
  // Spread the per-pixel alpha (low byte of each 32-bit lane) over that pixel's four channels.
  const __m128i spreadLo = _mm_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 4, -1, 4, -1, 4, -1, 4, -1);
  const __m128i spreadHi = _mm_setr_epi8(8, -1, 8, -1, 8, -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1);
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    // a = round(A_F * master / 255) in each 32-bit lane.
    __m128i t = _mm_add_epi32(_mm_mullo_epi16(_mm_srli_epi32(s, 24), vmaster), c128);
    const __m128i a = _mm_srli_epi32(_mm_add_epi32(t, _mm_srli_epi32(t, 8)), 8);
    const __m128i al = _mm_shuffle_epi8(a, spreadLo), ah = _mm_shuffle_epi8(a, spreadHi);
    const __m128i f = _mm_or_si128(s, opaque);
    const __m128i fl = _mm_unpacklo_epi8(f, zero), fh = _mm_unpackhi_epi8(f, zero);
    const __m128i dl = _mm_unpacklo_epi8(d, zero), dh = _mm_unpackhi_epi8(d, zero);
    const __m128i tl = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(dl, _mm_sub_epi16(c255, al)), _mm_mullo_epi16(fl, al)), r128);
    const __m128i th = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(dh, _mm_sub_epi16(c255, ah)), _mm_mullo_epi16(fh, ah)), r128);
    // a = 0 gives back B exactly, so no pixel needs skipping.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(Div255Epu16(tl), Div255Epu16(th)));
  }
  if (i < n) ReferenceKernels().BlendRow(dst + i, src + i, n - i, master);
}

// ---------------- BilinearRow ----------------

void BilinearRow(uint32_t* dst, const uint32_t* r0, const uint32_t* r1, const int32_t* x0, const int32_t* fx,
                    size_t n, int32_t fy) {
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i rest = _mm_set1_epi32(32768 - fy), full = _mm_set1_epi32(fy);
  const __m128i fyHigh = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(fy) << 16));
  size_t j = 0;
  for (; j + 4 <= n; j += 4) {
    // h and m of four columns at once; (fy << 16) | h is the (h, fy) pair of 16-bit weights.
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(fx + j));
    const __m128i w12 = _mm_or_si128(_mm_srai_epi32(_mm_mullo_epi32(f, rest), 15), fyHigh);
    const __m128i w3 = _mm_srai_epi32(_mm_mullo_epi32(f, full), 15);
    const __m128i p0 = BilinearPixel(r0, r1, x0[j], _mm_shuffle_epi32(w12, 0x00), _mm_shuffle_epi32(w3, 0x00));
    const __m128i p1 = BilinearPixel(r0, r1, x0[j + 1], _mm_shuffle_epi32(w12, 0x55), _mm_shuffle_epi32(w3, 0x55));
    const __m128i p2 = BilinearPixel(r0, r1, x0[j + 2], _mm_shuffle_epi32(w12, 0xAA), _mm_shuffle_epi32(w3, 0xAA));
    const __m128i p3 = BilinearPixel(r0, r1, x0[j + 3], _mm_shuffle_epi32(w12, 0xFF), _mm_shuffle_epi32(w3, 0xFF));
    const __m128i v = _mm_packus_epi16(_mm_packs_epi32(p0, p1), _mm_packs_epi32(p2, p3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + j), _mm_or_si128(v, opaque));
  }
  for (; j < n; ++j) {
    const int32_t h = (fx[j] * (32768 - fy)) >> 15;
    const int32_t m = (fx[j] * fy) >> 15;
    const __m128i w12 = _mm_set1_epi32(static_cast<int>((static_cast<uint32_t>(fy) << 16) | static_cast<uint32_t>(h)));
    const __m128i p = BilinearPixel(r0, r1, x0[j], w12, _mm_set1_epi32(m));
    const __m128i v = _mm_packus_epi16(_mm_packs_epi32(p, p), p);
    dst[j] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_or_si128(v, opaque)));
  }
}

// ---------------- VerticalPass ----------------

void VerticalPass(int16_t* out, const uint8_t* const* rows, const int16_t* w, int taps, size_t n) {
  const __m128i round = _mm_set1_epi32(1 << (kVShift - 1));
  const __m128i zero = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m128i lo = round, hi = round;
    int k = 0;
    for (; k + 1 < taps; k += 2) {
      const __m128i a = _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[k] + i)));
      const __m128i b = _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[k + 1] + i)));
      const __m128i wk = PairWeights(w + k);
      lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), wk));
      hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), wk));
    }
    if (k < taps) {
      const __m128i a = _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[k] + i)));
      const __m128i wk = _mm_set1_epi32(static_cast<uint16_t>(w[k]));
      lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(a, zero), wk));
      hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(a, zero), wk));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_packs_epi32(_mm_srai_epi32(lo, kVShift), _mm_srai_epi32(hi, kVShift)));
  }
  if (i < n) {
    const uint8_t* shifted[64];
    if (taps <= 64) {
      for (int k = 0; k < taps; ++k) shifted[k] = rows[k] + i;
      ReferenceKernels().VerticalPass(out + i, shifted, w, taps, n - i);
    } else {
      for (; i < n; ++i) {
        int32_t acc = 1 << (kVShift - 1);
        for (int k = 0; k < taps; ++k) acc += static_cast<int32_t>(w[k]) * rows[k][i];
        out[i] = static_cast<int16_t>(std::clamp(acc >> kVShift, -32768, 32767));
      }
    }
  }
}

// ---------------- HorizontalPass ----------------

void HorizontalPass(uint32_t* out, const int16_t* in, const int32_t* start, const int16_t* w, int taps,
                       size_t n) {
  const __m128i mask = PairMask();
  const __m128i round = _mm_set1_epi32(1 << (kHShift - 1));
  for (size_t j = 0; j < n; ++j) {
    const int16_t* p = in + 4 * static_cast<size_t>(start[j]);
    const int16_t* wj = w + j * static_cast<size_t>(taps);
    __m128i acc = round;
    int k = 0;
    for (; k + 2 <= taps; k += 2) {
      const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * k));
      acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_shuffle_epi8(px, mask), PairWeights(wj + k)));
    }
    for (; k < taps; ++k) {
      const __m128i px = _mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 4 * k)));
      acc = _mm_add_epi32(acc, _mm_mullo_epi32(px, _mm_set1_epi32(wj[k])));
    }
    const __m128i v = _mm_packs_epi32(_mm_srai_epi32(acc, kHShift), acc);
    out[j] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
  }
}

}  // namespace ky::kernels::sse41

#endif
