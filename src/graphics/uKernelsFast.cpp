// The fast kernels: SSE4.1 over the x86-64-v2 baseline, and AVX2 ones built for that
// instruction set alone (the table of a level is chosen in uKernels.cpp). Each gives exactly
// the bytes of the reference kernels; only the order of work differs. Other processors use the
// reference kernels.
#include "graphics/uKernels.h"

#if defined(__x86_64__) && defined(__SSE4_1__)
#include <immintrin.h>

#include <algorithm>

namespace ky::kernels {

namespace {

// --- helpers shared by the SSE versions ---

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

// ---------------- BlendFade ----------------

void SseBlendFade(uint32_t* dst, const uint32_t* src, size_t n, int alpha) {
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

__attribute__((target("avx2"))) void Avx2BlendFade(uint32_t* dst, const uint32_t* src, size_t n, int alpha) {
  const int16_t a = static_cast<int16_t>(alpha), c = static_cast<int16_t>(256 - alpha);
  const __m256i wa = _mm256_setr_epi16(a, a, a, 0, a, a, a, 0, a, a, a, 0, a, a, a, 0);
  const __m256i wc = _mm256_setr_epi16(c, c, c, 256, c, c, c, 256, c, c, c, 256, c, c, c, 256);
  const __m256i zero = _mm256_setzero_si256();
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    // Two vectors per step keep both load ports busy.
    for (int half = 0; half < 2; ++half) {
      const size_t k = i + static_cast<size_t>(half) * 8;
      const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + k));
      const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + k));
      const __m256i dl = _mm256_unpacklo_epi8(d, zero), dh = _mm256_unpackhi_epi8(d, zero);
      const __m256i sl = _mm256_unpacklo_epi8(s, zero), sh = _mm256_unpackhi_epi8(s, zero);
      const __m256i rl =
          _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(dl, wc), _mm256_mullo_epi16(sl, wa)), 8);
      const __m256i rh =
          _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(dh, wc), _mm256_mullo_epi16(sh, wa)), 8);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + k), _mm256_packus_epi16(rl, rh));
    }
  }
  if (i < n) SseBlendFade(dst + i, src + i, n - i, alpha);
}

// ---------------- BlendSpan (constant colour) ----------------

void SseBlendSpan(uint32_t* dst, size_t n, uint32_t F) {
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

void SseBlendRow(uint32_t* dst, const uint32_t* src, size_t n, uint32_t master) {
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

void SseBilinearRow(uint32_t* dst, const uint32_t* r0, const uint32_t* r1, const int32_t* x0, const int32_t* fx,
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

// The pixel pairs at columns xa and xb of row, widened to 16 bits, one per 128-bit lane.
__attribute__((target("avx2"))) inline __m256i PixelPairs(const uint32_t* row, int32_t xa, int32_t xb) {
  const __m128i lo = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + xa));
  const __m128i hi = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + xb));
  return _mm256_cvtepu8_epi16(_mm_unpacklo_epi64(lo, hi));
}

// Two pixels (columns xa and xb) at once, one per 128-bit lane.
__attribute__((target("avx2"))) inline __m256i BilinearPixelPair(const uint32_t* r0, const uint32_t* r1, int32_t xa,
                                                                 int32_t xb, __m256i w12, __m256i w3) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i a = PixelPairs(r0, xa, xb);
  const __m256i b = PixelPairs(r1, xa, xb);
  const __m256i d1 = _mm256_sub_epi16(_mm256_srli_si256(a, 8), a);
  const __m256i d2 = _mm256_sub_epi16(b, a);
  const __m256i d3 = _mm256_sub_epi16(_mm256_srli_si256(b, 8), b);
  const __m256i v = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(d1, d2), w12),
                                     _mm256_madd_epi16(_mm256_unpacklo_epi16(d3, zero), w3));
  return _mm256_add_epi32(_mm256_srai_epi32(v, 15), _mm256_unpacklo_epi16(a, zero));
}

