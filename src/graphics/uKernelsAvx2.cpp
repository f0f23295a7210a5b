// The AVX2 kernels. Each function is built for AVX2 alone (target attribute), so the rest of
// the program keeps the x86-64-v2 baseline; they run only where the processor has AVX2. Each
// gives exactly the bytes of the reference kernels, and hands its tail to the SSE4.1 kernel.
#include "graphics/uKernelsAvx2.h"

#if defined(__x86_64__) && defined(__SSE4_1__)
#include <immintrin.h>

#include <algorithm>

#include "graphics/uKernels.h"
#include "graphics/uKernelsSse41.h"

namespace ky::kernels::avx2 {

namespace {

constexpr int kVShift = 14 - kIntermediateBits, kHShift = 14 + kIntermediateBits;

// Two neighbouring 16-bit pixels regrouped as (p0.c, p1.c) pairs, channel by channel, in
// each 128-bit lane.
__attribute__((target("avx2"))) inline __m256i PairMask() {
  return _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15, 0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12,
                          13, 6, 7, 14, 15);
}

// The pixel pairs at columns xa and xb of row, widened to 16 bits, one per 128-bit lane.
__attribute__((target("avx2"))) inline __m256i PixelPairs(const uint32_t* row, int32_t xa, int32_t xb) {
  const __m128i lo = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + xa));
  const __m128i hi = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + xb));
  return _mm256_cvtepu8_epi16(_mm_unpacklo_epi64(lo, hi));
}

// Two pixels (columns xa and xb) at once, one per 128-bit lane, in the pairwise form of the SSE4.1
// kernel: (p01 - p00, p10 - p00) against (h, fy), (p11 - p10, 0) against (m, 0).
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
// (V[x0] + h (p01 - p00) + m (p11 - p10)) >> 15: the same sum as the pairwise form of the SSE4.1
// kernel, one pmaddwd.
constexpr int kBilinearColumns = 512;

// Four pixels widened to 16 bits: two per 128-bit lane.
__attribute__((target("avx2"))) inline __m256i FourPixels(const uint32_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// V and D of columns lo .. lo + count - 1 (reads column lo + count as the right neighbour).
__attribute__((target("avx2"))) void BilinearColumns(const uint32_t* r0, const uint32_t* r1, int32_t lo,
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

}  // namespace

// ---------------- BlendFade ----------------

__attribute__((target("avx2"))) void BlendFade(uint32_t* dst, const uint32_t* src, size_t n, int alpha) {
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
  if (i < n) sse41::BlendFade(dst + i, src + i, n - i, alpha);
}

// ---------------- BilinearRow ----------------

__attribute__((target("avx2"))) void BilinearRow(uint32_t* dst, const uint32_t* r0, const uint32_t* r1,
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
    if (shared) BilinearColumns(r0, r1, lo, hi - lo + 1, fy, V, D);
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
  if (j < n) sse41::BilinearRow(dst + j, r0, r1, x0 + j, fx + j, n - j, fy);
}

// ---------------- VerticalPass ----------------

__attribute__((target("avx2"))) void VerticalPass(int16_t* out, const uint8_t* const* rows, const int16_t* w,
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
      sse41::VerticalPass(out + i, shifted, w, taps, n - i);
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

__attribute__((target("avx2"))) void HorizontalPass(uint32_t* out, const int16_t* in, const int32_t* start,
                                                        const int16_t* w, int taps, size_t n) {
  if (taps % 2 != 0) {
    sse41::HorizontalPass(out, in, start, w, taps, n);
    return;
  }
  // Two output pixels at once, one per 128-bit lane.
  const __m256i mask = PairMask();
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
  if (j < n) sse41::HorizontalPass(out + j, in, start + j, w + j * t, taps, n - j);
}

}  // namespace ky::kernels::avx2

#endif