// For an enlargement, where neighbouring pixels share their source columns, the parts that do
// not depend on the pixel's own column weight are worked out once per source column x:
// V[x] = 32768 p00 + fy (p10 - p00) per channel (int32; as the pair (2 p00, p10 - p00) against
// (16384, fy)), and D[x] = the pairs (p01 - p00, p11 - p10). A pixel is then
// (V[x0] + h (p01 - p00) + m (p11 - p10)) >> 15: the same sum as above, one pmaddwd.
constexpr int kBilinearColumns = 512;

// Four pixels widened to 16 bits: two per 128-bit lane.
__attribute__((target("avx2"))) inline __m256i FourPixels(const uint32_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// V and D of columns lo .. lo + count - 1 (reads column lo + count as the right neighbour).
__attribute__((target("avx2"))) void Avx2BilinearColumns(const uint32_t* r0, const uint32_t* r1, int32_t lo,
                                                         int count, int32_t fy, int32_t* V, int16_t* D) {
  const __m256i w = _mm256_set1_epi32(static_cast<int>((static_cast<uint32_t>(fy) << 16) | 16384u));
  int c = 0;
  for (; c + 4 <= count; c += 4) {
    const __m256i a = FourPixels(r0 + lo + c), a1 = FourPixels(r0 + lo + c + 1);
    const __m256i b = FourPixels(r1 + lo + c), b1 = FourPixels(r1 + lo + c + 1);
    // Each 128-bit lane holds two columns: 0, 1 | 2, 3.
    const __m256i d13lo = _mm256_unpacklo_epi16(_mm256_sub_epi16(a1, a), _mm256_sub_epi16(b1, b));
    const __m256i d13hi = _mm256_unpackhi_epi16(_mm256_sub_epi16(a1, a), _mm256_sub_epi16(b1, b));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(D + 8 * c), _mm256_permute2x128_si256(d13lo, d13hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(D + 8 * (c + 2)), _mm256_permute2x128_si256(d13lo, d13hi, 0x31));
    const __m256i a2 = _mm256_add_epi16(a, a), d2 = _mm256_sub_epi16(b, a);
    const __m256i vlo = _mm256_madd_epi16(_mm256_unpacklo_epi16(a2, d2), w);
    const __m256i vhi = _mm256_madd_epi16(_mm256_unpackhi_epi16(a2, d2), w);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(V + 4 * c), _mm256_permute2x128_si256(vlo, vhi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(V + 4 * (c + 2)), _mm256_permute2x128_si256(vlo, vhi, 0x31));
  }
  for (; c < count; ++c) {
    const uint32_t p00 = r0[lo + c], p01 = r0[lo + c + 1], p10 = r1[lo + c], p11 = r1[lo + c + 1];
    for (int ch = 0; ch < 4; ++ch) {
      const int s = 8 * ch;
      const int v00 = (p00 >> s) & 0xFF, v01 = (p01 >> s) & 0xFF, v10 = (p10 >> s) & 0xFF, v11 = (p11 >> s) & 0xFF;
      V[4 * c + ch] = 32768 * v00 + fy * (v10 - v00);
      D[8 * c + 2 * ch] = static_cast<int16_t>(v01 - v00);
      D[8 * c + 2 * ch + 1] = static_cast<int16_t>(v11 - v10);
    }
  }
}

__attribute__((target("avx2"))) void Avx2BilinearRow(uint32_t* dst, const uint32_t* r0, const uint32_t* r1,
                                                     const int32_t* x0, const int32_t* fx, size_t n, int32_t fy) {
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i rest = _mm256_set1_epi32(32768 - fy), full = _mm256_set1_epi32(fy);
  const __m256i fyHigh = _mm256_set1_epi32(static_cast<int>(static_cast<uint32_t>(fy) << 16));
  // Lane k of pair p holds column 2p + k.
  const __m256i spread[4] = {_mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1), _mm256_setr_epi32(2, 2, 2, 2, 3, 3, 3, 3),
                             _mm256_setr_epi32(4, 4, 4, 4, 5, 5, 5, 5), _mm256_setr_epi32(6, 6, 6, 6, 7, 7, 7, 7)};
  // After the packs the lanes hold columns 0 2 4 6 | 1 3 5 7.
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  alignas(32) int32_t V[4 * kBilinearColumns];
  alignas(32) int16_t D[8 * kBilinearColumns];
  size_t j = 0;
  while (j + 8 <= n) {
    const size_t end = j + std::min<size_t>(kBilinearColumns, (n - j) / 8 * 8);
    // The source columns this chunk reads; worth working out first when the pixels at least
    // match them in number.
    __m256i lo8 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x0 + j)), hi8 = lo8;
    for (size_t i = j + 8; i < end; i += 8) {
      const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x0 + i));
      lo8 = _mm256_min_epi32(lo8, x);
      hi8 = _mm256_max_epi32(hi8, x);
    }
    alignas(32) int32_t los[8], his[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(los), lo8);
    _mm256_store_si256(reinterpret_cast<__m256i*>(his), hi8);
    const int32_t lo = *std::min_element(los, los + 8), hi = *std::max_element(his, his + 8);
    const bool shared = static_cast<size_t>(hi - lo) + 1 <= end - j;
    if (shared) Avx2BilinearColumns(r0, r1, lo, hi - lo + 1, fy, V, D);
    for (; j < end; j += 8) {
      const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(fx + j));
      const __m256i h = _mm256_srai_epi32(_mm256_mullo_epi32(f, rest), 15);
      const __m256i m = _mm256_srai_epi32(_mm256_mullo_epi32(f, full), 15);
      __m256i p[4];
      if (shared) {
        // (h, m) pairs against (p01 - p00, p11 - p10).
        const __m256i hm = _mm256_or_si256(h, _mm256_slli_epi32(m, 16));
        for (int q = 0; q < 4; ++q) {
          const int32_t a = x0[j + 2 * q] - lo, b = x0[j + 2 * q + 1] - lo;
          const __m256i v = _mm256_inserti128_si256(
              _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(V + 4 * a))),
              _mm_loadu_si128(reinterpret_cast<const __m128i*>(V + 4 * b)), 1);
          const __m256i d = _mm256_inserti128_si256(
              _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(D + 8 * a))),
              _mm_loadu_si128(reinterpret_cast<const __m128i*>(D + 8 * b)), 1);
          p[q] = _mm256_srai_epi32(
              _mm256_add_epi32(v, _mm256_madd_epi16(d, _mm256_permutevar8x32_epi32(hm, spread[q]))), 15);
        }
      } else {
        const __m256i w12 = _mm256_or_si256(h, fyHigh);
        for (int q = 0; q < 4; ++q)
          p[q] = BilinearPixelPair(r0, r1, x0[j + 2 * q], x0[j + 2 * q + 1],
                                   _mm256_permutevar8x32_epi32(w12, spread[q]), _mm256_permutevar8x32_epi32(m, spread[q]));
      }
      // packs: lane 0 = columns 0, 2 | 4, 6 and lane 1 = 1, 3 | 5, 7 as 16-bit channels.
      const __m256i v = _mm256_packus_epi16(_mm256_packs_epi32(p[0], p[1]), _mm256_packs_epi32(p[2], p[3]));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + j),
                          _mm256_or_si256(_mm256_permutevar8x32_epi32(v, order), opaque));
    }
  }
  if (j < n) SseBilinearRow(dst + j, r0, r1, x0 + j, fx + j, n - j, fy);
}

// ---------------- VerticalPass ----------------

constexpr int kVShift = 14 - kIntermediateBits, kHShift = 14 + kIntermediateBits;

inline __m128i PairWeights(const int16_t* w) {
  int32_t pair;
  __builtin_memcpy(&pair, w, 4);
  return _mm_set1_epi32(pair);
}

void SseVerticalPass(int16_t* out, const uint8_t* const* rows, const int16_t* w, int taps, size_t n) {
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

__attribute__((target("avx2"))) void Avx2VerticalPass(int16_t* out, const uint8_t* const* rows, const int16_t* w,
                                                      int taps, size_t n) {
  const __m256i round = _mm256_set1_epi32(1 << (kVShift - 1));
  const __m256i zero = _mm256_setzero_si256();
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    __m256i acc[4] = {round, round, round, round};
    int k = 0;
    for (; k < taps; k += 2) {
      const bool pair = k + 1 < taps;
      int32_t wp = static_cast<uint16_t>(w[k]);
      if (pair) __builtin_memcpy(&wp, w + k, 4);
      const __m256i wk = _mm256_set1_epi32(wp);
      for (int q = 0; q < 2; ++q) {
        const __m256i a =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + i + 16 * q)));
        const __m256i b =
            pair ? _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k + 1] + i + 16 * q)))
                 : zero;
        acc[2 * q] = _mm256_add_epi32(acc[2 * q], _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), wk));
        acc[2 * q + 1] = _mm256_add_epi32(acc[2 * q + 1], _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), wk));
      }
    }
    for (int q = 0; q < 2; ++q) {
      // unpacklo/hi split each 128-bit lane in halves; packs_epi32 joins them back in order.
      const __m256i v =
          _mm256_packs_epi32(_mm256_srai_epi32(acc[2 * q], kVShift), _mm256_srai_epi32(acc[2 * q + 1], kVShift));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 16 * q), v);
    }
  }
  if (i < n) {
    const uint8_t* shifted[64];
    if (taps <= 64) {
      for (int k = 0; k < taps; ++k) shifted[k] = rows[k] + i;
      SseVerticalPass(out + i, shifted, w, taps, n - i);
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

// Two neighbouring 16-bit pixels regrouped as (p0.c, p1.c) pairs, channel by channel.
inline __m128i PairMask() { return _mm_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15); }

void SseHorizontalPass(uint32_t* out, const int16_t* in, const int32_t* start, const int16_t* w, int taps,
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

__attribute__((target("avx2"))) void Avx2HorizontalPass(uint32_t* out, const int16_t* in, const int32_t* start,
                                                        const int16_t* w, int taps, size_t n) {
  if (taps % 2 != 0) {
    SseHorizontalPass(out, in, start, w, taps, n);
    return;
  }
  // Two output pixels at once, one per 128-bit lane.
  const __m256i mask = _mm256_broadcastsi128_si256(PairMask());
  const __m256i round = _mm256_set1_epi32(1 << (kHShift - 1));
  const size_t t = static_cast<size_t>(taps);
  size_t j = 0;
  for (; j + 2 <= n; j += 2) {
    const int16_t* p0 = in + 4 * static_cast<size_t>(start[j]);
    const int16_t* p1 = in + 4 * static_cast<size_t>(start[j + 1]);
    const int16_t* w0 = w + j * t;
    const int16_t* w1 = w0 + t;
    __m256i acc = round;
    for (size_t k = 0; k < t; k += 2) {
      const __m256i px = _mm256_inserti128_si256(
          _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p0 + 4 * k))),
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(p1 + 4 * k)), 1);
      int32_t a, b;
      __builtin_memcpy(&a, w0 + k, 4);
      __builtin_memcpy(&b, w1 + k, 4);
      const __m256i wk = _mm256_setr_epi32(a, a, a, a, b, b, b, b);
      acc = _mm256_add_epi32(acc, _mm256_madd_epi16(_mm256_shuffle_epi8(px, mask), wk));
    }
    const __m256i s = _mm256_srai_epi32(acc, kHShift);
    const __m128i v = _mm_packs_epi32(_mm256_castsi256_si128(s), _mm256_extracti128_si256(s, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + j), _mm_packus_epi16(v, v));
  }
  if (j < n) SseHorizontalPass(out + j, in, start + j, w + j * t, taps, n - j);
}

}  // namespace

const TKernelTable& Sse41Kernels() {
  static const TKernelTable table{SseBlendFade,   SseBlendSpan,    SseBlendRow,
                                  SseBilinearRow, SseVerticalPass, SseHorizontalPass};
  return table;
}

// BlendSpan and BlendRow have no AVX2 version: the SSE4.1 ones serve.
const TKernelTable& Avx2Kernels() {
  static const TKernelTable table{Avx2BlendFade,   SseBlendSpan,     SseBlendRow,
                                  Avx2BilinearRow, Avx2VerticalPass, Avx2HorizontalPass};
  return table;
}

}  // namespace ky::kernels

#else

namespace ky::kernels {
const TKernelTable& Sse41Kernels() { return ReferenceKernels(); }
const TKernelTable& Avx2Kernels() { return ReferenceKernels(); }
}  // namespace ky::kernels

#endif
